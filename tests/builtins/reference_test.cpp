// The builtin reference, docs/builtins.md, held to the builtin table: every builtin has exactly
// one entry, every entry names a builtin, every entry's heading shows the builtin's arity, and
// every entry stands in the section of the builtin's family. An entry heading is a line
// "### `name arg1 arg2 ...`": the name and one word per argument; a section heading is a line
// "## " + the family's title.
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "builtins/table.h"

namespace vorn::builtins {
namespace {

constexpr const char* kReferencePath = VORN_SOURCE_DIR "/docs/builtins.md";

struct Entry {
  std::string name;
  int arguments = 0;
  int line = 0;
  std::string section;  // the title of the "## " section the entry stands in
};

struct Reference {
  std::vector<Entry> entries;
  std::vector<std::string> problems;  // level-3 headings that are not entries
};

bool isNameByte(char c) { return c == '_' || (c >= 'a' && c <= 'z'); }

Reference readReference(std::istream& in) {
  Reference reference;
  std::string text;
  std::string section;
  for (int line = 1; std::getline(in, text); ++line) {
    if (text.rfind("## ", 0) == 0) section = text.substr(3);
    if (text.rfind("### ", 0) != 0) continue;
    std::string heading = text.substr(4);
    bool quoted = heading.size() > 2 && heading.front() == '`' && heading.back() == '`';
    std::istringstream words(quoted ? heading.substr(1, heading.size() - 2) : std::string());
    Entry entry{{}, -1, line, section};
    for (std::string word; words >> word; ++entry.arguments) {
      if (entry.name.empty()) entry.name = word;
    }
    bool named = !entry.name.empty();
    for (char c : entry.name) named = named && isNameByte(c);
    if (!named) {
      reference.problems.push_back("line " + std::to_string(line) + ": heading is no entry: " + text);
      continue;
    }
    reference.entries.push_back(entry);
  }
  return reference;
}

// Every disagreement between the table and the reference, one line each; none when they agree.
std::vector<std::string> mismatches(const BuiltinTable& table, const Reference& reference) {
  std::vector<std::string> found = reference.problems;
  std::map<std::string, const Entry*> byName;
  for (const Entry& entry : reference.entries) {
    std::string at = "line " + std::to_string(entry.line) + ": ";
    auto builtin = table.find(entry.name);
    if (builtin == table.end()) {
      found.push_back(at + "entry names no builtin: " + entry.name);
      continue;
    }
    if (auto [earlier, fresh] = byName.emplace(entry.name, &entry); !fresh) {
      found.push_back(at + "second entry for " + entry.name + " (first at line " +
                      std::to_string(earlier->second->line) + ")");
    }
    if (entry.arguments != builtin->second.arity) {
      found.push_back(at + "entry for " + entry.name + " shows " + std::to_string(entry.arguments) +
                      " arguments, the builtin takes " + std::to_string(builtin->second.arity));
    }
    if (std::string_view family = program::familyTitle(builtin->second.family); entry.section != family) {
      found.push_back(at + "entry for " + entry.name + " stands under \"" + entry.section +
                      "\", its family is \"" + std::string(family) + "\"");
    }
  }
  for (const auto& [name, builtin] : table) {
    if (byName.count(name) == 0) found.push_back("no entry for " + name);
  }
  return found;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

TEST(BuiltinReference, HasOneEntryPerBuiltinWithItsArity) {
  std::ifstream file(kReferencePath);
  ASSERT_TRUE(file) << "cannot read " << kReferencePath;
  std::vector<std::string> found = mismatches(builtinTable(), readReference(file));
  EXPECT_TRUE(found.empty()) << kReferencePath << " and the builtin table disagree:\n" << joined(found);
}

TEST(BuiltinReference, CheckNamesEveryDisagreement) {
  // A table of three builtins and a reference that gets each of them wrong in its own way.
  using program::Family;
  const BuiltinTable table{{"plus", {2, nullptr, Family::Arithmetic}},
                           {"rand", {0, nullptr, Family::NumberConversion}},
                           {"time", {1, nullptr, Family::Time}}};
  std::istringstream text(
      "# Reference\n"
      "## Arithmetic and comparison\n"
      "### `plus a b`\n"
      "### `time`\n"
      "### `plus x y`\n"
      "### `minus a b`\n"
      "### Notes\n"
      "## `rand` is only mentioned\n");
  std::vector<std::string> expected = {
      "line 7: heading is no entry: ### Notes",
      "line 4: entry for time shows 0 arguments, the builtin takes 1",
      "line 4: entry for time stands under \"Arithmetic and comparison\", its family is \"Time\"",
      "line 5: second entry for plus (first at line 3)",
      "line 6: entry names no builtin: minus",
      "no entry for rand",
  };
  EXPECT_EQ(mismatches(table, readReference(text)), expected);
}

}  // namespace
}  // namespace vorn::builtins
