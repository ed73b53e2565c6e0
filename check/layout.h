// The layout text stored under "_": how the C structures that programs read by offset are laid
// out (addrinfo and dirent field by field, the other types by size), as one nested text Atom.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace vorn::check {

struct LayoutField {
  std::string_view name;
  std::size_t width;
  std::size_t offset;
};

// One type's item: "[" + type + regions + "]". The type starts as one unnamed region of `size`
// bytes; each field, in order, splits the unnamed region that holds it into the bytes before it,
// the named field and the bytes after it. A field outside every unnamed region is an internal
// error.
std::string layoutItem(std::string_view type, std::size_t size, std::span<const LayoutField> fields);

// The whole text: "[" + the items of addrinfo, dirent, fd_set, size_t, socklen_t, time_t + "]".
std::string layoutText();

}  // namespace vorn::check
