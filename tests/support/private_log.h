// A log file of the test's own while it lives, so that no test reads or writes the shared one.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "support/log.h"

namespace vorn::support {

class PrivateLog {
 public:
  PrivateLog() : saved_(logPath()) {
    path_ = ::testing::TempDir() + "vorn-test-log-" + std::to_string(getpid());
    std::remove(path_.c_str());
    setLogPath(path_);
  }
  ~PrivateLog() {
    setLogPath(saved_);
    std::remove(path_.c_str());
  }
  PrivateLog(const PrivateLog&) = delete;
  PrivateLog& operator=(const PrivateLog&) = delete;

 private:
  std::string saved_;
  std::string path_;
};

}  // namespace vorn::support
