// The interning set: one process-wide set of canonical Cells, so that after interning
// structurally equal values are the same Cell. It hash-conses: an Atom is found by its bytes and
// a Pair by the identities of its two children, already canonical, so each node costs one lookup.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "cells/cell.h"

namespace vorn::check {

// The canonical Cells. Every member is held by one reference of the set's own. Besides the
// members the set may know canonical Cells that are no longer members (see keepOnly); they are
// kept alive by the members they lie inside, and interning still finds them.
class InternSet {
  struct Slot {
    cells::Cell* cell;  // nullptr: a free slot
    std::uint32_t hash;
    bool member;
  };

 public:
  // Visits the members, in no particular order.
  class Iterator {
   public:
    Iterator(const Slot* at, const Slot* end) : at_(at), end_(end) { skip(); }
    cells::Cell* operator*() const { return at_->cell; }
    Iterator& operator++() {
      ++at_;
      skip();
      return *this;
    }
    bool operator==(const Iterator& other) const { return at_ == other.at_; }

   private:
    void skip() {
      while (at_ != end_ && (at_->cell == nullptr || !at_->member)) ++at_;
    }
    const Slot* at_;
    const Slot* end_;
  };

  // The canonical Cell equal to x. x itself, or the Pair of its canonical children, becomes the
  // canonical Cell of its value when there is none yet, so the first Cell interned stays canonical.
  cells::CellRef intern(const cells::CellRef& x);

  // Drops every member for which keep is false. A dropped Cell that lies inside a kept member is
  // still known, so that a value equal to the kept member is found whatever Cells it is made of.
  void keepOnly(bool (*keep)(cells::Cell*));

  // Empties the set, releasing its references.
  void clear();

  std::size_t size() const { return members_; }
  bool empty() const { return members_ == 0; }
  Iterator begin() const { return {slots_.data(), slots_.data() + slots_.size()}; }
  Iterator end() const { return {slots_.data() + slots_.size(), slots_.data() + slots_.size()}; }

 private:
  friend struct InternWalk;

  // The slot of the known Cell equal to the Atom, or of the Pair of these two known children;
  // nullptr when there is none.
  Slot* findAtom(const cells::Cell* atom, std::uint32_t hash);
  Slot* findPair(const cells::Cell* left, const cells::Cell* right, std::uint32_t hash);
  // Makes the slot's Cell a member, if it is not one already; returns the Cell.
  cells::Cell* admit(Slot& slot);
  // Adds a Cell equal to nothing the set knows, as a member.
  void insertNew(cells::Cell* c, std::uint32_t hash);
  void place(const Slot& slot);
  void grow();

  std::vector<Slot> slots_;  // open addressing with linear probing; the size is a power of two
  std::size_t known_ = 0;
  std::size_t members_ = 0;
};

// The process-wide set.
InternSet& internSet();
// Empties it, releasing its references.
void clearInternSet();
// The canonical Cell equal to x, from the process-wide set.
cells::CellRef intern(const cells::CellRef& x);

}  // namespace vorn::check
