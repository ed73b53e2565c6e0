// The two printers. Each Pair prints as one of three joins of its parts L and R: "L R" glued,
// "(L R)" grouped, or L's group reopened as "(... R)". The choice depends only on a few facts
// about L and R (first bytes, last byte, length, whether all bytes share a class), so the walk
// computes those facts bottom-up and appends the bytes to one buffer. Every Pair leaves two
// places in the buffer, one before its left part for an opening parenthesis and one between its
// parts for a space, which its join fills or leaves empty; the empty places are skipped when the
// buffer is copied out at the end. Printing stays linear in the output, however deep the term.
#include "front/printer.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string_view>
#include <vector>

#include "cells/real.h"
#include "cells/text.h"
#include "front/names.h"
#include "support/assert.h"
#include "support/config.h"

namespace vorn::front {

using cells::Cell;
using cells::CellRef;

namespace {

enum class ByteClass { Letter, Digit, Other };

ByteClass classOf(unsigned char c) {
  if (c == '_' || (c >= 'a' && c <= 'z')) return ByteClass::Letter;
  if (c >= '0' && c <= '9') return ByteClass::Digit;
  return ByteClass::Other;
}

// What the joins need to know about a printed piece.
struct Piece {
  std::uint64_t length = 0;
  unsigned char first = 0, second = 0, last = 0;
  bool uniform = true;       // every byte is of the first byte's class
  bool bracketWhole = false;  // starts with '[' whose matching ']' is the last byte
};

Piece describe(std::string_view text) {
  Piece p;
  p.length = text.size();
  if (text.empty()) return p;
  p.first = static_cast<unsigned char>(text[0]);
  p.second = text.size() >= 2 ? static_cast<unsigned char>(text[1]) : 0;
  p.last = static_cast<unsigned char>(text.back());
  ByteClass cls = classOf(p.first);
  for (char c : text) {
    if (classOf(static_cast<unsigned char>(c)) != cls) {
      p.uniform = false;
      break;
    }
  }
  if (p.first == '[') {
    std::int64_t depth = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '[') ++depth;
      if (text[i] == ']' && --depth == 0) {
        p.bracketWhole = i + 1 == text.size();
        break;
      }
    }
  }
  return p;
}

// A "(" group whose second byte is not ")" can be reopened to take one more part.
bool isOpenGroup(const Piece& p) { return p.first == '(' && p.second != ')'; }

bool isTightByte(unsigned char c) {
  return c < 32 || c > 126 || (c >= 'A' && c <= 'Z') || front::isNameOperator(static_cast<char>(c));
}

enum class Join { Reopen, Glue, Group };

std::string realSource(const Cell* real) {
  return "real[" + cells::realText(CellRef::borrow(const_cast<Cell*>(real))) + "]";
}

std::string blobSource(const Cell* blob) {
  std::string out = "init[";
  // Newlines and brackets are written as their escape groups, a zero byte as a newline.
  for (char c : cells::blobPayload(blob)) {
    std::string_view group = cells::escapeGroup(c);
    if (!group.empty()) out += group;
    else out += c == '\0' ? '\n' : c;
  }
  return out + "]";
}

std::string textValue(const Cell* text) {
  std::uint64_t extent = cells::extentField(text);
  if (extent == 0 || extent > 999) return "()";
  std::string_view bytes = cells::atomBytesOf(text);
  std::string_view content = bytes.substr(1, bytes.size() >= 2 ? bytes.size() - 2 : 0);
  const auto& map = cells::codeMap();
  std::string out;
  for (char raw : content) {
    unsigned char c = static_cast<unsigned char>(raw);
    if (c == 0) c = '\n';
    else if (c == '\n') c = 0;
    std::string piece = std::to_string(static_cast<int>(static_cast<signed char>(c)));
    if (c < 32 || c > 126) {
      auto it = map.find(piece);
      if (it != map.end()) piece = it->second;
    }
    out += piece;
    if (out.size() > 999) return "()";
  }
  return out;
}

