// The log file: opened for every append and closed again, never truncated.
#include "support/log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vorn::support {

namespace {
std::string& currentPath() {
  static auto* path = new std::string(kLogPath);
  return *path;
}
}  // namespace

const std::string& logPath() { return currentPath(); }
void setLogPath(std::string path) { currentPath() = std::move(path); }

namespace {

// Whether the open file is one the log may go into: a regular file of the running user's own
// (the owner files are created with), with no second name that a hard link could have given it.
bool isOwnLogFile(int descriptor) {
  struct stat status {};
  return ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) &&
         status.st_uid == ::geteuid() && status.st_nlink == 1;
}

}  // namespace

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

}  // namespace vorn::support
