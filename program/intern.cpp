// The interning set as a hash-consing table. The running program's set lives in its tables,
// which are never destroyed: its members are shared with the global table and with running
// programs, and freeing them at exit would only walk every interned Cell for nothing.
//
// The table is closed under children: every child of a Cell it knows is known too. That is what
// lets a Pair be found by the identities of its children, and it is why keepOnly keeps knowing
// the Cells inside the members it keeps.
#include "program/intern.h"

#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "cells/walk.h"

namespace vorn::program {

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

Cell* InternSet::findAtom(const Cell* atom, std::uint32_t hash) const {
  if (slots_.empty()) return nullptr;
  std::size_t mask = slots_.size() - 1;
  std::string_view bytes = cells::atomBytesOf(atom);
  for (std::size_t i = hash & mask; slots_[i].cell != nullptr; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.hash == hash && cells::isAtomCell(slot.cell) && cells::atomBytesOf(slot.cell) == bytes) {
      return slot.cell;
    }
  }
  return nullptr;
}

Cell* InternSet::findPair(const Cell* left, const Cell* right, std::uint32_t hash) const {
  if (slots_.empty()) return nullptr;
  std::size_t mask = slots_.size() - 1;
  for (std::size_t i = hash & mask; slots_[i].cell != nullptr; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.hash == hash && !cells::isAtomCell(slot.cell) && cells::leftOf(slot.cell) == left &&
        cells::rightOf(slot.cell) == right) {
      return slot.cell;
    }
  }
  return nullptr;
}

void InternSet::insertNew(Cell* c, std::uint32_t hash) {
  makeRoom(known_ + 1);
  place(Slot{c, hash, true});
  ++known_;
  cells::retain(c);
  members_.push_back(c);
}

void InternSet::place(const Slot& slot) {
  std::size_t mask = slots_.size() - 1;
  std::size_t i = slot.hash & mask;
  while (slots_[i].cell != nullptr) i = (i + 1) & mask;
  slots_[i] = slot;
}

void InternSet::reserve(std::size_t count) {
  makeRoom(count);
  members_.reserve(count);
}

void InternSet::makeRoom(std::size_t count) {
  // At most three quarters full, so that probe runs stay short.
  std::size_t size = slots_.empty() ? 64 : slots_.size();
  while (count * 4 > size * 3) size *= 2;
  if (size == slots_.size()) return;
  support::ZeroedArray<Slot> old(size);
  old.swap(slots_);
  for (const Slot& slot : old) {
    if (slot.cell != nullptr) place(slot);
  }
}

void InternSet::clear() {
  std::vector<Cell*> members;
  members.swap(members_);
  // Empty the table before releasing, so that no Cell is freed while the table still names it.
  slots_ = support::ZeroedArray<Slot>();
  known_ = 0;
  for (Cell* member : members) cells::release(member);
}

InternSet::Slot& InternSet::slotOf(const Cell* known) {
  std::size_t mask = slots_.size() - 1;
  std::uint32_t hash = cells::isAtomCell(known) ? atomHash(known)
                                                : pairHash(cells::leftOf(known), cells::rightOf(known));
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    CORE_ASSERT(slots_[i].cell != nullptr);
    if (slots_[i].cell == known) return slots_[i];
  }
}

void InternSet::erase(Slot& slot) {
  // Backward-shift deletion: each later Cell of the probe run that could sit in the hole moves
  // into it, so that no run is broken and no tombstone is left.
  std::size_t mask = slots_.size() - 1;
  std::size_t hole = static_cast<std::size_t>(&slot - slots_.data());
  for (std::size_t i = (hole + 1) & mask; slots_[i].cell != nullptr; i = (i + 1) & mask) {
    std::size_t home = slots_[i].hash & mask;
    // The Cell at i stays when its home lies cyclically in (hole, i].
    bool stays = hole <= i ? hole < home && home <= i : hole < home || home <= i;
    if (stays) continue;
    slots_[hole] = slots_[i];
    hole = i;
  }
  slots_[hole] = Slot{};
  --known_;
}

