// Text values, the character code, the code map and the names of numbers.
#include "cells/text.h"

#include <array>
#include <cstring>
#include <vector>

#include "cells/allocator.h"
#include "support/assert.h"

namespace vorn::cells {

namespace {

// ---- The code table -------------------------------------------------------------------------

// Entry i is the key of the name of the number i + 145: a class digit and a character. The two
// strings are the whole table; together their 256 keys stand for every byte value exactly once.
constexpr std::string_view kClassTable =
    "22222222222222222222222222222222222222222222222222222"  // 53 green
    "33333333333333333333333333333333333333333333333333333333333333333333333333333333333333333333"
    "1111111111111111111111111111111111111111111111111111111111111111111111111111111111111111111111"
    "2222222"   // 7 green
    "33"        // 2 plain
    "22222222";  // 8 green
constexpr std::string_view kCharacterTable =
    "0123456789ABCDEFGHIJKLMNOPQRUSTVWZXY~!@#$%^&*<>-|+/=__abcdefghij"
    "klmnopqrustvwzxy0123456789ABCDEFGHIJKLMNOPQRUSTVWZXY~!@#$%^&*<>-"
    "|+/=\\.`'\":;?(){},_abcdefghijklmnopqrustvwzxy0123456789ABCDEFGHIJ"
    "KLMNOPQRUSTVWZXY~!@#$%^&*<>-|+/=\\.`'\":;?(){},[][](){},[]\\.`'\":;?";
static_assert(kClassTable.size() == 256);
static_assert(kCharacterTable.size() == 256);

constexpr unsigned kFirstNamedNumber = 145;
constexpr unsigned kLastNumber = 676;

// The 23 green symbols that stand for the bytes 128 to 150, in that order.
constexpr std::string_view kGreenSymbols = "!@#$%^&*<>-|+/=\\.`'\":;?";
// The five green brackets that stand for the bytes 27 to 31.
constexpr std::string_view kGreenBrackets = "(){}[";

// The byte of a green (class 2) key, or -1 when the character has none.
int greenByte(unsigned char c) {
  if (c == '~') return 127;
  if (std::size_t at = kGreenSymbols.find(static_cast<char>(c)); at != std::string_view::npos) {
    return 128 + static_cast<int>(at);
  }
  if (c >= '0' && c <= '9') return 151 + (c - '0');
  if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
  if (c >= 'A' && c <= 'I') return c - 'A' + 1;
  if (c == 'J') return 0;
  if (c == ',') return 10;
  if (c >= 'K' && c <= 'Z') return c - 'K' + 11;
  if (std::size_t at = kGreenBrackets.find(static_cast<char>(c)); at != std::string_view::npos) {
    return 27 + static_cast<int>(at);
  }
  if (c == '_') return 32;
  if (c == ']') return 255;
  return -1;
}

// The names of all numbers 0 to 676, made once and kept for the life of the process.
const std::vector<std::string>& allNumberNames() {
  static const auto* names = [] {
    auto* made = new std::vector<std::string>(kLastNumber + 1);
    (*made)[0] = "[]";
    for (unsigned n = 1; n <= kLastNumber; ++n) {
      // The square shell: s is the integer square root of n - 1 and r the rest, 0 <= r <= 2s.
      unsigned m = n - 1;
      unsigned s = 0;
      while ((s + 1) * (s + 1) <= m) ++s;
      unsigned r = m - s * s;
      unsigned a = r % 2 == 0 ? r / 2 : s;
      unsigned b = r % 2 == 0 ? s : (r - 1) / 2;
      // Both a and b are below n, so their names are already made.
      (*made)[n] = "[" + (*made)[a] + (*made)[b].substr(1);
    }
    return made;
  }();
  return *names;
}

struct CodeMapTables {
  std::map<std::string, std::string, std::less<>> map;
  std::size_t longestKey = 0;
};

const CodeMapTables& codeMapTables() {
  static const auto* tables = [] {
    auto* made = new CodeMapTables();
    for (unsigned i = 0; i < 256; ++i) {
      CodeKey key = codeTableEntry(i);
      auto byte = static_cast<char>(charCode(key.keyClass, key.character));
      if (byte == '\n' || byte == '[' || byte == ']') continue;
      const std::string& name = allNumberNames()[i + kFirstNamedNumber];
      made->map.emplace(name, std::string(1, byte));
      made->map.emplace(std::string(1, byte), name);
      made->longestKey = std::max(made->longestKey, name.size());
    }
    return made;
  }();
  return *tables;
}

// What a text piece stands for when it is joined onto another: its image in the code map when it
// is a key there, otherwise the piece itself.
std::string_view joinedPiece(std::string_view piece) {
  const CodeMapTables& tables = codeMapTables();
  if (piece.size() > tables.longestKey) return piece;
  auto found = tables.map.find(piece);
  return found == tables.map.end() ? piece : std::string_view(found->second);
}

// Marks a Pair of two text-class children as text, with the summed length as the analysis
// records it: the sum when both parts are at least 2 bytes and it fits the extent field, else 0.
void markTextPair(Cell* pair) {
  std::uint64_t left = extentField(leftOf(pair));
  std::uint64_t right = extentField(rightOf(pair));
  std::uint64_t sum = left + right;
  markTextClass(pair);
  setExtent(pair, left >= 2 && right >= 2 && sum < kExtentLimit ? sum : 0);
}

// Appends the joined text of a text-class Cell to `out`. A Pair (a, b) gives a without its last
// byte, then b as the code map joins it, then "]". The walk keeps its own stack, so texts built
// of millions of pieces, nested either way, flatten in one pass over their bytes.
void appendFlattened(Cell* text, std::string& out) {
  struct Frame {
    Cell* cell;
    std::size_t mark;  // where the right part's bytes begin in `out`
    int stage;         // 0: start, 1: left part written, 2: right part written
  };
  std::vector<Frame> stack;
  stack.push_back({text, 0, 0});
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (isAtomCell(top.cell)) {
      out.append(atomBytesOf(top.cell));
      stack.pop_back();
    } else if (top.stage == 0) {
      top.stage = 1;
      Cell* left = leftOf(top.cell);
      stack.push_back({left, 0, 0});
    } else if (top.stage == 1) {
      if (!out.empty()) out.pop_back();  // the left part's closing bracket
      top.stage = 2;
      top.mark = out.size();
      Cell* right = rightOf(top.cell);
      stack.push_back({right, 0, 0});
    } else {
      std::string_view piece = std::string_view(out).substr(top.mark);
      std::string_view joined = joinedPiece(piece);
      if (joined.data() != piece.data()) {
        std::string replacement(joined);
        out.resize(top.mark);
        out += replacement;
      }
      out.push_back(']');
      stack.pop_back();
    }
  }
}

std::string flattenedBytes(Cell* text) {
  CORE_ASSERT(isTextClass(text));
  std::string out;
  out.reserve(extentField(text));  // the summed length, when the analysis could record it
  appendFlattened(text, out);
  return out;
}

}  // namespace

