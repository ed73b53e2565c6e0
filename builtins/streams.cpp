// Streams and files: fopen fdopen fclose fflush feof ferror clearerr fgetc getc getchar fgets
// fputc putc putchar fputs puts fread fwrite fseek ftell rewind fgetpos fsetpos fileno setbuf
// ungetc perror remove rename tmpfile tmpnam stdout stderr, and read write on descriptors.
//
// Streams are the C library's FILE pointers, handed to programs as integer addresses; buffers and
// strings are integer addresses too, or the bytes of a text or blob Atom. Each binding reads its
// arguments first to last, calls the library and makes the result. Where the library would crash
// on an argument a program easily gets wrong (the null stream a failed fopen returns, a null
// string), the binding refuses it instead: the failure value of the call, errno EINVAL.
//
// Any other wild stream or buffer address ends the run with a "Fault" report: every stdio call
// runs under guardMemory (a wild stream faults on its first touch, before the library locks
// anything), and every string is measured under the guard before a library function that locks
// or allocates gets it. A fault can still strike inside a stdio call that copies program memory
// while it holds the stream's lock (fwrite from a wild buffer, say). That lock is recursive and
// belongs to the interpreter's thread, which is also the thread that then writes the report and
// flushes every stream; the process exit flushes without waiting on any lock. So the report path
// never waits on the lock left behind, and the stream's buffer pointers are still whole: the
// library moves them only after it has copied.
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

#include "builtins/convention.h"
#include "builtins/fault_guard.h"
#include "cells/integer.h"
#include "cells/text.h"

