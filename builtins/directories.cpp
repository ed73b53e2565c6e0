// Directories: opendir readdir closedir dirent. vorn's own directory reader, built over the POSIX
// calls of the same names. A handle is a 304-byte block: the 296-byte dirent record that readdir
// fills (so the handle's address is also the record's) followed by a pointer to the reader state.
//
// The record, as programs read it by offset (builtins/c_layouts.h holds the offsets):
//   0  d_ino     4  always 0
//   4  d_off     4  31-bit djb2 hash of the next entry's name; 2147483647 at the last entry
//   8  d_reclen  2  296
//  16  d_namlen  8  length of d_name in bytes
//  24  d_type    4  8192 device, 16384 directory, 49152 symbolic link, 32768 anything else
//  28  d_name  261  the name, NUL-terminated
// Names are the system's bytes as they are. The reader lists every entry the system lists, "."
// and ".." included, in the system's order.
//
// The path and the handle are program addresses: reading and writing them is guarded, so a wild
// one ends the run with a "Fault" report.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "builtins/c_layouts.h"
#include "builtins/convention.h"
#include "builtins/fault_guard.h"

namespace vorn::builtins {

namespace {

constexpr std::size_t kRecordSize = kDirentSize;
constexpr std::size_t kHandleSize = kRecordSize + sizeof(void*);
constexpr std::size_t kNameRoom = kDirentName.width;
static_assert(kDirentName.offset + kNameRoom <= kRecordSize);
static_assert(sizeof(dirent::d_name) <= kNameRoom, "every name the system lists fits d_name");
// The widths of the values fillRecord stores.
static_assert(kDirentIno.width == 4 && kDirentOff.width == 4 && kDirentReclen.width == 2 &&
              kDirentNamlen.width == 8 && kDirentType.width == 4);

constexpr std::int32_t kLastEntry = 2147483647;
constexpr std::uint32_t kDeviceType = 8192;
constexpr std::uint32_t kDirectoryType = 16384;
constexpr std::uint32_t kFileType = 32768;
constexpr std::uint32_t kLinkType = 49152;

struct Entry {
  std::string name;
  std::uint32_t type = 0;
};

// What readdir needs between calls. The entry after the one returned is read ahead to fill
// d_off, and is returned by the next call.
struct ReaderState {
  DIR* directory = nullptr;
  std::optional<Entry> ahead;
  bool ended = false;
};

ReaderState* stateOf(const char* builtin, char* handle) {
  return guardMemory(builtin, [handle] { return get<ReaderState*>(handle + kRecordSize); });
}

void setState(const char* builtin, char* handle, ReaderState* state) {
  guardMemory(builtin, [handle, state] { put(handle + kRecordSize, state); });
}

// The type code of a file mode, for entries whose type the kernel does not report.
std::uint32_t typeOfMode(mode_t mode) {
  if (S_ISCHR(mode) || S_ISBLK(mode)) return kDeviceType;
  if (S_ISDIR(mode)) return kDirectoryType;
  if (S_ISLNK(mode)) return kLinkType;
  return kFileType;
}

std::uint32_t typeOf(DIR* directory, const dirent& entry) {
  switch (entry.d_type) {
    case DT_CHR:
    case DT_BLK:
      return kDeviceType;
    case DT_DIR:
      return kDirectoryType;
    case DT_LNK:
      return kLinkType;
    case DT_UNKNOWN: {
      // Look at the entry itself (not through a link); the caller's errno is kept.
      int saved = errno;
      struct stat status {};
      bool known = ::fstatat(::dirfd(directory), entry.d_name, &status, AT_SYMLINK_NOFOLLOW) == 0;
      errno = saved;
      return known ? typeOfMode(status.st_mode) : kFileType;
    }
    default:
      return kFileType;
  }
}

// The next entry of the directory, or nothing once it has ended (or failed, with errno set).
std::optional<Entry> nextEntry(ReaderState& state) {
  if (state.ended) return std::nullopt;
  const dirent* entry = ::readdir(state.directory);
  if (entry == nullptr) {
    state.ended = true;
    return std::nullopt;
  }
  return Entry{entry->d_name, typeOf(state.directory, *entry)};
}

// djb2 over the name's bytes (at most 260), in 32-bit arithmetic, kept to 31 bits.
std::int32_t nameHash(const std::string& name) {
  std::uint32_t hash = 5381;
  for (std::size_t i = 0; i < name.size() && i < kNameRoom - 1; ++i) {
    hash = hash * 33 + static_cast<unsigned char>(name[i]);
  }
  return static_cast<std::int32_t>(hash & 0x7fffffffu);
}

void fillRecord(char* record, const Entry& entry, std::int32_t nextOffset) {
  std::memset(record, 0, kRecordSize);
  put<std::uint32_t>(record + kDirentIno.offset, 0);
  put<std::int32_t>(record + kDirentOff.offset, nextOffset);
  put<std::uint16_t>(record + kDirentReclen.offset, kRecordSize);
  put<std::uint64_t>(record + kDirentNamlen.offset, entry.name.size());
  put<std::uint32_t>(record + kDirentType.offset, entry.type);
  std::memcpy(record + kDirentName.offset, entry.name.c_str(), entry.name.size() + 1);
}

}  // namespace

CellRef dirOpendir(CellRef node) {
  Args args(node, 1);
  std::int64_t path = 0;
  if (!readInteger(args[0], path)) return wrongType();
  const char* name = asAddress(path);
  if (path == 0 || guardMemory("opendir", [name] { return *name == '\0'; })) {
    errno = ENOENT;
    return addressResult(nullptr);
  }
  DIR* directory = ::opendir(asAddress(path));
  if (directory == nullptr) return addressResult(nullptr);  // errno as opendir set it
  auto* handle = static_cast<char*>(std::calloc(1, kHandleSize));
  if (handle == nullptr) {
    ::closedir(directory);
    errno = ENOMEM;
    return addressResult(nullptr);
  }
  auto* state = new ReaderState;
  state->directory = directory;
  setState("opendir", handle, state);
  return addressResult(handle);
}

CellRef dirReaddir(CellRef node) {
  Args args(node, 1);
  std::int64_t address = 0;
  if (!readInteger(args[0], address)) return wrongType();
  char* handle = asAddress(address);
  ReaderState* state = handle != nullptr ? stateOf("readdir", handle) : nullptr;
  if (state == nullptr) {
    errno = EBADF;
    return addressResult(nullptr);
  }
  std::optional<Entry> entry = std::move(state->ahead);
  state->ahead.reset();
  if (!entry) entry = nextEntry(*state);
  if (!entry) return addressResult(nullptr);
  state->ahead = nextEntry(*state);
  std::int32_t next = state->ahead ? nameHash(state->ahead->name) : kLastEntry;
  const Entry& filled = *entry;
  guardMemory("readdir", [handle, &filled, next] { fillRecord(handle, filled, next); });
  return addressResult(handle);
}

CellRef dirClosedir(CellRef node) {
  Args args(node, 1);
  std::int64_t address = 0;
  if (!readInteger(args[0], address)) return wrongType();
  char* handle = asAddress(address);
  if (handle == nullptr) {
    errno = EBADF;
    return signedResult(-1);
  }
  ReaderState* state = stateOf("closedir", handle);
  int result = -1;
  if (state == nullptr) {
    errno = EBADF;
  } else {
    result = ::closedir(state->directory);
    delete state;
  }
  setState("closedir", handle, nullptr);
  std::free(handle);
  return signedResult(result);
}

CellRef dirDirent(CellRef) { return signedResult(kRecordSize); }

}  // namespace vorn::builtins
