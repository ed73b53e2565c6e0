// Writes the layout text by splitting regions, so that each item reads from offset 0 to the end
// of its type with every gap between named fields written as an unnamed region.
#include "builtins/c_layouts.h"

#include <netdb.h>
#include <sys/socket.h>

#include <ctime>
#include <utility>
#include <vector>

#include "support/assert.h"

namespace vorn::builtins {

namespace {

struct Region {
  std::string_view name;  // empty for an unnamed region
  std::size_t offset;
  std::size_t width;
};

// An unnamed region of n bytes is "[[n]]"; a named field is "[name[[n]]]".
std::string regionText(const Region& region) {
  std::string text;
  if (!region.name.empty()) text.append("[").append(region.name);
  text.append("[[").append(std::to_string(region.width)).append("]]");
  if (!region.name.empty()) text.append("]");
  return text;
}

// Replaces the unnamed region holding the field by the gap before it, the field, and the gap
// after it.
void insertField(std::vector<Region>& regions, const LayoutField& field) {
  std::size_t end = field.offset + field.width;
  for (std::size_t i = 0; i < regions.size(); ++i) {
    const Region hole = regions[i];
    if (!hole.name.empty() || field.offset < hole.offset || field.offset >= hole.offset + hole.width) {
      continue;
    }
    CORE_ASSERT(end <= hole.offset + hole.width);
    std::vector<Region> pieces;
    if (field.offset > hole.offset) pieces.push_back({{}, hole.offset, field.offset - hole.offset});
    pieces.push_back({field.name, field.offset, field.width});
    if (end < hole.offset + hole.width) pieces.push_back({{}, end, hole.offset + hole.width - end});
    regions.erase(regions.begin() + static_cast<std::ptrdiff_t>(i));
    regions.insert(regions.begin() + static_cast<std::ptrdiff_t>(i), pieces.begin(), pieces.end());
    return;
  }
  CORE_UNREACHABLE();  // the field starts inside a named field or past the end of the type
}

}  // namespace

// A field of a C library structure, measured on the structure.
#define VORN_C_FIELD(type, field) \
  LayoutField { #field, sizeof(type::field), offsetof(type, field) }

std::string layoutItem(std::string_view type, std::size_t size, std::span<const LayoutField> fields) {
  std::vector<Region> regions{{{}, 0, size}};
  for (const LayoutField& field : fields) insertField(regions, field);
  std::string item("[");
  item.append(type);
  for (const Region& region : regions) item += regionText(region);
  return item.append("]");
}

std::string layoutText() {
  // The C library's addrinfo, in the order its fields are declared on this platform.
  static const LayoutField kAddrinfo[] = {
      VORN_C_FIELD(addrinfo, ai_flags),    VORN_C_FIELD(addrinfo, ai_family),
      VORN_C_FIELD(addrinfo, ai_socktype), VORN_C_FIELD(addrinfo, ai_protocol),
      VORN_C_FIELD(addrinfo, ai_addrlen),  VORN_C_FIELD(addrinfo, ai_addr),
      VORN_C_FIELD(addrinfo, ai_canonname), VORN_C_FIELD(addrinfo, ai_next),
  };
  // vorn's own directory record (the fields may go in in any order: the text is the same).
  static constexpr LayoutField kDirent[] = {kDirentIno,    kDirentOff,  kDirentNamlen,
                                            kDirentReclen, kDirentType, kDirentName};
  std::string text("[");
  text += layoutItem("addrinfo", sizeof(addrinfo), kAddrinfo);
  text += layoutItem("dirent", kDirentSize, kDirent);
  // Types that programs only need the size of.
  const std::pair<std::string_view, std::size_t> sized[] = {{"fd_set", kFdSetSize},
                                                            {"size_t", sizeof(std::size_t)},
                                                            {"socklen_t", sizeof(socklen_t)},
                                                            {"time_t", sizeof(std::time_t)}};
  for (const auto& [type, size] : sized) text += layoutItem(type, size, {});
  return text.append("]");
}

#undef VORN_C_FIELD

}  // namespace vorn::builtins
