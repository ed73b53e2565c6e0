// The interning set as a hash-consing table. It lives until the process ends and is never
// destroyed: its members are shared with the global table and with running programs, and freeing
// them at exit would only walk every interned Cell for nothing.
//
// The table is closed under children: every child of a Cell it knows is known too. That is what
// lets a Pair be found by the identities of its children, and it is why keepOnly keeps knowing
// the Cells inside the members it keeps.
#include "check/intern.h"

#include <functional>
#include <string_view>
#include <unordered_map>

#include "cells/walk.h"

namespace vorn::check {

using cells::Cell;
using cells::CellRef;

namespace {

// The finishing mix of splitmix64: spreads every input bit over the whole word.
std::uint64_t mix(std::uint64_t x) {
  x ^= x >> 30;
  x *= 0xbf58476d1ce4e5b9u;
  x ^= x >> 27;
  x *= 0x94d049bb133111ebu;
  return x ^ (x >> 31);
}

std::uint32_t atomHash(const Cell* atom) {
  return static_cast<std::uint32_t>(mix(std::hash<std::string_view>{}(cells::atomBytesOf(atom))));
}

std::uint32_t pairHash(const Cell* left, const Cell* right) {
  auto address = [](const Cell* c) { return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(c)); };
  return static_cast<std::uint32_t>(mix(mix(address(left)) + address(right)));
}

}  // namespace

// ---- The table ---------------------------------------------------------------------------------

InternSet::Slot* InternSet::findAtom(const Cell* atom, std::uint32_t hash) {
  if (slots_.empty()) return nullptr;
  std::size_t mask = slots_.size() - 1;
  std::string_view bytes = cells::atomBytesOf(atom);
  for (std::size_t i = hash & mask; slots_[i].cell != nullptr; i = (i + 1) & mask) {
    Slot& slot = slots_[i];
    if (slot.hash == hash && cells::isAtomCell(slot.cell) && cells::atomBytesOf(slot.cell) == bytes) {
      return &slot;
    }
  }
  return nullptr;
}

InternSet::Slot* InternSet::findPair(const Cell* left, const Cell* right, std::uint32_t hash) {
  if (slots_.empty()) return nullptr;
  std::size_t mask = slots_.size() - 1;
  for (std::size_t i = hash & mask; slots_[i].cell != nullptr; i = (i + 1) & mask) {
    Slot& slot = slots_[i];
    if (slot.hash == hash && !cells::isAtomCell(slot.cell) && cells::leftOf(slot.cell) == left &&
        cells::rightOf(slot.cell) == right) {
      return &slot;
    }
  }
  return nullptr;
}

Cell* InternSet::admit(Slot& slot) {
  if (!slot.member) {
    slot.member = true;
    cells::retain(slot.cell);
    ++members_;
  }
  return slot.cell;
}

void InternSet::insertNew(Cell* c, std::uint32_t hash) {
  if ((known_ + 1) * 4 > slots_.size() * 3) grow();
  place(Slot{c, hash, true});
  cells::retain(c);
  ++known_;
  ++members_;
}

void InternSet::place(const Slot& slot) {
  std::size_t mask = slots_.size() - 1;
  std::size_t i = slot.hash & mask;
  while (slots_[i].cell != nullptr) i = (i + 1) & mask;
  slots_[i] = slot;
}

void InternSet::grow() {
  std::vector<Slot> old(slots_.empty() ? 64 : slots_.size() * 2, Slot{nullptr, 0, false});
  old.swap(slots_);
  for (const Slot& slot : old) {
    if (slot.cell != nullptr) place(slot);
  }
}

void InternSet::clear() {
  std::vector<Cell*> members;
  for (Cell* member : *this) members.push_back(member);
  // Empty the table before releasing, so that no Cell is freed while the table still names it.
  slots_ = {};
  known_ = members_ = 0;
  for (Cell* member : members) cells::release(member);
}

