// Runs a piece of a test on a thread with a deliberately small native stack. A walk that recursed
// natively over a deep term or text would overflow it and crash the whole test binary, so a test
// that passes here shows that the walk keeps its work list on the heap.
#pragma once

#include <pthread.h>

#include <cstddef>
#include <functional>

namespace vorn::support {

inline constexpr std::size_t kSmallStack = std::size_t{256} << 10;

// Calls `body` on a fresh thread with a stack of `bytes` and returns its result (-1 when no
// thread could be started).
inline int runOnSmallStack(const std::function<int()>& body, std::size_t bytes = kSmallStack) {
  struct Job {
    const std::function<int()>* body;
    int result;
  } job{&body, -1};
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, bytes);
  pthread_t thread;
  bool started = pthread_create(
                     &thread, &attr,
                     [](void* arg) -> void* {
                       auto* j = static_cast<Job*>(arg);
                       j->result = (*j->body)();
                       return nullptr;
                     },
                     &job) == 0;
  pthread_attr_destroy(&attr);
  if (started) pthread_join(thread, nullptr);
  return job.result;
}

}  // namespace vorn::support
