// The interning set: canonical Cells, so that after interning structurally equal values are the
// same Cell. It hash-conses: an Atom is found by its bytes and a Pair by the identities of its two
// children, already canonical, so each node costs one lookup. The running program's set is one of
// its tables (program/tables.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "cells/cell.h"
#include "support/large_block.h"

namespace vorn::program {

// The canonical Cells. Every member is held by one reference of the set's own. Besides the
// members the set may know canonical Cells that are no longer members (see keepOnly): they are
// kept alive by the members they lie inside, and interning still finds them and answers with them
// without making them members again, as it would answer with the member they lie inside.
class InternSet {
 public:
  // The canonical Cell equal to x. x itself, or the Pair of its canonical children, becomes the
  // canonical Cell of its value when there is none yet, so the first Cell interned stays canonical.
  cells::CellRef intern(const cells::CellRef& x);

  // Drops every member for which keep is false. A dropped Cell that lies inside a kept member is
  // still known, so that a value equal to the kept member is found whatever Cells it is made of.
  // keep sees the members in the order they joined.
  void keepOnly(bool (*keep)(cells::Cell*));

  // Empties the set, releasing its references.
  void clear();

  // Makes room for at least `count` Cells at once, so that a set about to grow that large is not
  // moved through every doubling on the way.
  void reserve(std::size_t count);

  // The members, in the order they joined.
  std::size_t size() const { return members_.size(); }
  bool empty() const { return members_.empty(); }
  std::vector<cells::Cell*>::const_iterator begin() const { return members_.begin(); }
  std::vector<cells::Cell*>::const_iterator end() const { return members_.end(); }

 private:
  friend struct InternWalk;

  // keepOnly's mark on a known Cell: forget it unless it is a kept member, or keep knowing it.
  enum class Fate : unsigned char { kForget, kKnown };
  // All zero bytes: a free slot, so that a table of millions starts as zero pages.
  struct Slot {
    cells::Cell* cell = nullptr;  // nullptr: a free slot
    std::uint32_t hash = 0;
    bool member = false;
    Fate fate = Fate::kForget;  // keepOnly's mark
  };

  // The known Cell equal to the Atom, or the known Pair of these two known children; nullptr
  // when there is none.
  cells::Cell* findAtom(const cells::Cell* atom, std::uint32_t hash) const;
  cells::Cell* findPair(const cells::Cell* left, const cells::Cell* right, std::uint32_t hash) const;
  // The slot of a Cell the set knows.
  Slot& slotOf(const cells::Cell* known);
  // Adds a Cell equal to nothing the set knows, as a member.
  void insertNew(cells::Cell* c, std::uint32_t hash);
  // Takes a Cell out of the table.
  void erase(Slot& slot);
  // Puts a slot into the table, which has room for it.
  void place(const Slot& slot);
  // Makes the table large enough for `count` known Cells, placing the known ones afresh.
  void makeRoom(std::size_t count);

  support::ZeroedArray<Slot> slots_;  // every known Cell: open addressing, linear probing, 2^k slots
  std::size_t known_ = 0;
  std::vector<cells::Cell*> members_;  // each held by one reference of the set's own
};

}  // namespace vorn::program
