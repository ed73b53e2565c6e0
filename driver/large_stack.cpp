// The large-stack thread. The stack is an anonymous mapping made with MAP_NORESERVE, so only the
// pages a deep walk actually touches cost memory; the size is halved until the system grants it.
#include "driver/large_stack.h"

#include <pthread.h>
#include <signal.h>
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
  sigset_t signals;  // the signal mask the process started with
};

// SIGINT is blocked in the thread that waits, and the interpreter's thread has the mask the
// process started with, so that SIGINT reaches the interpreter: an interactive session catches it
// there to interrupt a read or an evaluation. Where SIGINT keeps its default action it ends the
// whole process whichever thread takes it, so a plain run is unchanged.
sigset_t interruptSignal() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  return set;
}

void* runJob(void* arg) {
  auto* job = static_cast<Job*>(arg);
  pthread_sigmask(SIG_SETMASK, &job->signals, nullptr);
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
  Job job{&body, 0, {}};
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_t thread;
  bool started = false;
  sigset_t interrupt = interruptSignal();
  pthread_sigmask(SIG_BLOCK, &interrupt, &job.signals);
  if (stack != MAP_FAILED && pthread_attr_setstack(&attr, stack, size) == 0) {
    started = pthread_create(&thread, &attr, runJob, &job) == 0;
  }
  pthread_attr_destroy(&attr);
  if (!started) {
    pthread_sigmask(SIG_SETMASK, &job.signals, nullptr);
    // No big stack to be had: run where we are rather than not at all.
    return body();
  }
  ENTRY_ASSERT(pthread_join(thread, nullptr) == 0);
  pthread_sigmask(SIG_SETMASK, &job.signals, nullptr);
  // The mapping is left in place: the process ends right after the interpreter returns.
  return job.result;
}

}  // namespace vorn::driver
