// The fault handlers behind guardMemory, and the alternate stack they run on.
#include "builtins/fault_guard.h"

#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>

namespace vorn::builtins::fault_guard {

namespace {

// Room for the handler's frame on the alternate stack; the handler itself needs very little.
constexpr std::size_t kAlternateStackBytes = std::size_t{64} << 10;

// Under AddressSanitizer the handler runs on the thread's own stack. The sanitizer clears the
// stack's shadow on every jump; jumping from an alternate stack, it clears the whole of the
// thread's stack, which for the interpreter's 64 GiB reservation it refuses with a warning on
// stderr, and it would then report false errors. From the thread's own stack it clears only the
// frames the jump leaves. (The alternate stack only matters for a fault that overflows the stack,
// which no guarded access does.)
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kOnAlternateStack = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kOnAlternateStack = false;
#else
constexpr bool kOnAlternateStack = true;
#endif
#else
constexpr bool kOnAlternateStack = true;
#endif

// The actions that were in place before ours, given back the signal when it is not ours to take.
struct sigaction previousSegv {};
struct sigaction previousBus {};

void onFault(int signal, siginfo_t* info, void*) {
  // A positive code means the processor raised the signal on an instruction of this thread; a
  // signal sent by a process (kill, raise) is never a fault of the access, even while one is armed.
  sigjmp_buf* target = landing;
  if (target != nullptr && info->si_code > 0) siglongjmp(*target, 1);
  // Not ours: the earlier action takes it, from now on. A faulting instruction runs again on
  // return and meets that action; a sent signal is sent again, and stays pending until we return.
  sigaction(signal, signal == SIGSEGV ? &previousSegv : &previousBus, nullptr);
  if (info->si_code <= 0) raise(signal);
}

void installHandlers() {
  struct sigaction action {};
  action.sa_sigaction = onFault;
  action.sa_flags = kOnAlternateStack ? SA_SIGINFO | SA_ONSTACK : SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  sigaction(SIGSEGV, &action, &previousSegv);
  sigaction(SIGBUS, &action, &previousBus);
}

// The handler runs on an alternate stack, so that it can run even when the fault is an overflow
// of the thread's own stack. A thread that already has one (a sanitizer installs its own) keeps it.
// The stack is a mapping that lives as long as the process: the thread that runs programs lasts
// until the process ends.
void ensureAlternateStack() {
  if (!kOnAlternateStack) return;
  stack_t current{};
  if (sigaltstack(nullptr, &current) != 0 || (current.ss_flags & SS_DISABLE) == 0) return;
  void* memory = mmap(nullptr, kAlternateStackBytes, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
  if (memory == MAP_FAILED) return;
  stack_t alternate{};
  alternate.ss_sp = memory;
  alternate.ss_size = kAlternateStackBytes;
  if (sigaltstack(&alternate, nullptr) != 0) munmap(memory, kAlternateStackBytes);
}

}  // namespace

void prepare() {
  static std::once_flag installed;
  std::call_once(installed, installHandlers);
  ensureAlternateStack();
  prepared = true;
}

void land(const char* builtin) {
  // The handler was left by a jump, not by a return, so the signal it took is still blocked.
  sigset_t faults;
  sigemptyset(&faults);
  sigaddset(&faults, SIGSEGV);
  sigaddset(&faults, SIGBUS);
  pthread_sigmask(SIG_UNBLOCK, &faults, nullptr);
  throw MemoryFault{builtin};
}

}  // namespace vorn::builtins::fault_guard

namespace vorn::builtins {

namespace {

constexpr std::size_t kPageBytes = 4096;

// The allocator's size word sits below the block, where the sanitizer build keeps a poisoned zone
// of its own, so this one read is not checked by it.
__attribute__((no_sanitize("address"))) std::size_t sizeWordBelow(const char* block) {
  std::size_t word;
  std::memcpy(&word, block - sizeof word, sizeof word);
  return word;
}

}  // namespace

void probeString(const char* builtin, const char* s) {
  // Kept in a volatile, so that the measuring is not dropped as a result nobody uses.
  volatile std::size_t length = guardMemory(builtin, [s] { return std::strlen(s); });
  static_cast<void>(length);
}

void probeBytes(const char* builtin, const void* p, std::size_t n, bool writable) {
  if (n == 0) return;
  auto* bytes = static_cast<volatile unsigned char*>(const_cast<void*>(p));
  guardMemory(builtin, [bytes, n, writable] {
    // Memory is mapped and protected page by page: one byte of each page the range touches says
    // it all, the last byte included.
    auto touch = [bytes, writable](std::size_t at) {
      unsigned char value = bytes[at];
      if (writable) bytes[at] = value;
    };
    std::size_t firstPageRest = kPageBytes - reinterpret_cast<std::uintptr_t>(bytes) % kPageBytes;
    touch(0);
    for (std::size_t at = firstPageRest; at < n; at += kPageBytes) touch(at);
    touch(n - 1);
  });
}

void probeHeapBlock(const char* builtin, const void* block) {
  if (block == nullptr) return;
  const auto* bytes = static_cast<const char*>(block);
  volatile std::size_t word = guardMemory(builtin, [bytes] { return sizeWordBelow(bytes); });
  static_cast<void>(word);
}

}  // namespace vorn::builtins
