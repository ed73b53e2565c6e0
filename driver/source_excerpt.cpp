// Source excerpts. A tab in the shown line is widened to the next multiple of eight columns and
// the caret line follows it; a carriage return before the line's end is not shown. A line too
// long for a terminal is cut to a window around the caret.
#include "driver/source_excerpt.h"

#include <string>

#include "session/report_source.h"

namespace vorn::driver {

namespace {

constexpr std::size_t kTabWidth = 8;
constexpr std::size_t kWindow = 120;
constexpr std::size_t kContext = 60;

struct LinePlace {
  int line;
  std::size_t column;  // 1-based, in bytes
  std::string_view text;  // the whole line, without its newline
};

LinePlace placeOf(const ExcerptSource& source, std::int64_t offset) {
  std::string_view text = source.program;
  auto at = static_cast<std::size_t>(offset);
  std::size_t newline = text.substr(0, at).rfind('\n');
  std::size_t start = newline == std::string_view::npos ? 0 : newline + 1;
  int line = source.firstLine;
  for (std::size_t i = 0; i < start; ++i) {
    if (text[i] == '\n') ++line;
  }
  std::size_t end = text.find('\n', at);
  if (end == std::string_view::npos) end = text.size();
  std::string_view whole = text.substr(start, end - start);
  if (!whole.empty() && whole.back() == '\r') whole.remove_suffix(1);
  return LinePlace{line, at - start + 1, whole};
}

// The line with its tabs widened, and the caret's column in it (0-based).
std::pair<std::string, std::size_t> widened(std::string_view text, std::size_t column) {
  std::string out;
  std::size_t caret = std::string::npos;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i + 1 == column) caret = out.size();
    if (text[i] == '\t') {
      out.append(kTabWidth - out.size() % kTabWidth, ' ');
    } else {
      out += text[i];
    }
  }
  if (caret == std::string::npos) caret = out.size();  // at the line's end
  return {out, caret};
}

std::string excerptAt(const ExcerptSource& source, const session::SourcePoint& point) {
  LinePlace place = placeOf(source, point.offset);
  auto [line, caret] = widened(place.text, place.column);
  if (line.size() > kWindow) {
    std::size_t from = caret > kContext ? caret - kContext : 0;
    std::string cut = line.substr(from, kWindow);
    bool cutEnd = from + kWindow < line.size();
    caret -= from;
    if (from > 0) {
      cut = "..." + cut;
      caret += 3;
    }
    if (cutEnd) cut += "...";
    line = std::move(cut);
  }
  std::string block = std::string(source.name) + ":" + std::to_string(place.line) + ":" +
                      std::to_string(place.column) + ":";
  if (!point.note.empty()) block += " " + point.note;
  block += "\n" + line + "\n" + std::string(caret, ' ') + "^\n";
  return block;
}

std::string suggestion(const std::vector<std::string>& names) {
  std::string text = "Did you mean ";
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " or " : ", ";
    text += "[" + names[i] + "]";
  }
  return text + "?\n";
}

}  // namespace

std::string sourceExcerpt(const support::ErrorReport& report, const std::vector<ExcerptSource>& sources) {
  std::string block;
  for (const ExcerptSource& source : sources) {
    std::vector<session::SourcePoint> points = session::reportPoints(report, source.program);
    if (points.empty()) continue;
    for (const session::SourcePoint& point : points) block += excerptAt(source, point);
    break;
  }
  std::string missing = session::missingName(report);
  if (!missing.empty()) {
    std::vector<std::string> names = session::namesLike(missing);
    if (!names.empty()) block += suggestion(names);
  }
  return block;
}

}  // namespace vorn::driver