// ---- Text class -----------------------------------------------------------------------------

bool isTextClass(Cell* value) {
  if (isAnalysed(value)) return isTextClassCell(value);
  if (isAtomCell(value)) {
    if (firstByteOf(value) != '[') return false;
    markTextClass(value);
    return true;
  }
  // Post-order over the unanalysed part of the tree, left parts first (a bit list or an
  // application fails at its head at once), with an explicit stack so that deep text costs no
  // native stack. A shared subtree is worked out once: the second visit finds it marked.
  struct Frame {
    Cell* cell;
    bool childrenDone;
  };
  static auto* stack = new std::vector<Frame>();
  stack->clear();
  stack->push_back({value, false});
  while (!stack->empty()) {
    Frame frame = stack->back();
    stack->pop_back();
    Cell* c = frame.cell;
    if (isAnalysed(c)) {
      if (!isTextClassCell(c)) return false;
    } else if (isAtomCell(c)) {
      if (firstByteOf(c) != '[') return false;
      markTextClass(c);
    } else if (frame.childrenDone) {
      markTextPair(c);
    } else {
      stack->push_back({c, true});
      stack->push_back({rightOf(c), false});
      stack->push_back({leftOf(c), false});
    }
  }
  return true;
}

// ---- Texts ----------------------------------------------------------------------------------

