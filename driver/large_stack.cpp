// The large-stack thread. The stack is an anonymous mapping made with MAP_NORESERVE, so only the
// pages a deep walk actually touches cost memory; the size is halved until the system grants it.
#include "driver/large_stack.h"

#include <pthread.h>
#include <sys/mman.h>

#include <cstddef>
#include <cstdint>

#include "support/assert.h"
#include "support/config.h"

namespace vorn::driver {

namespace {

constexpr std::size_t kWantedStack = support::kInterpreterStackBytes;
constexpr std::size_t kSmallestStack = std::size_t{64} << 20;

struct Job {
  const std::function<int()>* body;
  int result;
};

void* runJob(void* arg) {
  auto* job = static_cast<Job*>(arg);
  job->result = (*job->body)();
  return nullptr;
}

}  // namespace

int runOnLargeStack(const std::function<int()>& body) {
  std::size_t size = kWantedStack;
  void* stack = MAP_FAILED;
  while (size >= kSmallestStack) {
    stack = mmap(nullptr, size, PROT_READ | PROT_WRITE,
                 MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK, -1, 0);
    if (stack != MAP_FAILED) break;
    size /= 2;
  }
  Job job{&body, 0};
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_t thread;
  bool started = false;
  if (stack != MAP_FAILED && pthread_attr_setstack(&attr, stack, size) == 0) {
    started = pthread_create(&thread, &attr, runJob, &job) == 0;
  }
  pthread_attr_destroy(&attr);
  if (!started) {
    // No big stack to be had: run where we are rather than not at all.
    return body();
  }
  ENTRY_ASSERT(pthread_join(thread, nullptr) == 0);
  // The mapping is left in place: the process ends right after the interpreter returns.
  return job.result;
}

}  // namespace vorn::driver