namespace vorn::builtins {

namespace {

// ---- Conversions ----------------------------------------------------------------------------

std::FILE* asStream(std::int64_t value) { return pointerAt<std::FILE>(value); }

// The result of a call refused before it reached the library.
CellRef refused(CellRef failure) {
  errno = EINVAL;
  return failure;
}

// How many bytes an address-or-text argument can supply: a blob its payload, a text its bytes
// with the brackets; both are followed by a NUL, which may be read too. An integer address has
// no known extent.
std::optional<std::size_t> knownExtent(Cell* value) {
  switch (cells::valueKind(value)) {
    case 'a':
      return cells::blobPayloadLength(value) + 1;
    case 'u':
      if (cells::isAtomCell(value)) return cells::atomSizeOf(value) + 1;
      return cells::textBytes(CellRef::borrow(value)).size() + 2 + 1;
    default:
      return std::nullopt;
  }
}

// size * count in bytes, or nothing when the product does not fit a size_t.
std::optional<std::size_t> totalBytes(std::size_t size, std::size_t count) {
  if (size != 0 && count > SIZE_MAX / size) return std::nullopt;
  return size * count;
}

// ---- Shapes shared by several bindings -------------------------------------------------------

// One integer stream argument and a signed integer result.
template <typename Call>
CellRef streamToInteger(const CellRef& node, const char* name, Call call) {
  Args args(node, 1);
  std::int64_t stream = 0;
  if (!readInteger(args[0], stream)) return wrongType();
  if (stream == 0) return refused(signedResult(EOF));
  std::FILE* s = asStream(stream);
  return signedResult(guardMemory(name, [s, call] { return call(s); }));
}

// One integer stream argument and no result.
template <typename Call>
CellRef streamToDone(const CellRef& node, const char* name, Call call) {
  Args args(node, 1);
  std::int64_t stream = 0;
  if (!readInteger(args[0], stream)) return wrongType();
  if (stream == 0) return refused(doneResult());
  std::FILE* s = asStream(stream);
  guardMemory(name, [s, call] { call(s); });
  return doneResult();
}

// A character and a stream, both integers, and a signed integer result.
template <typename Call>
CellRef characterToStream(const CellRef& node, const char* name, Call call) {
  Args args(node, 2);
  std::int64_t character = 0;
  std::int64_t stream = 0;
  if (!readIntegers(args, character, stream)) return wrongType();
  if (stream == 0) return refused(signedResult(EOF));
  int c = lowInt(character);
  std::FILE* s = asStream(stream);
  return signedResult(guardMemory(name, [c, s, call] { return call(c, s); }));
}

// An address-or-text path and a signed integer result. The library hands the path to the
// kernel, which refuses an unreadable one with EFAULT; nothing faults.
template <typename Call>
CellRef pathToInteger(const CellRef& node, Call call) {
  Args args(node, 1);
  PointerView path;
  if (!readAddressOrText(args[0], path)) return wrongType();
  return signedResult(call(path.get()));
}

// A fresh name in the temporary folder, as tmpnam promises. mkstemp reserves a name nobody holds
// and the file is removed again, so only the name is handed out. The name is 12 bytes and its
// NUL, so it fits the smallest name buffer a program may have sized for tmpnam.
char* freshTemporaryName(char* buffer) {
  static char shared[L_tmpnam];
  char name[] = "/tmp/vXXXXXX";
  static_assert(sizeof name <= sizeof shared);
  int descriptor = ::mkstemp(name);
  if (descriptor < 0) return nullptr;
  ::close(descriptor);
  ::unlink(name);
  char* out = buffer != nullptr ? buffer : shared;
  std::memcpy(out, name, sizeof name);
  return out;
}

// The buffer size a program's setbuf buffer is taken to have: the smallest BUFSIZ a program may
// have sized it for, so the library never writes past it.
constexpr std::size_t kSetbufSize = 512;

// A transfer count for read and write: the low 32 bits, unsigned; counts beyond INT_MAX are
// refused, since the result could not report them.
std::optional<unsigned> transferCount(std::int64_t count) {
  auto low = static_cast<std::uint32_t>(count);
  if (low > static_cast<std::uint32_t>(INT_MAX)) return std::nullopt;
  return low;
}

}  // namespace

// ---- Opening and closing --------------------------------------------------------------------

CellRef ioFopen(CellRef node) {
  Args args(node, 2);
  PointerView path;
  PointerView mode;
  if (!readAddressOrText(args[0], path)) return wrongType();
  if (!readAddressOrText(args[1], mode)) return wrongType();
  if (path.get() == nullptr || mode.get() == nullptr) return refused(addressResult(nullptr));
  probeString("fopen", path.get());
  probeString("fopen", mode.get());
  return addressResult(std::fopen(path.get(), mode.get()));
}

CellRef ioFdopen(CellRef node) {
  Args args(node, 2);
  std::int64_t descriptor = 0;
  PointerView mode;
  if (!readInteger(args[0], descriptor)) return wrongType();
  if (!readAddressOrText(args[1], mode)) return wrongType();
  if (mode.get() == nullptr) return refused(addressResult(nullptr));
  probeString("fdopen", mode.get());
  return addressResult(::fdopen(lowInt(descriptor), mode.get()));
}

CellRef ioFclose(CellRef node) {
  return streamToInteger(node, "fclose", [](std::FILE* s) { return std::fclose(s); });
}

// fflush of the null stream is meaningful: it flushes every output stream.
CellRef ioFflush(CellRef node) {
  Args args(node, 1);
  std::int64_t stream = 0;
  if (!readInteger(args[0], stream)) return wrongType();
  std::FILE* s = asStream(stream);
  return signedResult(guardMemory("fflush", [s] { return std::fflush(s); }));
}

CellRef ioTmpfile(CellRef) { return addressResult(std::tmpfile()); }

CellRef ioTmpnam(CellRef node) {
  Args args(node, 1);
  std::int64_t buffer = 0;
  if (!readInteger(args[0], buffer)) return wrongType();
  // The name is made first; only copying it out touches the program's buffer.
  char* out = asAddress(buffer);
  return addressResult(guardMemory("tmpnam", [out] { return freshTemporaryName(out); }));
}

CellRef ioStdout(CellRef) { return addressResult(stdout); }
CellRef ioStderr(CellRef) { return addressResult(stderr); }

// ---- State of a stream ----------------------------------------------------------------------

CellRef ioFeof(CellRef node) {
  return streamToInteger(node, "feof", [](std::FILE* s) { return std::feof(s); });
}

CellRef ioFerror(CellRef node) {
  return streamToInteger(node, "ferror", [](std::FILE* s) { return std::ferror(s); });
}

CellRef ioClearerr(CellRef node) {
  return streamToDone(node, "clearerr", [](std::FILE* s) { std::clearerr(s); });
}

CellRef ioFileno(CellRef node) {
  return streamToInteger(node, "fileno", [](std::FILE* s) { return ::fileno(s); });
}

CellRef ioSetbuf(CellRef node) {
  Args args(node, 2);
  std::int64_t stream = 0;
  std::int64_t buffer = 0;
  if (!readIntegers(args, stream, buffer)) return wrongType();
  if (stream == 0) return refused(doneResult());
  // A null buffer makes the stream unbuffered, as setbuf does.
  std::FILE* s = asStream(stream);
  char* room = asAddress(buffer);
  int mode = buffer == 0 ? _IONBF : _IOFBF;
  guardMemory("setbuf", [s, room, mode] { return std::setvbuf(s, room, mode, kSetbufSize); });
  return doneResult();
}

// ---- Reading --------------------------------------------------------------------------------

CellRef ioFgetc(CellRef node) {
  return streamToInteger(node, "fgetc", [](std::FILE* s) { return std::fgetc(s); });
}

CellRef ioGetc(CellRef node) {
  return streamToInteger(node, "getc", [](std::FILE* s) { return std::getc(s); });
}

// stdin's buffer may be one a program gave setbuf.
CellRef ioGetchar(CellRef) { return signedResult(guardMemory("getchar", [] { return std::getchar(); })); }

CellRef ioFgets(CellRef node) {
  Args args(node, 3);
  std::int64_t buffer = 0;
  std::int64_t size = 0;
  std::int64_t stream = 0;
  if (!readIntegers(args, buffer, size, stream)) return wrongType();
  if (buffer == 0 || stream == 0) return refused(addressResult(nullptr));
  char* room = asAddress(buffer);
  int limit = lowInt(size);
  std::FILE* s = asStream(stream);
  return addressResult(guardMemory("fgets", [room, limit, s] { return std::fgets(room, limit, s); }));
}

CellRef ioUngetc(CellRef node) {
  return characterToStream(node, "ungetc", [](int c, std::FILE* s) { return std::ungetc(c, s); });
}

CellRef ioFread(CellRef node) {
  Args args(node, 4);
  std::int64_t buffer = 0;
  std::int64_t size = 0;
  std::int64_t count = 0;
  std::int64_t stream = 0;
  if (!readIntegers(args, buffer, size, count, stream)) return wrongType();
  auto itemSize = static_cast<std::size_t>(size);
  auto items = static_cast<std::size_t>(count);
  std::optional<std::size_t> bytes = totalBytes(itemSize, items);
  if (stream == 0 || !bytes || (buffer == 0 && *bytes != 0)) return refused(unsignedResult(0));
  char* room = asAddress(buffer);
  std::FILE* s = asStream(stream);
  return unsignedResult(guardMemory("fread", [room, itemSize, items, s] { return std::fread(room, itemSize, items, s); }));
}

// ---- Writing --------------------------------------------------------------------------------

CellRef ioFputc(CellRef node) {
  return characterToStream(node, "fputc", [](int c, std::FILE* s) { return std::fputc(c, s); });
}

CellRef ioPutc(CellRef node) {
  return characterToStream(node, "putc", [](int c, std::FILE* s) { return std::putc(c, s); });
}

CellRef ioPutchar(CellRef node) {
  Args args(node, 1);
  std::int64_t character = 0;
  if (!readInteger(args[0], character)) return wrongType();
  int c = lowInt(character);
  return signedResult(guardMemory("putchar", [c] { return std::putchar(c); }));
}

// The string is an address only: a text Atom is refused.
CellRef ioFputs(CellRef node) {
  Args args(node, 2);
  std::int64_t text = 0;
  std::int64_t stream = 0;
  if (!readIntegers(args, text, stream)) return wrongType();
  if (text == 0 || stream == 0) return refused(signedResult(EOF));
  const char* line = asAddress(text);
  std::FILE* s = asStream(stream);
  probeString("fputs", line);
  return signedResult(guardMemory("fputs", [line, s] { return std::fputs(line, s); }));
}

// A text Atom prints with its brackets: the library sees the Atom's own bytes.
CellRef ioPuts(CellRef node) {
  Args args(node, 1);
  PointerView text;
  if (!readAddressOrText(args[0], text)) return wrongType();
  if (text.get() == nullptr) return refused(signedResult(EOF));
  const char* line = text.get();
  probeString("puts", line);
  return signedResult(guardMemory("puts", [line] { return std::puts(line); }));
}

CellRef ioFwrite(CellRef node) {
  Args args(node, 4);
  PointerView data;
  std::int64_t size = 0;
  std::int64_t count = 0;
  std::int64_t stream = 0;
  if (!readAddressOrText(args[0], data)) return wrongType();
  if (!readNatural(args[1], size)) return wrongType();
  if (!readNatural(args[2], count)) return wrongType();
  if (!readInteger(args[3], stream)) return wrongType();
  auto itemSize = static_cast<std::size_t>(size);
  auto items = static_cast<std::size_t>(count);
  std::optional<std::size_t> bytes = totalBytes(itemSize, items);
  std::optional<std::size_t> extent = knownExtent(args[0]);
  bool beyondData = !bytes || (extent && *bytes > *extent) || (data.get() == nullptr && *bytes != 0);
  if (stream == 0 || beyondData) return refused(signedResult(0));
  const char* from = data.get();
  std::FILE* s = asStream(stream);
  return signedResult(static_cast<std::int64_t>(
      guardMemory("fwrite", [from, itemSize, items, s] { return std::fwrite(from, itemSize, items, s); })));
}

CellRef ioPerror(CellRef node) {
  Args args(node, 1);
  PointerView message;
  if (!readAddressOrText(args[0], message)) return wrongType();
  const char* text = message.get();
  if (text != nullptr) probeString("perror", text);
  guardMemory("perror", [text] { std::perror(text); });
  return doneResult();
}

// ---- Positioning ----------------------------------------------------------------------------

// The offset is a 32-bit long: the low 32 bits of the value, sign-extended.
CellRef ioFseek(CellRef node) {
  Args args(node, 3);
  std::int64_t stream = 0;
  std::int64_t offset = 0;
  std::int64_t origin = 0;
  if (!readIntegers(args, stream, offset, origin)) return wrongType();
  if (stream == 0) return refused(signedResult(-1));
  long offset32 = static_cast<std::int32_t>(static_cast<std::uint32_t>(offset));
  std::FILE* s = asStream(stream);
  int whence = lowInt(origin);
  return signedResult(guardMemory("fseek", [s, offset32, whence] { return std::fseek(s, offset32, whence); }));
}

CellRef ioFtell(CellRef node) {
  return streamToInteger(node, "ftell", [](std::FILE* s) { return std::ftell(s); });
}

CellRef ioRewind(CellRef node) {
  return streamToDone(node, "rewind", [](std::FILE* s) { std::rewind(s); });
}

// A stream position as programs hold it: the 8-byte file offset. The C library's own fpos_t is
// larger here, and a program that sized its position record for 8 bytes must not be overrun.
CellRef ioFgetpos(CellRef node) {
  Args args(node, 2);
  std::int64_t stream = 0;
  std::int64_t position = 0;
  if (!readIntegers(args, stream, position)) return wrongType();
  if (stream == 0 || position == 0) return refused(signedResult(-1));
  std::FILE* s = asStream(stream);
  char* slot = asAddress(position);
  return signedResult(guardMemory("fgetpos", [s, slot] {
    off_t offset = ::ftello(s);
    if (offset < 0) return -1;
    put<std::int64_t>(slot, offset);
    return 0;
  }));
}

CellRef ioFsetpos(CellRef node) {
  Args args(node, 2);
  std::int64_t stream = 0;
  std::int64_t position = 0;
  if (!readIntegers(args, stream, position)) return wrongType();
  if (stream == 0 || position == 0) return refused(signedResult(-1));
  std::FILE* s = asStream(stream);
  const char* slot = asAddress(position);
  return signedResult(guardMemory("fsetpos", [s, slot] {
    auto stored = get<std::int64_t>(slot);
    return ::fseeko(s, static_cast<off_t>(stored), SEEK_SET) == 0 ? 0 : -1;
  }));
}

// ---- Files by name --------------------------------------------------------------------------

CellRef ioRemove(CellRef node) {
  return pathToInteger(node, [](const char* path) { return std::remove(path); });
}

CellRef ioRename(CellRef node) {
  Args args(node, 2);
  PointerView from;
  PointerView to;
  if (!readAddressOrText(args[0], from)) return wrongType();
  if (!readAddressOrText(args[1], to)) return wrongType();
  return signedResult(std::rename(from.get(), to.get()));
}

// ---- Descriptors ----------------------------------------------------------------------------

CellRef ioRead(CellRef node) {
  Args args(node, 3);
  std::int64_t descriptor = 0;
  std::int64_t buffer = 0;
  std::int64_t count = 0;
  if (!readIntegers(args, descriptor, buffer, count)) return wrongType();
  std::optional<unsigned> bytes = transferCount(count);
  if (!bytes) return refused(signedResult(-1));
  return signedResult(::read(lowInt(descriptor), asAddress(buffer), *bytes));
}

// Data given as an Atom is written only as far as the Atom reaches.
CellRef ioWrite(CellRef node) {
  Args args(node, 3);
  std::int64_t descriptor = 0;
  PointerView data;
  std::int64_t count = 0;
  if (!readInteger(args[0], descriptor)) return wrongType();
  if (!readAddressOrText(args[1], data)) return wrongType();
  if (!readInteger(args[2], count)) return wrongType();
  std::optional<unsigned> bytes = transferCount(count);
  std::optional<std::size_t> extent = knownExtent(args[1]);
  if (!bytes || (extent && *bytes > *extent)) return refused(signedResult(-1));
  return signedResult(::write(lowInt(descriptor), data.get(), *bytes));
}

}  // namespace vorn::builtins
