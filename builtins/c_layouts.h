// The C structures that programs read and write by offset, in one place: vorn's own dirent record
// and fd_set block (the directory reader and the socket set fill them by these offsets), the C
// library's addrinfo, and the sizes of size_t, socklen_t and time_t. The layout text that the
// checker stores under "_" is written from these same constants.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vorn::builtins {

// One named field of a structure: its width and its offset, in bytes.
struct LayoutField {
  std::string_view name;
  std::size_t width;
  std::size_t offset;
};

// ---- dirent: vorn's own directory record, filled by readdir -----------------------------------

inline constexpr std::size_t kDirentSize = 296;
inline constexpr LayoutField kDirentIno{"d_ino", 4, 0};        // always 0
inline constexpr LayoutField kDirentOff{"d_off", 4, 4};        // hash of the next entry's name
inline constexpr LayoutField kDirentReclen{"d_reclen", 2, 8};  // the record's size
inline constexpr LayoutField kDirentNamlen{"d_namlen", 8, 16};  // length of d_name in bytes
inline constexpr LayoutField kDirentType{"d_type", 4, 24};     // the entry's type code
inline constexpr LayoutField kDirentName{"d_name", 261, 28};   // the longest name (260) and its NUL

// ---- fd_set: vorn's own socket set, filled by the fd_set builtin -------------------------------

inline constexpr std::size_t kFdSetSize = 520;
inline constexpr std::size_t kFdSetCountAt = 0;    // a 32-bit count of the handles in use
inline constexpr std::size_t kFdSetHandlesAt = 8;  // then the handles, 8 bytes each
inline constexpr std::uint32_t kFdSetCapacity = 64;
static_assert(kFdSetHandlesAt + 8 * kFdSetCapacity == kFdSetSize);

// The C library's addrinfo, size_t, socklen_t and time_t are measured on the types themselves
// (offsetof and sizeof), where the text is written and where the size builtins answer.

// One type's item: "[" + type + regions + "]". The type starts as one unnamed region of `size`
// bytes; each field, in order, splits the unnamed region that holds it into the bytes before it,
// the named field and the bytes after it. A field outside every unnamed region is an internal
// error.
std::string layoutItem(std::string_view type, std::size_t size, std::span<const LayoutField> fields);

// The whole text: "[" + the items of addrinfo, dirent, fd_set, size_t, socklen_t, time_t + "]".
std::string layoutText();

}  // namespace vorn::builtins