void InternSet::keepOnly(bool (*keep)(Cell*)) {
  bool everyKnownIsMember = known_ == members_.size();
  for (Slot& slot : slots_) slot.fate = Fate::kForget;
  // The kept members close up in place, in the order they joined.
  std::vector<Cell*> dropped;
  std::size_t keptCount = 0;
  for (Cell* member : members_) {
    if (keep(member)) {
      members_[keptCount++] = member;
    } else {
      dropped.push_back(member);
    }
  }
  members_.resize(keptCount);
  // Everything below a kept member stays known. A kept member below another is walked from its
  // own place in the list; each walk marks the rest and stops at Cells already marked.
  std::vector<Cell*> inside;
  std::size_t droppedButKnown = 0;
  for (Cell* member : members_) {
    inside.push_back(member);
    while (!inside.empty()) {
      Cell* c = inside.back();
      inside.pop_back();
      if (cells::isAtomCell(c)) continue;
      for (Cell* child : {cells::leftOf(c), cells::rightOf(c)}) {
        bool kept = keep(child);
        if (kept && everyKnownIsMember) continue;
        Slot& slot = slotOf(child);
        if (slot.fate == Fate::kKnown || (kept && slot.member)) continue;
        slot.fate = Fate::kKnown;
        if (slot.member) {
          slot.member = false;
          ++droppedButKnown;
        }
        inside.push_back(child);
      }
    }
  }
  // The dropped members outside every kept one are forgotten, and so are the Cells known before
  // that no kept member holds any more.
  std::vector<Cell*> forgotten;
  if (droppedButKnown != dropped.size()) {
    for (Cell* c : dropped) {
      if (slotOf(c).fate != Fate::kKnown) forgotten.push_back(c);
    }
  }
  if (!everyKnownIsMember) {
    for (const Slot& slot : slots_) {
      if (slot.cell != nullptr && !slot.member && slot.fate == Fate::kForget) forgotten.push_back(slot.cell);
    }
  }
  for (Cell* c : forgotten) erase(slotOf(c));
  // A Cell still known is held by the kept Cell it lies in, so only forgotten Cells are freed here.
  for (Cell* c : dropped) cells::release(c);
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
      if (Cell* found = set.findAtom(x, hash)) return cells::shared(found);
      set.insertNew(x, hash);
      return cells::shared(x);
    }
    Cell* l = cells::leftOf(x);
    Cell* r = cells::rightOf(x);
    // A known child is held by the set or by the known Cell it lies in as well as by x, so a
    // child held by x alone is almost never known: the lookup would fail, and is left to close().
    // (A known Cell left out of the set and held by x alone is met again at its children.)
    bool lookedUp = cells::refCount(l) > 1 && cells::refCount(r) > 1;
    if (lookedUp) {
      if (Cell* found = set.findPair(l, r, pairHash(l, r))) return cells::shared(found);
    }
    if (!rebuilt.empty()) {
      auto seen = rebuilt.find(x);
      if (seen != rebuilt.end()) return cells::shared(seen->second);
    }
    return parts.walk(lookedUp ? kLookedUp : 0, l, {}, r, {});
  }

  Cell* close(Cell* x, NoState, int tag, Cell** results) {
    Cell* l = results[0];
    Cell* r = results[1];
    bool own = l == cells::leftOf(x) && r == cells::rightOf(x);
    std::uint32_t hash = pairHash(l, r);
    // After a failed lookup in open() no Pair of x's own children can have joined since.
    Cell* found = own && tag == kLookedUp ? nullptr : set.findPair(l, r, hash);
    Cell* result;
    if (found != nullptr) {
      cells::release(l);
      cells::release(r);
      result = cells::shared(found);
    } else if (own) {
      cells::release(l);
      cells::release(r);
      set.insertNew(x, hash);
      result = cells::shared(x);
    } else {
      result = cells::joined(l, r);
      set.insertNew(result, hash);
    }
    if (result != x && cells::refCount(x) > 1) rebuilt.emplace(x, result);
    return result;
  }

  static constexpr int kLookedUp = 1;  // open() looked the Pair up by its own children
};

CellRef InternSet::intern(const CellRef& x) {
  InternWalk walk{*this, {}};
  return cells::rebuildTerm(x.get(), InternWalk::NoState{}, walk);
}

}  // namespace vorn::program
