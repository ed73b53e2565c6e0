// Report formatting, the display and escaped forms, the fatal error, the log file and the
// assertion line.
#include "driver/report.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "driver/assert.h"

namespace vorn::driver {

void assertionFailed(const char* source, int line) {
  std::fflush(stdout);
  std::fprintf(stderr, "ASSERTION FAILED:%s:%d\n", source, line);
  std::fflush(stderr);
  std::abort();
}

ErrorReport makeReport(std::string type, std::string message, std::string name,
                       std::int64_t position) {
  ErrorReport report;
  report.type = std::move(type);
  report.message = std::move(message);
  report.name = std::move(name);
  report.position = position;
  return report;
}

std::string formatReport(const ErrorReport& report) {
  if (report.ok()) return "No errors.\n";
  std::string out = "Error.\n Type: " + report.type + "\n";
  if (!report.name.empty()) out += " Name: " + report.name + "\n";
  out += report.message + "\n";
  out += "\\/\n";
  return out;
}

namespace {

enum class Shade { Plain, Red, Green };

// Bytes 127..160 show as one of these, in order.
constexpr std::string_view kSymbolKeys = "~!@#$%^&*<>-|+/=\\.`'\":;?0123456789";
// Bytes 255 (index 0) and 0..31 (index byte + 1) show as one of these.
constexpr std::string_view kControlKeys = "]JABCDEFGHI,KLMNOPQRSTUVWXYZ(){}[_";

Shade shadeOf(unsigned char c) {
  if (c == 10 || (c >= 32 && c <= 126)) return Shade::Plain;
  if (c >= 161 && c <= 254) return Shade::Red;
  return Shade::Green;
}

char shownAs(unsigned char c) {
  switch (shadeOf(c)) {
    case Shade::Plain: return static_cast<char>(c);
    case Shade::Red: return static_cast<char>(c - 128);
    case Shade::Green:
      if (c >= 127 && c <= 160) return kSymbolKeys[c - 127];
      return kControlKeys[c == 255 ? 0 : c + 1];
  }
  return '?';
}

const char* escapeFor(Shade shade) {
  switch (shade) {
    case Shade::Plain: return "\033[m";
    case Shade::Red: return "\033[31m";
    case Shade::Green: return "\033[32m";
  }
  return "";
}

}  // namespace

std::string displayForm(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + 16);
  Shade current = Shade::Plain;
  for (char ch : bytes) {
    auto c = static_cast<unsigned char>(ch);
    Shade shade = shadeOf(c);
    if (shade != current) {
      out += escapeFor(shade);
      current = shade;
    }
    out += shownAs(c);
  }
  if (current != Shade::Plain) out += "\033[m";
  return out;
}

std::string escapeBytes(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char ch : bytes) {
    auto c = static_cast<unsigned char>(ch);
    if (c >= 32 && c <= 126 && c != '[' && c != ']') {
      out += ch;
    } else {
      out += '[';
      out += kHex[c >> 4];
      out += kHex[c & 15];
      out += ']';
    }
  }
  return out;
}

void fatal(std::string_view message) {
  std::fputs("REDVFAIL: ", stdout);
  std::fwrite(message.data(), 1, message.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
  CORE_UNREACHABLE();
}

namespace {

std::string& logPathSlot() {
  static auto* path = new std::string(kLogPath);
  return *path;
}

// Whether the open file is one the log may go into: a regular file of the running user's own
// (the owner files are created with), with no second name that a hard link could have given it.
bool isOwnLogFile(int descriptor) {
  struct stat status {};
  return ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) &&
         status.st_uid == ::geteuid() && status.st_nlink == 1;
}

}  // namespace

const std::string& logPath() { return logPathSlot(); }

void setLogPath(std::string path) { logPathSlot() = std::move(path); }

void appendLog(std::string_view bytes) {
  // O_NOFOLLOW: a symbolic link at the path fails the open rather than leading elsewhere.
  // O_NONBLOCK: a FIFO planted there fails or opens at once instead of waiting for a reader (and
  // is then refused as not regular); it changes nothing for a regular file.
  int log = ::open(logPath().c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                   S_IRUSR | S_IWUSR);
  if (log < 0) return;
  if (isOwnLogFile(log)) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      ssize_t wrote = ::write(log, bytes.data() + done, bytes.size() - done);
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote <= 0) break;  // a full disk or a broken file: the rest of the line is dropped
      done += static_cast<std::size_t>(wrote);
    }
  }
  ::close(log);  // nothing useful can be done about a failed close of a log
}

}  // namespace vorn::driver
