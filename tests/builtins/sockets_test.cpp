// The socket and name-resolution builtins, called through the table on hand-built nodes. All
// traffic stays on the loopback interface or on a local socket pair, and every receiving socket
// has a receive timeout so a fault cannot hang the suite.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "builtins/table.h"
#include "cells/cell.h"
#include "cells/integer.h"
#include "cells/real.h"
#include "cells/text.h"

namespace vorn::builtins {
namespace {

using cells::CellRef;

CellRef integer(std::int64_t value) { return cells::makeInteger(value); }
CellRef address(const void* pointer) { return integer(reinterpret_cast<std::intptr_t>(pointer)); }

// The builtin applied to its arguments, as the reducer hands it over.
CellRef call(const std::string& name, std::vector<CellRef> arguments) {
  const Builtin& builtin = builtinTable().at(name);
  EXPECT_EQ(builtin.arity, arguments.size()) << name;
  CellRef node(name);
  for (CellRef& argument : arguments) node = cells::makePair(std::move(node), std::move(argument));
  return builtin.entry(std::move(node));
}

std::int64_t valueOf(const CellRef& result) {
  EXPECT_TRUE(cells::isInteger(result)) << cells::atomBytes(result);
  return cells::integerToInt64(result);
}

bool isZ(const CellRef& result) { return cells::isOneByteAtom(result.get(), 'Z'); }
bool isI(const CellRef& result) { return cells::isOneByteAtom(result.get(), 'I'); }

template <typename T>
T load(const void* at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

void limitWaiting(int socket) {
  timeval wait{5, 0};
  ASSERT_EQ(::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait), 0);
}

// A connected pair of local stream sockets, closed at the end of the test.
struct SocketPair {
  int ends[2] = {-1, -1};
  SocketPair() {
    EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    limitWaiting(ends[0]);
    limitWaiting(ends[1]);
  }
  ~SocketPair() {
    for (int end : ends) {
      if (end >= 0) ::close(end);
    }
  }
  // Everything waiting at the second end, read without blocking.
  std::string drain() {
    std::string bytes;
    char chunk[256];
    ssize_t n;
    while ((n = ::recv(ends[1], chunk, sizeof chunk, MSG_DONTWAIT)) > 0) bytes.append(chunk, n);
    return bytes;
  }
};

sockaddr_in loopback(std::uint16_t port) {
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(port);
  where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return where;
}

std::uint16_t boundPort(int socket) {
  sockaddr_in where{};
  socklen_t length = sizeof where;
  EXPECT_EQ(::getsockname(socket, reinterpret_cast<sockaddr*>(&where), &length), 0);
  return ntohs(where.sin_port);
}

// ---- Constants and byte order -------------------------------------------------------------------

TEST(Sockets, ConstantsAndTheSharedEntryOfPassiveAndStream) {
  EXPECT_EQ(valueOf(call("addrinfo", {})), 48);
  EXPECT_EQ(valueOf(call("af_unspec", {})), 0);
  EXPECT_EQ(valueOf(call("ai_passive", {})), 1);
  EXPECT_EQ(valueOf(call("sock_stream", {})), 1);
  EXPECT_EQ(builtinTable().at("ai_passive").entry, builtinTable().at("sock_stream").entry);
  // The constants are the values this platform's own calls expect.
  EXPECT_EQ(sizeof(addrinfo), 48u);
  EXPECT_EQ(AF_UNSPEC, 0);
  EXPECT_EQ(AI_PASSIVE, 1);
  EXPECT_EQ(SOCK_STREAM, 1);
}

TEST(Sockets, ByteOrderExchangesBytesOfTheLowBits) {
  struct Case {
    const char* name;
    std::int64_t argument;
    const char* expected;
  };
  const Case cases[] = {
      {"htons", 4660, "13330"},
      {"ntohs", 13330, "4660"},
      {"htons", 65536 + 4660, "13330"},          // only the low 16 bits count
      {"htonl", 1, "16777216"},
      {"htonl", (std::int64_t{1} << 32) + 1, "16777216"},  // only the low 32 bits count
      {"htonl", 128, "2147483648"},             // the result is never negative
      {"ntohl", 128, "2147483648"},
      {"ntohl", 16777216, "1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.argument));
    EXPECT_EQ(cells::atomBytes(call(c.name, {integer(c.argument)})), c.expected);
  }
}

// ---- Argument kinds -----------------------------------------------------------------------------

// Every checked member, given a real at one position and harmless integers elsewhere, gives Z
// and leaves errno alone. The harmless values (socket -1, null addresses, zero lengths) would
// make a wrongly made call fail quietly rather than do anything.
TEST(Sockets, AWrongKindAnywhereGivesZAndCallsNothing) {
  const std::vector<std::string> checked = {
      "socket",     "bind",         "listen",      "accept",    "connect",  "shutdown",
      "closesocket", "send",        "recv",        "sendto",    "recvfrom", "setsockopt",
      "getpeername", "gethostname", "gai_strerror", "getnameinfo", "inet_pton", "inet_ntop",
      "htonl",      "htons",        "ntohl",       "ntohs",     "fd_set"};
  for (const std::string& name : checked) {
    int arity = builtinTable().at(name).arity;
    for (int wrong = 0; wrong < arity; ++wrong) {
      SCOPED_TRACE(name + " argument " + std::to_string(wrong + 1));
      std::vector<CellRef> arguments;
      for (int k = 0; k < arity; ++k) {
        arguments.push_back(k == wrong ? cells::makeReal(2.0) : integer(k == 0 ? -1 : 0));
      }
      errno = 1234;
      EXPECT_TRUE(isZ(call(name, std::move(arguments))));
      EXPECT_EQ(errno, 1234);
    }
  }
}

TEST(Sockets, SocketWithARealFamilyGivesZAndARealFamilyGivesASocket) {
  EXPECT_TRUE(isZ(call("socket", {cells::makeReal(2.0), integer(1), integer(0)})));
  EXPECT_TRUE(isZ(call("socket", {integer(2), CellRef("[x]"), integer(0)})));
  std::int64_t socket = valueOf(call("socket", {integer(AF_INET), integer(SOCK_STREAM), integer(0)}));
  ASSERT_GE(socket, 0);
  EXPECT_EQ(valueOf(call("closesocket", {integer(socket)})), 0);
  // Closed already: the library's failure comes back unchanged.
  EXPECT_EQ(valueOf(call("closesocket", {integer(socket)})), -1);
  EXPECT_EQ(errno, EBADF);
}

// ---- The socket set -----------------------------------------------------------------------------

struct SocketSet {
  std::vector<unsigned char> bytes = std::vector<unsigned char>(520, 0);
  std::uint32_t count() const { return load<std::uint32_t>(bytes.data()); }
  std::int64_t handle(int i) const { return load<std::int64_t>(bytes.data() + 8 + 8 * i); }
  CellRef add(std::int64_t socket) { return call("fd_set", {integer(socket), address(bytes.data())}); }
};

TEST(Sockets, FdSetAddsASocketOnce) {
  SocketSet set;
  EXPECT_TRUE(isI(set.add(7)));
  EXPECT_TRUE(isI(set.add(9)));
  EXPECT_TRUE(isI(set.add(7)));
  EXPECT_EQ(set.count(), 2u);
  EXPECT_EQ(set.handle(0), 7);
  EXPECT_EQ(set.handle(1), 9);
  EXPECT_EQ(set.handle(2), 0);
}

TEST(Sockets, FdSetHoldsWholeHandlesAndLeavesAFullSetUnchanged) {
  SocketSet set;
  const std::int64_t big = (std::int64_t{1} << 40) + 5;  // differs from 5 only above 32 bits
  set.add(5);
  set.add(big);
  EXPECT_EQ(set.count(), 2u);
  EXPECT_EQ(set.handle(1), big);
  for (int s = 100; set.count() < 64; ++s) set.add(s);
  std::vector<unsigned char> full = set.bytes;
  EXPECT_TRUE(isI(set.add(1000)));
  EXPECT_EQ(set.bytes, full);
}

TEST(Sockets, FdSetWithAnOverlargeCountStaysInsideTheSet) {
  // The set lives in a 520-byte heap block: the sanitizer build catches any look past it.
  SocketSet set;
  std::uint32_t corrupt = 100000;
  std::memcpy(set.bytes.data(), &corrupt, sizeof corrupt);
  std::vector<unsigned char> before = set.bytes;
  EXPECT_TRUE(isI(set.add(3)));
  EXPECT_EQ(set.bytes, before);
}

// ---- Addresses and names ------------------------------------------------------------------------

TEST(Sockets, InetPtonTakesFamilySourceDestinationInThatOrder) {
  const char text[] = "127.0.0.1";
  unsigned char destination[16] = {};
  EXPECT_EQ(valueOf(call("inet_pton", {integer(AF_INET), address(text), address(destination)})), 1);
  EXPECT_EQ(std::vector<unsigned char>(destination, destination + 4),
            (std::vector<unsigned char>{127, 0, 0, 1}));

  const char six[] = "::1";
  EXPECT_EQ(valueOf(call("inet_pton", {integer(AF_INET6), address(six), address(destination)})), 1);
  EXPECT_EQ(destination[15], 1);
  EXPECT_EQ(destination[0], 0);

  const char bad[] = "127.0.0.300";
  EXPECT_EQ(valueOf(call("inet_pton", {integer(AF_INET), address(bad), address(destination)})), 0);
}

TEST(Sockets, InetNtopWritesTheTextOrGivesZeroWhenItDoesNotFit) {
  const unsigned char source[4] = {127, 0, 0, 1};
  char text[32] = {};
  CellRef written = call("inet_ntop", {integer(AF_INET), address(source), address(text), integer(32)});
  EXPECT_EQ(valueOf(written), reinterpret_cast<std::intptr_t>(text));
  EXPECT_STREQ(text, "127.0.0.1");
  EXPECT_EQ(valueOf(call("inet_ntop", {integer(AF_INET), address(source), address(text), integer(4)})), 0);
  EXPECT_EQ(errno, ENOSPC);
}

// getaddrinfo of a numeric loopback address, its list walked by the published offsets.
TEST(Sockets, GetaddrinfoOfLoopbackReadsThroughTheLayout) {
  const char host[] = "127.0.0.1";
  const char service[] = "8080";
  std::vector<unsigned char> hints(48, 0);
  std::int32_t flags = AI_NUMERICHOST | AI_NUMERICSERV, family = AF_INET, type = SOCK_STREAM;
  std::memcpy(hints.data() + 0, &flags, 4);
  std::memcpy(hints.data() + 4, &family, 4);
  std::memcpy(hints.data() + 8, &type, 4);
  std::uintptr_t slot = 0;
  CellRef status = call("getaddrinfo", {address(host), address(service), address(hints.data()), address(&slot)});
  ASSERT_EQ(valueOf(status), 0);
  ASSERT_NE(slot, 0u);

  const auto* entry = reinterpret_cast<const unsigned char*>(slot);
  EXPECT_EQ(load<std::int32_t>(entry + 4), AF_INET);
  EXPECT_EQ(load<std::int32_t>(entry + 8), SOCK_STREAM);
  EXPECT_EQ(load<std::int32_t>(entry + 16), 16);  // ai_addrlen: a sockaddr_in
  const auto* socketAddress = reinterpret_cast<const unsigned char*>(load<std::uintptr_t>(entry + 24));
  ASSERT_NE(socketAddress, nullptr);
  EXPECT_EQ(load<std::uint16_t>(socketAddress), AF_INET);
  EXPECT_EQ(socketAddress[2] * 256 + socketAddress[3], 8080);  // the port in network order
  EXPECT_EQ(std::vector<unsigned char>(socketAddress + 4, socketAddress + 8),
            (std::vector<unsigned char>{127, 0, 0, 1}));
  EXPECT_EQ(load<std::uintptr_t>(entry + 40), 0u);  // ai_next: one stream entry only

  EXPECT_TRUE(isI(call("freeaddrinfo", {integer(static_cast<std::int64_t>(slot))})));
  EXPECT_TRUE(isI(call("freeaddrinfo", {integer(0)})));
}

std::u16string messageAt(std::int64_t at) {
  const auto* units = reinterpret_cast<const char16_t*>(at);
  return std::u16string(units);
}

std::u16string widened(const char* ascii) {
  std::u16string out;
  for (const char* p = ascii; *p != 0; ++p) out.push_back(static_cast<unsigned char>(*p));
  return out;
}

TEST(Sockets, GaiStrerrorFillsTheOneSharedBuffer) {
  const char host[] = "not an address";
  std::vector<unsigned char> hints(48, 0);
  std::int32_t flags = AI_NUMERICHOST;
  std::memcpy(hints.data(), &flags, 4);
  std::uintptr_t slot = 0;
  std::int64_t code = valueOf(call("getaddrinfo", {address(host), integer(0), address(hints.data()), address(&slot)}));
  ASSERT_NE(code, 0);
  EXPECT_EQ(slot, 0u);

  std::int64_t first = valueOf(call("gai_strerror", {integer(code)}));
  EXPECT_EQ(messageAt(first), widened(::gai_strerror(static_cast<int>(code))));
  // The longest message first, then a shorter one: the same buffer, properly ended.
  std::int64_t second = valueOf(call("gai_strerror", {integer(EAI_ADDRFAMILY)}));
  std::int64_t third = valueOf(call("gai_strerror", {integer(EAI_AGAIN)}));
  EXPECT_EQ(second, first);
  EXPECT_EQ(third, first);
  EXPECT_EQ(messageAt(third), widened(::gai_strerror(EAI_AGAIN)));
}

TEST(Sockets, GethostnameAndGetnameinfo) {
  char mine[256] = {}, theirs[256] = {};
  EXPECT_EQ(valueOf(call("gethostname", {address(mine), integer(sizeof mine)})), 0);
  ASSERT_EQ(::gethostname(theirs, sizeof theirs), 0);
  EXPECT_STREQ(mine, theirs);
  errno = 0;
  EXPECT_EQ(valueOf(call("gethostname", {address(mine), integer(-1)})), -1);
  EXPECT_EQ(errno, EINVAL);

  sockaddr_in where = loopback(4321);
  char host[64] = {}, service[16] = {};
  CellRef status = call("getnameinfo", {address(&where), integer(sizeof where), address(host),
                                        integer(sizeof host), address(service), integer(sizeof service),
                                        integer(NI_NUMERICHOST | NI_NUMERICSERV)});
  EXPECT_EQ(valueOf(status), 0);
  EXPECT_STREQ(host, "127.0.0.1");
  EXPECT_STREQ(service, "4321");
}

// ---- Data transfer ------------------------------------------------------------------------------

TEST(Sockets, SendTakesATextABlobOrAnAddress) {
  SocketPair pair;
  CellRef socket = integer(pair.ends[0]);
  const char raw[] = "raw bytes";
  struct Case {
    const char* what;
    CellRef data;
    std::int64_t length;
    std::string received;
  };
  Case cases[] = {
      {"text, brackets included", CellRef("[hello]"), 7, "[hello]"},
      {"text, a prefix", CellRef("[hello]"), 3, "[he"},
      {"text, with its ending zero", CellRef("[hi]"), 5, std::string("[hi]\0", 5)},
      {"blob payload", cells::makeBlob(std::string("a\0b", 3)), 3, std::string("a\0b", 3)},
      {"text pieces, joined", cells::makePair(CellRef("[ab]"), CellRef("[cd]")), 8, "[ab[cd]]"},
      {"integer address", address(raw), 9, "raw bytes"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    CellRef sent = call("send", {socket, c.data, integer(c.length), integer(0)});
    EXPECT_EQ(valueOf(sent), static_cast<std::int64_t>(c.received.size()));
    EXPECT_EQ(pair.drain(), c.received);
  }
}

TEST(Sockets, SendRefusesLengthsPastTheValueOrBelowZero) {
  SocketPair pair;
  CellRef socket = integer(pair.ends[0]);
  struct Case {
    const char* what;
    CellRef data;
    std::int64_t length;
    int error;
  };
  Case cases[] = {
      {"past a text", CellRef("[hi]"), 6, EFAULT},
      {"past a blob", cells::makeBlob("abc"), 5, EFAULT},
      {"past text pieces", cells::makePair(CellRef("[ab]"), CellRef("[cd]")), 10, EFAULT},
      {"negative", CellRef("[hi]"), -1, EINVAL},
      {"negative in the low 32 bits", cells::makeBlob("abc"), 0xFFFFFFFFll, EINVAL},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    errno = 0;
    EXPECT_EQ(valueOf(call("send", {socket, c.data, integer(c.length), integer(0)})), -1);
    EXPECT_EQ(errno, c.error);
    EXPECT_EQ(pair.drain(), "");
  }
}

// Without MSG_NOSIGNAL this would end the test process with SIGPIPE.
TEST(Sockets, SendingToAClosedPeerFailsWithEpipe) {
  SocketPair pair;
  ::close(pair.ends[1]);
  pair.ends[1] = -1;
  errno = 0;
  EXPECT_EQ(valueOf(call("send", {integer(pair.ends[0]), CellRef("[x]"), integer(3), integer(0)})), -1);
  EXPECT_EQ(errno, EPIPE);
  errno = 0;
  EXPECT_EQ(valueOf(call("sendto", {integer(pair.ends[0]), CellRef("[x]"), integer(3), integer(0),
                                    integer(0), integer(0)})),
            -1);
  EXPECT_EQ(errno, EPIPE);
}

TEST(Sockets, RecvFillsTheBufferAndRefusesANegativeLength) {
  SocketPair pair;
  ASSERT_EQ(::send(pair.ends[1], "abcdef", 6, 0), 6);
  char buffer[8] = {};
  CellRef socket = integer(pair.ends[0]);
  EXPECT_EQ(valueOf(call("recv", {socket, address(buffer), integer(-5), integer(0)})), -1);
  EXPECT_EQ(errno, EINVAL);
  EXPECT_EQ(valueOf(call("recv", {socket, address(buffer), integer(4), integer(MSG_PEEK)})), 4);
  EXPECT_EQ(valueOf(call("recv", {socket, address(buffer), integer(8), integer(0)})), 6);
  EXPECT_EQ(std::string(buffer, 6), "abcdef");
}

// A whole TCP conversation on the loopback interface, every step through the builtins.
TEST(Sockets, TcpOnLoopbackFromListenToShutdown) {
  auto integerCall = [](const std::string& name, std::vector<CellRef> arguments) {
    return valueOf(call(name, std::move(arguments)));
  };
  std::int64_t server = integerCall("socket", {integer(AF_INET), integer(SOCK_STREAM), integer(0)});
  ASSERT_GE(server, 0);
  int on = 1;
  EXPECT_EQ(integerCall("setsockopt", {integer(server), integer(SOL_SOCKET), integer(SO_REUSEADDR),
                                       address(&on), integer(sizeof on)}),
            0);
  sockaddr_in where = loopback(0);
  ASSERT_EQ(integerCall("bind", {integer(server), address(&where), integer(sizeof where)}), 0);
  ASSERT_EQ(integerCall("listen", {integer(server), integer(4)}), 0);
  where = loopback(boundPort(static_cast<int>(server)));

  std::int64_t client = integerCall("socket", {integer(AF_INET), integer(SOCK_STREAM), integer(0)});
  ASSERT_GE(client, 0);
  ASSERT_EQ(integerCall("connect", {integer(client), address(&where), integer(sizeof where)}), 0);
  sockaddr_in peer{};
  socklen_t peerLength = sizeof peer;
  std::int64_t served = integerCall("accept", {integer(server), address(&peer), address(&peerLength)});
  ASSERT_GE(served, 0);
  limitWaiting(static_cast<int>(served));
  limitWaiting(static_cast<int>(client));
  EXPECT_EQ(peer.sin_addr.s_addr, htonl(INADDR_LOOPBACK));
  EXPECT_EQ(peerLength, sizeof peer);

  sockaddr_in seen{};
  socklen_t seenLength = sizeof seen;
  EXPECT_EQ(integerCall("getpeername", {integer(client), address(&seen), address(&seenLength)}), 0);
  EXPECT_EQ(seen.sin_port, where.sin_port);

  EXPECT_EQ(integerCall("send", {integer(client), cells::makeBlob("ping"), integer(4), integer(0)}), 4);
  char buffer[16] = {};
  EXPECT_EQ(integerCall("recv", {integer(served), address(buffer), integer(sizeof buffer), integer(0)}), 4);
  EXPECT_EQ(std::string(buffer, 4), "ping");

  EXPECT_EQ(integerCall("shutdown", {integer(client), integer(SHUT_WR)}), 0);
  EXPECT_EQ(integerCall("recv", {integer(served), address(buffer), integer(sizeof buffer), integer(0)}), 0);
  for (std::int64_t s : {client, served, server}) EXPECT_EQ(integerCall("closesocket", {integer(s)}), 0);
}

TEST(Sockets, DatagramsOnLoopbackWithSendtoAndRecvfrom) {
  int receiver = ::socket(AF_INET, SOCK_DGRAM, 0), sender = ::socket(AF_INET, SOCK_DGRAM, 0);
  ASSERT_GE(receiver, 0);
  ASSERT_GE(sender, 0);
  limitWaiting(receiver);
  sockaddr_in where = loopback(0);
  ASSERT_EQ(::bind(receiver, reinterpret_cast<sockaddr*>(&where), sizeof where), 0);
  where = loopback(boundPort(receiver));

  CellRef sent = call("sendto", {integer(sender), CellRef("[note]"), integer(6), integer(0),
                                 address(&where), integer(sizeof where)});
  EXPECT_EQ(valueOf(sent), 6);
  char buffer[16] = {};
  sockaddr_in from{};
  socklen_t fromLength = sizeof from;
  CellRef got = call("recvfrom", {integer(receiver), address(buffer), integer(sizeof buffer), integer(0),
                                  address(&from), address(&fromLength)});
  EXPECT_EQ(valueOf(got), 6);
  EXPECT_EQ(std::string(buffer, 6), "[note]");
  EXPECT_EQ(from.sin_family, AF_INET);
  EXPECT_EQ(from.sin_addr.s_addr, htonl(INADDR_LOOPBACK));
  ::close(receiver);
  ::close(sender);
}

}  // namespace
}  // namespace vorn::builtins