void InternSet::keepOnly(bool (*keep)(Cell*)) {
  enum Fate : unsigned char { kDrop, kKnown, kMember };
  std::unordered_map<const Cell*, Fate> fates;
  std::vector<Cell*> inside;  // kept Cells whose children are still to be marked
  for (Cell* member : *this) {
    if (!keep(member)) continue;
    fates[member] = kMember;
    inside.push_back(member);
  }
  // Everything below a kept member stays known; the walk stops at Cells already marked.
  while (!inside.empty()) {
    Cell* c = inside.back();
    inside.pop_back();
    if (cells::isAtomCell(c)) continue;
    for (Cell* child : {cells::leftOf(c), cells::rightOf(c)}) {
      if (fates.emplace(child, kKnown).second) inside.push_back(child);
    }
  }
  std::vector<Cell*> released;
  std::vector<Slot> old;
  old.swap(slots_);
  std::size_t size = 64;
  while (fates.size() * 4 > size * 3) size *= 2;
  slots_.assign(size, Slot{nullptr, 0, false});
  known_ = members_ = 0;
  for (const Slot& slot : old) {
    if (slot.cell == nullptr) continue;
    auto fate = fates.find(slot.cell);
    if (slot.member && (fate == fates.end() || fate->second != kMember)) released.push_back(slot.cell);
    if (fate == fates.end()) continue;
    bool member = fate->second == kMember;
    place(Slot{slot.cell, slot.hash, member});
    ++known_;
    members_ += member ? 1 : 0;
  }
  // A Cell still known is held by the kept Cell it lies in, so only dropped Cells are freed here.
  for (Cell* c : released) cells::release(c);
}

// ---- Interning ---------------------------------------------------------------------------------

// Interning as a rebuilding walk, bottom-up: an Atom is found by its bytes or joins the set; a
// Pair whose children are canonical already is found in one lookup, however large it is; any
// other Pair is closed once its children are canonical. A Cell met again in the same term (the
// term may share subterms) is not walked again: its result is remembered.
struct InternWalk {
  struct NoState {};
  InternSet& set;
  std::unordered_map<Cell*, Cell*> rebuilt;  // shared Cells whose canonical Cell is another

  Cell* open(Cell* x, NoState, cells::Parts<NoState>& parts) {
    if (cells::isAtomCell(x)) {
      std::uint32_t hash = atomHash(x);
      if (InternSet::Slot* found = set.findAtom(x, hash)) return cells::shared(set.admit(*found));
      set.insertNew(x, hash);
      return cells::shared(x);
    }
    Cell* l = cells::leftOf(x);
    Cell* r = cells::rightOf(x);
    if (InternSet::Slot* found = set.findPair(l, r, pairHash(l, r))) return cells::shared(set.admit(*found));
    if (!rebuilt.empty()) {
      auto seen = rebuilt.find(x);
      if (seen != rebuilt.end()) return cells::shared(seen->second);
    }
    return parts.walk(0, l, {}, r, {});
  }

  Cell* close(Cell* x, NoState, int, Cell** results) {
    Cell* l = results[0];
    Cell* r = results[1];
    std::uint32_t hash = pairHash(l, r);
    if (l == cells::leftOf(x) && r == cells::rightOf(x)) {
      // open() found no Pair of these children, and none can have joined since.
      cells::release(l);
      cells::release(r);
      set.insertNew(x, hash);
      return cells::shared(x);
    }
    Cell* result;
    if (InternSet::Slot* found = set.findPair(l, r, hash)) {
      cells::release(l);
      cells::release(r);
      result = cells::shared(set.admit(*found));
    } else {
      result = cells::joined(l, r);
      set.insertNew(result, hash);
    }
    if (cells::refCount(x) > 1) rebuilt.emplace(x, result);
    return result;
  }
};

CellRef InternSet::intern(const CellRef& x) {
  InternWalk walk{*this, {}};
  return cells::rebuildTerm(x.get(), InternWalk::NoState{}, walk);
}

InternSet& internSet() {
  static auto* set = new InternSet();
  return *set;
}

void clearInternSet() { internSet().clear(); }

CellRef intern(const CellRef& x) { return internSet().intern(x); }

}  // namespace vorn::check
