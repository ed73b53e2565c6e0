// Time, process control and error numbers: bindings of the C library's time functions
// (64-bit time_t), of abort, exit, system, getenv and raise, the language's assert, errno with
// strerror, and the platform's error-number constants that programs compare errno with.
//
// Builtins defined here:
//   time time_t ctime asctime gmtime localtime mktime difftime strftime
//   abort exit system getenv raise assert
//   errno strerror eacces ebadf econnaborted efault eintr einval eio emfile enfile enodev enomem
//   enotsock enxio eopnotsupp eoverflow ewouldblock
//
// Every read or write of a program's time_t, struct tm, buffer or string is guarded, so a wild
// address ends the run with a "Fault" report.
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "builtins/convention.h"
#include "builtins/fault_guard.h"
#include "support/assert.h"

namespace vorn::builtins {

namespace {

// ---- The program's struct tm ----------------------------------------------------------------

// A program holds a struct tm as its nine int fields (36 bytes), in the C order tm_sec, tm_min,
// tm_hour, tm_mday, tm_mon, tm_year, tm_wday, tm_yday, tm_isdst. The C library's struct tm may be
// longer, so those nine fields are copied into a full local one and, where the library changes
// them, back again; nothing past the program's 36 bytes is read or written.
constexpr std::size_t kTmFields = 9;

struct TmFields {
  std::int32_t values[kTmFields];
};

std::tm copyInTm(const char* builtin, std::int64_t address) {
  const TmFields stored = guardedGet<TmFields>(builtin, address);
  const std::int32_t* fields = stored.values;
  std::tm full{};
  full.tm_sec = fields[0];
  full.tm_min = fields[1];
  full.tm_hour = fields[2];
  full.tm_mday = fields[3];
  full.tm_mon = fields[4];
  full.tm_year = fields[5];
  full.tm_wday = fields[6];
  full.tm_yday = fields[7];
  full.tm_isdst = fields[8];
  return full;
}

void copyOutTm(const char* builtin, const std::tm& full, std::int64_t address) {
  const TmFields fields = {{full.tm_sec, full.tm_min, full.tm_hour, full.tm_mday, full.tm_mon,
                            full.tm_year, full.tm_wday, full.tm_yday, full.tm_isdst}};
  guardedPut(builtin, address, fields);
}

// The C library dereferences these pointers unconditionally. A null address is the common
// "nothing" value of programs (every failing address-returning call gives 0), so it is refused
// with EINVAL and the function's failure value rather than crashing the process.
bool refuseNull(std::int64_t address) {
  if (address != 0) return false;
  errno = EINVAL;
  return true;
}

// Calls a function of a time_t held at a program address and returns the address it gives.
CellRef fromTimeSlot(const CellRef& node, const char* builtin, std::tm* (*convert)(const std::time_t*)) {
  Args args(node, 1);
  std::int64_t slot = 0;
  if (!readInteger(args[0], slot)) return wrongType();
  if (refuseNull(slot)) return addressResult(nullptr);
  auto when = guardedGet<std::time_t>(builtin, slot);
  return addressResult(convert(&when));
}

// Output that is still buffered in any C stream is written before the process may end, so a
// program's last lines are not lost.
void flushAllStreams() { std::fflush(nullptr); }

// The line the assert builtin names in its report.
constexpr int kAssertLine = 242;

}  // namespace

// ---- Time -------------------------------------------------------------------------------------

// time p: the current time, also stored as a time_t at p unless p is 0.
CellRef sysTime(CellRef node) {
  Args args(node, 1);
  std::int64_t slot = 0;
  if (!readInteger(args[0], slot)) return wrongType();
  std::time_t now = std::time(nullptr);
  if (slot != 0) guardedPut("time", slot, now);
  return signedResult(now);
}

CellRef sysTimeT(CellRef) { return signedResult(sizeof(std::time_t)); }

CellRef sysCtime(CellRef node) {
  Args args(node, 1);
  std::int64_t slot = 0;
  if (!readInteger(args[0], slot)) return wrongType();
  if (refuseNull(slot)) return addressResult(nullptr);
  auto when = guardedGet<std::time_t>("ctime", slot);
  return addressResult(std::ctime(&when));
}

CellRef sysGmtime(CellRef node) {
  return fromTimeSlot(node, "gmtime", [](const std::time_t* t) { return std::gmtime(t); });
}

CellRef sysLocaltime(CellRef node) {
  return fromTimeSlot(node, "localtime", [](const std::time_t* t) { return std::localtime(t); });
}

CellRef sysAsctime(CellRef node) {
  Args args(node, 1);
  std::int64_t address = 0;
  if (!readInteger(args[0], address)) return wrongType();
  if (refuseNull(address)) return addressResult(nullptr);
  std::tm full = copyInTm("asctime", address);
  return addressResult(std::asctime(&full));
}

// mktime p: the time of the broken-down time at p, whose nine fields are normalised in place.
CellRef sysMktime(CellRef node) {
  Args args(node, 1);
  std::int64_t address = 0;
  if (!readInteger(args[0], address)) return wrongType();
  if (refuseNull(address)) return signedResult(-1);
  std::tm full = copyInTm("mktime", address);
  std::time_t when = std::mktime(&full);
  copyOutTm("mktime", full, address);
  return signedResult(when);
}

CellRef sysDifftime(CellRef node) {
  Args args(node, 2);
  std::int64_t end = 0;
  std::int64_t start = 0;
  if (!readInteger(args[0], end) || !readInteger(args[1], start)) return wrongType();
  return realResult(std::difftime(static_cast<std::time_t>(end), static_cast<std::time_t>(start)));
}

// strftime buffer size format tm: the number of bytes written (0 when they do not fit).
CellRef sysStrftime(CellRef node) {
  Args args(node, 4);
  std::int64_t buffer = 0;
  std::int64_t size = 0;
  PointerView format;
  std::int64_t address = 0;
  if (!readInteger(args[0], buffer) || !readInteger(args[1], size) ||
      !readAddressOrText(args[2], format) || !readInteger(args[3], address)) {
    return wrongType();
  }
  if (buffer == 0 || address == 0 || format.get() == nullptr) {
    errno = EINVAL;
    return unsignedResult(0);
  }
  std::tm full = copyInTm("strftime", address);
  // strftime may set the time zone up (under the library's lock) on the way: the format and the
  // buffer, taken at its stated size, are touched first instead.
  char* room = asAddress(buffer);
  auto bytes = static_cast<std::size_t>(size);
  probeString("strftime", format.get());
  probeBytes("strftime", room, bytes, true);
  std::size_t written = std::strftime(room, bytes, format.get(), &full);
  return unsignedResult(written);
}

// ---- Process control ----------------------------------------------------------------------------

CellRef sysAbort(CellRef) {
  flushAllStreams();
  std::abort();
}

// exit status: ends the process with the low 32 bits of the status, after every C stream is
// flushed (std::exit closes them all). A status that is not an integer gives Z.
CellRef sysExit(CellRef node) {
  Args args(node, 1);
  std::int64_t status = 0;
  if (!readInteger(args[0], status)) return wrongType();
  flushAllStreams();
  std::exit(static_cast<int>(status));
}

// The command shares the process's output, so what the program wrote before comes first.
CellRef sysSystem(CellRef node) {
  Args args(node, 1);
  PointerView command;
  if (!readAddressOrText(args[0], command)) return wrongType();
  flushAllStreams();
  return signedResult(std::system(command.get()));
}

CellRef sysGetenv(CellRef node) {
  Args args(node, 1);
  PointerView name;
  if (!readAddressOrText(args[0], name)) return wrongType();
  if (name.get() == nullptr) return addressResult(nullptr);
  const char* key = name.get();
  return addressResult(guardMemory("getenv", [key] { return std::getenv(key); }));
}

// The signal may end the process, so buffered output is written first.
CellRef sysRaise(CellRef node) {
  Args args(node, 1);
  std::int64_t signal = 0;
  if (!readInteger(args[0], signal)) return wrongType();
  flushAllStreams();
  return signedResult(std::raise(static_cast<int>(signal)));
}

// assert K is I; assert H reports the failed assertion of the library and aborts; anything
// else gives Z.
CellRef sysAssert(CellRef node) {
  Args args(node, 1);
  bool holds = false;
  if (!readTruth(args[0], holds)) return wrongType();
  if (holds) return doneResult();
  flushAllStreams();
  support::assertionFailed("l", kAssertLine);
}

// ---- Error numbers ------------------------------------------------------------------------------

CellRef sysErrno(CellRef) { return signedResult(errno); }

CellRef sysStrerror(CellRef node) {
  Args args(node, 1);
  std::int64_t number = 0;
  if (!readInteger(args[0], number)) return wrongType();
  return addressResult(std::strerror(static_cast<int>(number)));
}

#define VORN_ERROR_NUMBER(entry, value) \
  CellRef entry(CellRef) { return signedResult(value); }

VORN_ERROR_NUMBER(sysEacces, EACCES)
VORN_ERROR_NUMBER(sysEbadf, EBADF)
VORN_ERROR_NUMBER(sysEconnaborted, ECONNABORTED)
VORN_ERROR_NUMBER(sysEfault, EFAULT)
VORN_ERROR_NUMBER(sysEintr, EINTR)
VORN_ERROR_NUMBER(sysEinval, EINVAL)
VORN_ERROR_NUMBER(sysEio, EIO)
VORN_ERROR_NUMBER(sysEmfile, EMFILE)
VORN_ERROR_NUMBER(sysEnfile, ENFILE)
VORN_ERROR_NUMBER(sysEnodev, ENODEV)
VORN_ERROR_NUMBER(sysEnomem, ENOMEM)
VORN_ERROR_NUMBER(sysEnotsock, ENOTSOCK)
VORN_ERROR_NUMBER(sysEnxio, ENXIO)
VORN_ERROR_NUMBER(sysEopnotsupp, EOPNOTSUPP)
VORN_ERROR_NUMBER(sysEoverflow, EOVERFLOW)
VORN_ERROR_NUMBER(sysEwouldblock, EWOULDBLOCK)

#undef VORN_ERROR_NUMBER

}  // namespace vorn::builtins