CellRef makeText(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size() + 2);
  text += '[';
  text.append(bytes);
  text += ']';
  return CellRef(std::string_view(text));
}

CellRef extendText(CellRef text, std::string_view inner) {
  Cell* c = text.get();
  CORE_ASSERT(isAtomCell(c) && firstByteOf(c) == '[' && refCount(c) == 1);
  std::size_t n = atomSizeOf(c);  // both brackets included
  std::size_t grown = n + inner.size();
  c = static_cast<Cell*>(cellGrow(text.detach(), sizeof(Cell) + n + 1, sizeof(Cell) + grown + 1));
  char* data = atomDataMutable(c);
  if (!inner.empty()) std::memcpy(data + n - 1, inner.data(), inner.size());
  data[grown - 1] = ']';
  data[grown] = '\0';
  setExtent(c, grown < kExtentLimit ? grown : 0);
  return CellRef::adopt(c);
}

std::string textBytes(const CellRef& text) {
  std::string bytes = isAtomCell(text.get()) ? std::string(atomBytes(text)) : flattenedBytes(text.get());
  CORE_ASSERT(!bytes.empty());
  if (bytes.size() < 2) return {};
  bytes.pop_back();
  bytes.erase(0, 1);
  return bytes;
}

CellRef flattenText(const CellRef& text) {
  if (isAtomCell(text.get())) return text;
  return CellRef(std::string_view(flattenedBytes(text.get())));
}

std::string joinText(std::string_view a, std::string_view b) {
  std::string_view piece = joinedPiece(b);
  std::string joined;
  joined.reserve(a.size() + piece.size() + 1);
  joined.append(a.substr(0, a.empty() ? 0 : a.size() - 1));
  joined.append(piece);
  joined += ']';
  return joined;
}

// ---- Text elements --------------------------------------------------------------------------

std::string_view escapeGroup(char byte) {
  switch (byte) {
    case '\n': return "[p]";
    case '[': return "[q]";
    case ']': return "[r]";
    default: return {};
  }
}

std::string escapeGroups(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    std::string_view group = escapeGroup(c);
    if (group.empty()) out += c;
    else out += group;
  }
  return out;
}

std::string hexEscapes(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char ch : bytes) {
    auto c = static_cast<unsigned char>(ch);
    if (c >= 32 && c <= 126 && c != '[' && c != ']') {
      out += ch;
    } else {
      out += '[';
      out += kHex[c >> 4];
      out += kHex[c & 15];
      out += ']';
    }
  }
  return out;
}

std::vector<ElementRange> textElements(std::string_view content) {
  std::vector<ElementRange> elements;
  std::size_t i = 0;
  while (i < content.size()) {
    if (content[i] != '[') {
      elements.push_back({i, 1});
      ++i;
      continue;
    }
    std::size_t depth = 0, j = i;
    for (; j < content.size(); ++j) {
      if (content[j] == '[') ++depth;
      if (content[j] == ']' && --depth == 0) break;
    }
    if (j == content.size()) {  // an unbalanced '[' stands alone
      elements.push_back({i, 1});
      ++i;
      continue;
    }
    elements.push_back({i, j - i + 1});
    i = j + 1;
  }
  return elements;
}

