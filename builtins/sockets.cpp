// Sockets and name resolution: socket, bind, listen, accept, connect, shutdown, closesocket,
// send, recv, sendto, recvfrom, setsockopt, getpeername, gethostname, getaddrinfo,
// freeaddrinfo, gai_strerror, getnameinfo, inet_pton, inet_ntop, htonl, htons, ntohl, ntohs,
// addrinfo, af_unspec, ai_passive, sock_stream and fd_set.
//
// Sockets are plain descriptors and closesocket closes them. Buffers, socket addresses, address
// lists and fd_set blocks are integer addresses that programs fill and read with the memory
// builtins. Parameters of C type int (and socklen_t) receive the low 32 bits of the value.
//
// Socket calls hand their buffers and addresses to the kernel, which refuses unreadable ones with
// EFAULT. The calls that read or write program memory in the process itself guard it: the plain
// ones (gethostname, inet_pton, inet_ntop, fd_set) run under guardMemory, and the ones that
// allocate or look names up (getaddrinfo, getnameinfo, freeaddrinfo) get their memory probed
// first. A wild address ends the run with a "Fault" report.
//
// Broken connections never raise SIGPIPE: send and sendto always add MSG_NOSIGNAL, so sending on
// a socket whose peer has gone returns -1 with errno EPIPE, which the program can test, instead
// of silently killing the interpreter.
#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>

static_assert(sizeof(socklen_t) == 4, "socket address lengths are 4 bytes");

#include "builtins/c_layouts.h"
#include "builtins/convention.h"
#include "builtins/fault_guard.h"
#include "cells/integer.h"
#include "cells/text.h"

