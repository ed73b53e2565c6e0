// The guard around every place a builtin touches memory at an address the program gave it. A
// program may hand over any integer as an address; one that is not readable or writable ends the
// run with a "Fault" report naming the builtin instead of killing the process without a word.
//
// How: a SIGSEGV/SIGBUS handler, running on an alternate signal stack, jumps back to the guarded
// access in progress on its thread, which throws MemoryFault from ordinary code; the builtin's
// frames unwind normally, so every Cell they held is released once, and the run driver turns the
// exception into the report. A fault while no access is guarded (an internal error) is left to
// the action that was in place before, as if the guard did not exist.
#pragma once

#include <atomic>
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "builtins/convention.h"

namespace vorn::builtins {

// Thrown when a guarded access faulted; `builtin` names the builtin whose access it was.
struct MemoryFault {
  const char* builtin;
};

namespace fault_guard {

// The landing of the guarded access in progress on this thread; null while there is none.
constinit inline thread_local sigjmp_buf* landing = nullptr;
// Whether this thread has its alternate signal stack (and the process its handlers).
constinit inline thread_local bool prepared = false;

// Installs the handlers (once per process) and this thread's alternate signal stack.
void prepare();
// After the handler jumped back: lets the fault signals through again and throws MemoryFault.
[[noreturn]] void land(const char* builtin);

}  // namespace fault_guard

// Runs `access` and returns its result; when it faults, throws MemoryFault{builtin} instead.
//
// The landing skips the frames of `access` and of whatever it called, so `access` must own
// nothing that needs destroying: it only loads, stores and calls the C library on values read
// beforehand. Nor may a fault strike a library function while it holds a lock or a half-made
// structure that the rest of the run needs: a function that allocates, looks names up or keeps
// state gets its memory probed first (below) and is called without the guard. The one exception
// is stdio, whose stream lock is recursive and held by the same thread that then reports (see
// streams.cpp). Arming costs a sigsetjmp that saves no signal mask: a few stores, no system call.
template <typename Access>
auto guardMemory(const char* builtin, Access&& access) -> decltype(access()) {
  if (!fault_guard::prepared) fault_guard::prepare();
  sigjmp_buf here;
  sigjmp_buf* outer = fault_guard::landing;
  if (sigsetjmp(here, 0) != 0) {
    fault_guard::landing = outer;
    fault_guard::land(builtin);
  }
  // The fences keep the compiler from dropping the store the handler reads, or from moving the
  // access out from between arming and disarming.
  fault_guard::landing = &here;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  if constexpr (std::is_void_v<decltype(access())>) {
    access();
    std::atomic_signal_fence(std::memory_order_seq_cst);
    fault_guard::landing = outer;
  } else {
    auto result = access();
    std::atomic_signal_fence(std::memory_order_seq_cst);
    fault_guard::landing = outer;
    return result;
  }
}

// A T loaded from, or stored at, a program address under the guard; the address need not be
// aligned for T.
template <typename T>
T guardedGet(const char* builtin, std::int64_t address) {
  const void* from = pointerAt(address);
  return guardMemory(builtin, [from] { return get<T>(from); });
}
template <typename T>
void guardedPut(const char* builtin, std::int64_t address, T value) {
  void* to = pointerAt(address);
  guardMemory(builtin, [to, value] { put(to, value); });
}

// Probes, for a library function that takes locks or allocates while it works on program memory:
// each touches that memory under the guard first, so that the function, called afterwards without
// the guard, only meets memory it can use and never faults half-way.

// Reads the zero-terminated string at `s`.
void probeString(const char* builtin, const char* s);
// Reads (and, when `writable`, writes back unchanged) one byte in every page of the n bytes at p.
void probeBytes(const char* builtin, const void* p, std::size_t n, bool writable);
// Reads the size word the allocator keeps just before a block it handed out (nothing for null),
// before the block goes back to the allocator.
void probeHeapBlock(const char* builtin, const void* block);

}  // namespace vorn::builtins