// One pass from the end, with the "]" still waiting for their "[" on a stack.
std::vector<std::size_t> groupStarts(std::string_view bytes) {
  std::vector<std::size_t> starts(bytes.size(), kUnbalanced);
  std::vector<std::size_t> waiting;
  for (std::size_t i = bytes.size(); i-- > 0;) {
    if (bytes[i] == ']') {
      waiting.push_back(i);
    } else if (bytes[i] == '[' && !waiting.empty()) {
      starts[waiting.back()] = i;
      waiting.pop_back();
    }
  }
  return starts;
}

std::size_t elementStart(std::string_view bytes, const std::vector<std::size_t>& starts, std::size_t first,
                         std::size_t end) {
  if (bytes[end] != ']') return end;
  std::size_t start = starts[end];
  return start != kUnbalanced && start >= first ? start : end;
}

CellRef elementAtom(std::string_view element) {
  if (element.size() != 1) return CellRef(element);
  if (std::string_view group = escapeGroup(element[0]); !group.empty()) return CellRef(group);
  const auto& map = codeMap();
  auto it = map.find(element);
  CORE_ASSERT(it != map.end());
  return CellRef(it->second);
}

TextSplit splitLastElement(Cell* text) {
  if (!isAtomCell(text)) {
    return {CellRef::borrow(leftOf(text)), CellRef::borrow(rightOf(text))};
  }
  std::string_view bytes = atomBytesOf(text);
  CORE_ASSERT(bytes.size() >= 3);
  // The last element: a group found by reading back from its "]" to the "[" that balances it.
  std::size_t end = bytes.size() - 2, start = end;
  if (bytes[end] == ']') {
    std::size_t depth = 1, i = end;
    while (i > 1 && depth != 0) {
      --i;
      if (bytes[i] == ']') ++depth;
      if (bytes[i] == '[') --depth;
    }
    // An unbalanced group cannot be an element: its closing byte then stands alone.
    start = depth == 0 ? i : end;
  }
  std::string init(bytes.substr(0, start));
  init += ']';
  return {CellRef(init), elementAtom(bytes.substr(start, end - start + 1))};
}

std::optional<unsigned char> elementByte(std::string_view content) {
  if (content.size() == 1) {
    auto c = static_cast<unsigned char>(content[0]);
    if (c == 0) return 10;
    if (c == 10) return 0;
    return c;
  }
  for (char byte : {'\n', '[', ']'}) {
    if (content == escapeGroup(byte)) return static_cast<unsigned char>(byte);
  }
  return std::nullopt;
}

// ---- Character code -------------------------------------------------------------------------

unsigned char charCode(int keyClass, char character) {
  CORE_ASSERT(keyClass >= 1 && keyClass <= 3);
  auto c = static_cast<unsigned char>(character);
  if (c == ' ' || c == '\n') return c;
  switch (keyClass) {
    case 1:
      return static_cast<unsigned char>(c + 128);
    case 2: {
      int byte = greenByte(c);
      if (byte < 0) support::fatal("nopqchar");
      return static_cast<unsigned char>(byte);
    }
    case 3:
      return c;
    default:
      CORE_UNREACHABLE();
  }
}

CodeKey codeTableEntry(unsigned entry) {
  CORE_ASSERT(entry < 256);
  return {kClassTable[entry] - '0', kCharacterTable[entry]};
}

CodeKey keyOfByte(unsigned char byte) {
  static const auto* keys = [] {
    auto* made = new std::array<CodeKey, 256>();
    for (unsigned i = 0; i < 256; ++i) {
      CodeKey key = codeTableEntry(i);
      (*made)[charCode(key.keyClass, key.character)] = key;
    }
    return made;
  }();
  return (*keys)[byte];
}

const std::map<std::string, std::string, std::less<>>& codeMap() { return codeMapTables().map; }

std::string numberName(unsigned n) {
  CORE_ASSERT(n <= kLastNumber);
  return allNumberNames()[n];
}

}  // namespace vorn::cells