namespace vorn::builtins {

namespace {

// ---- Argument helpers -------------------------------------------------------------------------


socklen_t lowSockLen(std::int64_t value) { return static_cast<socklen_t>(value); }

// A buffer length of C type int. A negative length fails the call with EINVAL, as the sockets
// layer does, rather than turning into an enormous size_t that would run far past the buffer.
std::optional<std::size_t> bufferLength(std::int64_t value) {
  int length = lowInt(value);
  if (length < 0) {
    errno = EINVAL;
    return std::nullopt;
  }
  return static_cast<std::size_t>(length);
}

// How many bytes may be read at the view of an address-or-text argument: unlimited for an
// address (the program vouches for its memory); for a blob or text, its bytes and the zero byte
// that always follows them.
std::optional<std::size_t> viewableBytes(Cell* value) {
  char kind = cells::valueKind(value);
  if (kind == 'a') return cells::blobPayloadLength(value) + 1;
  if (kind != 'u') return std::nullopt;
  if (cells::isAtomCell(value)) return cells::atomSizeOf(value) + 1;
  return cells::atomSize(cells::flattenText(CellRef::borrow(value))) + 1;
}

// The data of send and sendto: the view of the argument and the checked length. A length that
// runs past the blob or text it views fails with EFAULT and nothing is sent, so interpreter
// memory beyond the value never leaves the process.
std::optional<std::size_t> dataLength(Cell* data, std::int64_t value) {
  std::optional<std::size_t> length = bufferLength(value);
  if (!length) return std::nullopt;
  std::optional<std::size_t> limit = viewableBytes(data);
  if (limit && *length > *limit) {
    errno = EFAULT;
    return std::nullopt;
  }
  return length;
}

// ---- gai_strerror's message buffer --------------------------------------------------------------

constexpr std::size_t kMessageUnits = 1024;

char16_t* messageBuffer() {
  static char16_t buffer[kMessageUnits];
  return buffer;
}

// Decodes one UTF-8 sequence at text[i], advancing i; a malformed byte becomes U+FFFD.
char32_t decodeUtf8(const unsigned char* text, std::size_t& i) {
  unsigned char lead = text[i++];
  if (lead < 0x80) return lead;
  int more = lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 && lead < 0xE0 ? 1 : -1;
  if (more < 0) return 0xFFFD;
  char32_t code = lead & (0x3F >> more);
  for (int k = 0; k < more; ++k) {
    if ((text[i] & 0xC0) != 0x80) return 0xFFFD;
    code = (code << 6) | (text[i++] & 0x3F);
  }
  static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
  if (code < kSmallest[more] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return 0xFFFD;
  return code;
}

// Writes the message as zero-terminated UTF-16 into the buffer, cut short at a whole character
// when it does not fit.
void storeMessage(const char* message) {
  char16_t* out = messageBuffer();
  const auto* text = reinterpret_cast<const unsigned char*>(message);
  std::size_t used = 0;
  for (std::size_t i = 0; text[i] != 0;) {
    char32_t code = decodeUtf8(text, i);
    std::size_t units = code >= 0x10000 ? 2 : 1;
    if (used + units >= kMessageUnits) break;
    if (units == 2) {
      out[used++] = static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      out[used++] = static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      out[used++] = static_cast<char16_t>(code);
    }
  }
  out[used] = 0;
}

// ---- fd_set: a 32-bit count at 0, then 64 handles of 8 bytes from offset 8 (c_layouts.h) -------

// Adds the socket unless it is present or the set is full. The walk never looks past the 64
// handles, even when the count has been overwritten with something larger.
void insertIntoSet(unsigned char* set, std::int64_t socket) {
  auto count = get<std::uint32_t>(set + kFdSetCountAt);
  std::uint32_t walked = count < kFdSetCapacity ? count : kFdSetCapacity;
  for (std::uint32_t i = 0; i < walked; ++i) {
    if (get<std::int64_t>(set + kFdSetHandlesAt + 8 * i) == socket) return;
  }
  if (count >= kFdSetCapacity) return;
  put<std::int64_t>(set + kFdSetHandlesAt + 8 * count, socket);
  put<std::uint32_t>(set + kFdSetCountAt, count + 1);
}

}  // namespace

// ---- Sockets ------------------------------------------------------------------------------------

CellRef sockSocket(CellRef node) {
  Args args(node, 3);
  std::int64_t family, type, protocol;
  if (!readIntegers(args, family, type, protocol)) return wrongType();
  return signedResult(::socket(lowInt(family), lowInt(type), lowInt(protocol)));
}

CellRef sockBind(CellRef node) {
  Args args(node, 3);
  std::int64_t socket, address, length;
  if (!readIntegers(args, socket, address, length)) return wrongType();
  return signedResult(::bind(lowInt(socket), pointerAt<sockaddr>(address), lowSockLen(length)));
}

CellRef sockListen(CellRef node) {
  Args args(node, 2);
  std::int64_t socket, backlog;
  if (!readIntegers(args, socket, backlog)) return wrongType();
  return signedResult(::listen(lowInt(socket), lowInt(backlog)));
}

CellRef sockAccept(CellRef node) {
  Args args(node, 3);
  std::int64_t socket, address, lengthAddress;
  if (!readIntegers(args, socket, address, lengthAddress)) return wrongType();
  return signedResult(
      ::accept(lowInt(socket), pointerAt<sockaddr>(address), pointerAt<socklen_t>(lengthAddress)));
}

CellRef sockConnect(CellRef node) {
  Args args(node, 3);
  std::int64_t socket, address, length;
  if (!readIntegers(args, socket, address, length)) return wrongType();
  return signedResult(::connect(lowInt(socket), pointerAt<sockaddr>(address), lowSockLen(length)));
}

CellRef sockShutdown(CellRef node) {
  Args args(node, 2);
  std::int64_t socket, how;
  if (!readIntegers(args, socket, how)) return wrongType();
  return signedResult(::shutdown(lowInt(socket), lowInt(how)));
}

CellRef sockClosesocket(CellRef node) {
  Args args(node, 1);
  std::int64_t socket;
  if (!readIntegers(args, socket)) return wrongType();
  return signedResult(::close(lowInt(socket)));
}

// ---- Data transfer ------------------------------------------------------------------------------

CellRef sockSend(CellRef node) {
  Args args(node, 4);
  std::int64_t socket, length, flags;
  PointerView data;
  if (!readInteger(args[0], socket) || !readAddressOrText(args[1], data) ||
      !readInteger(args[2], length) || !readInteger(args[3], flags)) {
    return wrongType();
  }
  std::optional<std::size_t> size = dataLength(args[1], length);
  if (!size) return signedResult(-1);
  return signedResult(::send(lowInt(socket), data.get(), *size, lowInt(flags) | MSG_NOSIGNAL));
}

CellRef sockRecv(CellRef node) {
  Args args(node, 4);
  std::int64_t socket, buffer, length, flags;
  if (!readIntegers(args, socket, buffer, length, flags)) return wrongType();
  std::optional<std::size_t> size = bufferLength(length);
  if (!size) return signedResult(-1);
  return signedResult(::recv(lowInt(socket), pointerAt(buffer), *size, lowInt(flags)));
}

CellRef sockSendto(CellRef node) {
  Args args(node, 6);
  std::int64_t socket, length, flags, address, addressLength;
  PointerView data;
  if (!readInteger(args[0], socket) || !readAddressOrText(args[1], data) ||
      !readInteger(args[2], length) || !readInteger(args[3], flags) ||
      !readInteger(args[4], address) || !readInteger(args[5], addressLength)) {
    return wrongType();
  }
  std::optional<std::size_t> size = dataLength(args[1], length);
  if (!size) return signedResult(-1);
  return signedResult(::sendto(lowInt(socket), data.get(), *size, lowInt(flags) | MSG_NOSIGNAL,
                               pointerAt<sockaddr>(address), lowSockLen(addressLength)));
}

CellRef sockRecvfrom(CellRef node) {
  Args args(node, 6);
  std::int64_t socket, buffer, length, flags, address, lengthAddress;
  if (!readIntegers(args, socket, buffer, length, flags, address, lengthAddress)) return wrongType();
  std::optional<std::size_t> size = bufferLength(length);
  if (!size) return signedResult(-1);
  return signedResult(::recvfrom(lowInt(socket), pointerAt(buffer), *size, lowInt(flags),
                                 pointerAt<sockaddr>(address), pointerAt<socklen_t>(lengthAddress)));
}

CellRef sockSetsockopt(CellRef node) {
  Args args(node, 5);
  std::int64_t socket, level, option, value, length;
  if (!readIntegers(args, socket, level, option, value, length)) return wrongType();
  return signedResult(::setsockopt(lowInt(socket), lowInt(level), lowInt(option), pointerAt(value),
                                   lowSockLen(length)));
}

CellRef sockGetpeername(CellRef node) {
  Args args(node, 3);
  std::int64_t socket, address, lengthAddress;
  if (!readIntegers(args, socket, address, lengthAddress)) return wrongType();
  return signedResult(::getpeername(lowInt(socket), pointerAt<sockaddr>(address),
                                    pointerAt<socklen_t>(lengthAddress)));
}

// ---- Names and addresses ------------------------------------------------------------------------

CellRef sockGethostname(CellRef node) {
  Args args(node, 2);
  std::int64_t buffer, length;
  if (!readIntegers(args, buffer, length)) return wrongType();
  std::optional<std::size_t> size = bufferLength(length);
  if (!size) return signedResult(-1);
  char* room = pointerAt<char>(buffer);
  std::size_t bytes = *size;
  return signedResult(guardMemory("gethostname", [room, bytes] { return ::gethostname(room, bytes); }));
}

// All four arguments are taken as integers without a test.
CellRef sockGetaddrinfo(CellRef node) {
  Args args(node, 4);
  std::int64_t host = readUncheckedInteger(args[0]);
  std::int64_t service = readUncheckedInteger(args[1]);
  std::int64_t hints = readUncheckedInteger(args[2]);
  std::int64_t slot = readUncheckedInteger(args[3]);
  if (host != 0) probeString("getaddrinfo", pointerAt<const char>(host));
  if (service != 0) probeString("getaddrinfo", pointerAt<const char>(service));
  if (hints != 0) probeBytes("getaddrinfo", pointerAt<const addrinfo>(hints), sizeof(addrinfo), false);
  if (slot != 0) probeBytes("getaddrinfo", pointerAt<addrinfo*>(slot), sizeof(addrinfo*), true);
  return signedResult(::getaddrinfo(pointerAt<const char>(host), pointerAt<const char>(service),
                                    pointerAt<const addrinfo>(hints), pointerAt<addrinfo*>(slot)));
}

CellRef sockFreeaddrinfo(CellRef node) {
  Args args(node, 1);
  auto* list = pointerAt<addrinfo>(readUncheckedInteger(args[0]));
  if (list == nullptr) return doneResult();
  // Every node of the list, and the name block hanging off it, is read before anything is freed.
  // The walk stops after as many nodes as any real list could have (a list that runs on is one the
  // library's free will refuse as a double free).
  constexpr int kLongestList = 1 << 16;
  addrinfo* item = list;
  for (int walked = 0; item != nullptr && walked < kLongestList; ++walked) {
    probeHeapBlock("freeaddrinfo", item);
    addrinfo* at = item;
    char* name = guardMemory("freeaddrinfo", [at] { return at->ai_canonname; });
    probeHeapBlock("freeaddrinfo", name);
    item = guardMemory("freeaddrinfo", [at] { return at->ai_next; });
  }
  ::freeaddrinfo(list);
  return doneResult();
}

// The C library's message for the code, as UTF-16 in the one process-wide buffer.
CellRef sockGaiStrerror(CellRef node) {
  Args args(node, 1);
  std::int64_t code;
  if (!readIntegers(args, code)) return wrongType();
  storeMessage(::gai_strerror(lowInt(code)));
  return addressResult(messageBuffer());
}

CellRef sockGetnameinfo(CellRef node) {
  Args args(node, 7);
  std::int64_t address, length, host, hostLength, service, serviceLength, flags;
  if (!readIntegers(args, address, length, host, hostLength, service, serviceLength, flags)) {
    return wrongType();
  }
  // The lengths are taken at their word: the library may write anywhere within them.
  probeBytes("getnameinfo", pointerAt(address), lowSockLen(length), false);
  probeBytes("getnameinfo", pointerAt(host), host != 0 ? lowSockLen(hostLength) : 0, true);
  probeBytes("getnameinfo", pointerAt(service), service != 0 ? lowSockLen(serviceLength) : 0, true);
  return signedResult(::getnameinfo(pointerAt<const sockaddr>(address), lowSockLen(length),
                                    pointerAt<char>(host), lowSockLen(hostLength),
                                    pointerAt<char>(service), lowSockLen(serviceLength),
                                    lowInt(flags)));
}

CellRef sockInetPton(CellRef node) {
  Args args(node, 3);
  std::int64_t family, source, destination;
  if (!readIntegers(args, family, source, destination)) return wrongType();
  int kind = lowInt(family);
  const char* text = pointerAt<const char>(source);
  void* out = pointerAt(destination);
  return signedResult(guardMemory("inet_pton", [kind, text, out] { return ::inet_pton(kind, text, out); }));
}

CellRef sockInetNtop(CellRef node) {
  Args args(node, 4);
  std::int64_t family, source, destination, size;
  if (!readIntegers(args, family, source, destination, size)) return wrongType();
  int kind = lowInt(family);
  const void* from = pointerAt<const void>(source);
  char* out = pointerAt<char>(destination);
  socklen_t room = lowSockLen(size);
  return addressResult(guardMemory("inet_ntop", [kind, from, out, room] { return ::inet_ntop(kind, from, out, room); }));
}

// ---- Byte order ---------------------------------------------------------------------------------

CellRef sockHtonl(CellRef node) {
  Args args(node, 1);
  std::int64_t value;
  if (!readIntegers(args, value)) return wrongType();
  return signedResult(::htonl(static_cast<std::uint32_t>(value)));
}

CellRef sockHtons(CellRef node) {
  Args args(node, 1);
  std::int64_t value;
  if (!readIntegers(args, value)) return wrongType();
  return signedResult(::htons(static_cast<std::uint16_t>(value)));
}

CellRef sockNtohl(CellRef node) {
  Args args(node, 1);
  std::int64_t value;
  if (!readIntegers(args, value)) return wrongType();
  return unsignedResult(::ntohl(static_cast<std::uint32_t>(value)));
}

CellRef sockNtohs(CellRef node) {
  Args args(node, 1);
  std::int64_t value;
  if (!readIntegers(args, value)) return wrongType();
  return unsignedResult(::ntohs(static_cast<std::uint16_t>(value)));
}

// ---- Sizes, constants and the socket set --------------------------------------------------------

CellRef sockAddrinfo(CellRef) { return signedResult(sizeof(addrinfo)); }
CellRef sockAfUnspec(CellRef) { return signedResult(0); }
// ai_passive and sock_stream: both names are bound to this one entry.
CellRef sockOne(CellRef) { return signedResult(1); }

CellRef sockFdSet(CellRef node) {
  Args args(node, 2);
  std::int64_t socket, set;
  if (!readIntegers(args, socket, set)) return wrongType();
  auto* block = pointerAt<unsigned char>(set);
  guardMemory("fd_set", [block, socket] { insertIntoSet(block, socket); });
  return doneResult();
}

}  // namespace vorn::builtins