class Printer {
 public:
  explicit Printer(bool source) : source_(source) {}

  std::string run(Cell* term) {
    Piece whole = print(term);
    return assemble(whole.length);
  }

 private:
  // Post-order over the term with a work list: left part, right part, then the join.
  Piece print(Cell* root) {
    // A list a million levels deep keeps that many frames, so the stage has no word of its own:
    // start and leftEnd say how far the frame has got (kNotYet until the part is begun).
    static constexpr std::size_t kNotYet = SIZE_MAX;
    struct Frame {
      explicit Frame(Cell* c) : cell(c) {}
      Cell* cell;
      std::size_t start = kNotYet;    // the place for the Pair's parenthesis, once begun
      std::size_t leftEnd = kNotYet;  // the place for its space, once its right part is begun
      Piece left;
    };
    // A deque: a list a million levels deep keeps that many frames, and a vector would copy
    // them all each time it grew.
    std::deque<Frame> work{Frame(root)};
    Piece last;
    while (!work.empty()) {
      VORN_SPEND_WORK(1);
      std::size_t top = work.size() - 1;
      Cell* c = work[top].cell;
      if (cells::isAtomCell(c)) {
        std::string text = source_ ? atomSource(c) : atomValue(c);
        VORN_SPEND_WORK(static_cast<std::int64_t>(text.size() / 8));
        out_ += text;
        last = describe(text);
        work.pop_back();
        continue;
      }
      Frame& f = work[top];
      if (f.start == kNotYet) {  // nothing printed yet: the left part first
        f.start = addPlace();
        work.push_back(Frame(cells::leftOf(c)));
      } else if (f.leftEnd == kNotYet) {  // the left part printed: the right part next
        f.left = last;
        f.leftEnd = addPlace();
        work.push_back(Frame(cells::rightOf(c)));
      } else {  // both printed: join them
        Join join = source_ ? sourceJoin(f.left, last) : valueJoin(f.left, last);
        last = apply(join, f.left, last, f.start, f.leftEnd);
        work.pop_back();
      }
    }
    return last;
  }

  std::string atomSource(const Cell* c) {
    unsigned char b = cells::firstByteOf(c);
    if (b == 0 || b == ')' || b == ']') return "()";
    if (b == ' ') return realSource(c);
    if (b == '(') return cells::isBlobCell(c) ? blobSource(c) : "()";
    return std::string(cells::atomBytesOf(c));
  }

  std::string atomValue(const Cell* c) {
    unsigned char b = cells::firstByteOf(c);
    if (b == '(' || b == ' ' || b == 0 || b == ')' || b == ']' || b < 32 || b >= 127) return "()";
    if (b != '[') return std::string(cells::atomBytesOf(c));
    return textValue(c);
  }

  static Join sourceJoin(const Piece& l, const Piece& r) {
    if (isOpenGroup(l)) return Join::Reopen;
    if (r.bracketWhole) return Join::Glue;
    ByteClass rc = classOf(r.first);
    if (r.length >= 2 && (!r.uniform || rc == ByteClass::Other)) return Join::Group;
    if (r.length == 0 || l.length == 0) return Join::Glue;
    ByteClass ec = classOf(l.last);
    if ((ec == ByteClass::Letter && rc == ByteClass::Letter) ||
        (ec == ByteClass::Digit && rc == ByteClass::Digit)) {
      return Join::Group;
    }
    return Join::Glue;
  }

  static Join valueJoin(const Piece& l, const Piece& r) {
    if (l.length != 0 && l.first != '(' && l.last != 0 && isTightByte(l.last)) {
      bool oneTight = r.length == 1 && r.first != 0 && isTightByte(r.first);
      bool wordStart = r.length != 0 && classOf(r.first) != ByteClass::Other;
      if (oneTight || wordStart) return Join::Glue;
    }
    return isOpenGroup(l) ? Join::Reopen : Join::Group;
  }

