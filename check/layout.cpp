// Builds the layout text by splitting regions, so that each item reads from offset 0 to the end
// of its type with every gap between named fields written as an unnamed region.
#include "check/layout.h"

#include <utility>
#include <vector>

#include "support/assert.h"

namespace vorn::check {

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

std::string layoutItem(std::string_view type, std::size_t size, std::span<const LayoutField> fields) {
  std::vector<Region> regions{{{}, 0, size}};
  for (const LayoutField& field : fields) insertField(regions, field);
  std::string item("[");
  item.append(type);
  for (const Region& region : regions) item += regionText(region);
  return item.append("]");
}

std::string layoutText() {
  // The platform's addrinfo: the socket address length is a 4-byte socklen_t, padded before the
  // address pointer, and the address comes before the canonical name.
  static constexpr LayoutField kAddrinfo[] = {
      {"ai_flags", 4, 0},     {"ai_family", 4, 4}, {"ai_socktype", 4, 8},
      {"ai_protocol", 4, 12}, {"ai_addrlen", 4, 16}, {"ai_addr", 8, 24},
      {"ai_canonname", 8, 32}, {"ai_next", 8, 40},
  };
  // vorn's own directory record, filled by its directory reader.
  static constexpr LayoutField kDirent[] = {
      {"d_ino", 4, 0},  {"d_off", 4, 4},   {"d_namlen", 8, 16},
      {"d_reclen", 2, 8}, {"d_type", 4, 24}, {"d_name", 261, 28},
  };
  std::string text("[");
  text += layoutItem("addrinfo", 48, kAddrinfo);
  text += layoutItem("dirent", 296, kDirent);
  // Types that programs only need the size of.
  static constexpr std::pair<std::string_view, std::size_t> kSized[] = {
      {"fd_set", 520}, {"size_t", 8}, {"socklen_t", 4}, {"time_t", 8}};
  for (const auto& [type, size] : kSized) text += layoutItem(type, size, {});
  return text.append("]");
}

}  // namespace vorn::check
