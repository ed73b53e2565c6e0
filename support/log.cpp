// The log file: opened for every append and closed again, never truncated.
#include "support/log.h"

#include <cstdio>

namespace vorn::support {

namespace {
std::string& currentPath() {
  static auto* path = new std::string(kLogPath);
  return *path;
}
}  // namespace

const std::string& logPath() { return currentPath(); }
void setLogPath(std::string path) { currentPath() = std::move(path); }

void appendLog(std::string_view bytes) {
  std::FILE* log = std::fopen(logPath().c_str(), "ab");
  if (log == nullptr) return;
  std::size_t done = 0;
  while (done < bytes.size()) {
    std::size_t wrote = std::fwrite(bytes.data() + done, 1, bytes.size() - done, log);
    if (wrote == 0) break;  // a full disk or a broken file: the log line is dropped
    done += wrote;
  }
  std::fclose(log);  // nothing useful can be done about a failed close of a log
}

}  // namespace vorn::support