  // Joins the printed parts. start is the Pair's place before L, leftEnd its place between L
  // and R; a glued Pair leaves both empty.
  Piece apply(Join join, const Piece& l, const Piece& r, std::size_t start, std::size_t leftEnd) {
    Piece p;
    switch (join) {
      case Join::Glue:
        if (l.length == 0) return r;
        if (r.length == 0) return l;
        p.length = l.length + r.length;
        p.first = l.first;
        p.second = l.length >= 2 ? l.second : r.first;
        p.last = r.last;
        p.uniform = l.uniform && r.uniform && classOf(l.first) == classOf(r.first);
        return p;
      case Join::Reopen:
        // L is a group, so its bytes end with its closing parenthesis, just before leftEnd:
        // that parenthesis goes, and the space and R's bytes take its part in the group.
        CORE_ASSERT(leftEnd > 0 && out_[leftEnd - 1] == ')' && !isEmptyPlace(leftEnd - 1));
        emptyPlace(leftEnd - 1);
        fillPlace(leftEnd, ' ');
        out_ += ')';
        p.length = l.length + r.length + 1;
        p.second = l.second;
        break;
      case Join::Group:
        fillPlace(start, '(');
        fillPlace(leftEnd, ' ');
        out_ += ')';
        p.length = l.length + r.length + 3;
        p.second = l.length != 0 ? l.first : ' ';
        break;
    }
    p.first = '(';
    p.last = ')';
    p.uniform = (l.length == 0 || (l.uniform && classOf(l.first) == ByteClass::Other)) &&
                (r.length == 0 || (r.uniform && classOf(r.first) == ByteClass::Other));
    return p;
  }

  // A place is a byte of the buffer marked empty in emptyPlaces_, one bit per byte.
  std::size_t addPlace() {
    std::size_t at = out_.size();
    out_ += '\0';
    std::size_t words = at / 64 + 1;  // a long Atom may have moved the buffer far on
    if (words > emptyPlaces_.size()) emptyPlaces_.resize(std::max(words, emptyPlaces_.size() * 2 + 1024), 0);
    emptyPlaces_[at / 64] |= std::uint64_t{1} << (at % 64);
    return at;
  }
  void fillPlace(std::size_t at, char byte) {
    out_[at] = byte;
    emptyPlaces_[at / 64] &= ~(std::uint64_t{1} << (at % 64));
  }
  void emptyPlace(std::size_t at) { emptyPlaces_[at / 64] |= std::uint64_t{1} << (at % 64); }
  bool isEmptyPlace(std::size_t at) const {
    return at / 64 < emptyPlaces_.size() && (emptyPlaces_[at / 64] >> (at % 64) & 1) != 0;
  }

  // The buffer without its empty places: `length` bytes.
  std::string assemble(std::uint64_t length) {
    std::string result;
    result.reserve(length);
    for (std::size_t block = 0; block * 64 < out_.size(); ++block) {
      std::size_t begin = block * 64;
      std::size_t end = std::min(out_.size(), begin + 64);
      std::uint64_t empty = block < emptyPlaces_.size() ? emptyPlaces_[block] : 0;
      if (empty == 0) {
        result.append(out_, begin, end - begin);
        continue;
      }
      for (std::size_t i = begin; i < end; ++i) {
        if ((empty >> (i - begin) & 1) == 0) result += out_[i];
      }
    }
    CORE_ASSERT(result.size() == length);
    return result;
  }

  bool source_;
  std::string out_;
  std::vector<std::uint64_t> emptyPlaces_;
};

}  // namespace

std::string showSource(const CellRef& term) { return Printer(true).run(term.get()); }

std::string showValue(const CellRef& term) { return Printer(false).run(term.get()); }

}  // namespace vorn::front
