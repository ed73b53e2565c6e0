// Walks over Cells that keep their work lists on the heap, so that however deep a term is, the
// native stack holds at most a fixed number of its levels. WorkStack is the list itself;
// rebuildTerm is the bottom-up rebuilding walk shared by the desugarings, interning, renaming and
// substitution.
#pragma once

#include <cstddef>
#include <type_traits>
#include <vector>

#include "cells/cell.h"

namespace vorn::cells {

// A stack of plain values whose first N entries live inside the object, so that the shallow walks
// of everyday terms allocate nothing; deeper entries go to the heap.
template <class T, std::size_t N = 32>
class WorkStack {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  bool empty() const { return size_ == 0; }
  void push(const T& value) {
    if (size_ < N) {
      inline_[size_] = value;
    } else {
      heap_.push_back(value);
    }
    ++size_;
  }
  T pop() {
    CORE_ASSERT(size_ != 0);
    --size_;
    if (size_ < N) return inline_[size_];
    T value = heap_.back();
    heap_.pop_back();
    return value;
  }

 private:
  T inline_[N];
  std::vector<T> heap_;
  std::size_t size_ = 0;
};

// How many levels a walk may take by plain recursion before it moves the rest of its work to a
// heap work list. Everyday terms are shallow and are walked fastest by recursion; this bound
// keeps the native depth small whatever the term.
inline constexpr int kNativeLevels = 48;

// A new reference to c: the result of a rebuilding walk for a node that stays itself.
inline Cell* shared(Cell* c) {
  retain(c);
  return c;
}

// The Pair of two owned references, which it takes over, as an owned reference.
inline Cell* joined(Cell* left, Cell* right) {
  return makePair(CellRef::adopt(left), CellRef::adopt(right)).detach();
}

// The parts a rebuilding walk asks for when a node's result needs the results of one or two of
// its subterms, each walked in a state of its own. `tag` is the walk's own note on the node
// (which kind of node it found, say), handed back when the node is closed.
template <class State>
struct Parts {
  int count;
  int tag;
  Cell* part[2];
  State state[2];

  // Asks for one part, or two in order; open() returns what these return.
  Cell* walk(int nodeTag, Cell* first, State firstState) {
    count = 1;
    tag = nodeTag;
    part[0] = first;
    state[0] = firstState;
    return nullptr;
  }
  Cell* walk(int nodeTag, Cell* first, State firstState, Cell* second, State secondState) {
    walk(nodeTag, first, firstState);
    count = 2;
    part[1] = second;
    state[1] = secondState;
    return nullptr;
  }
};

namespace detail {

// Rebuilds `node`, already opened into `parts`, with the work list on the heap.
template <class Walk, class State>
Cell* rebuildOnWorkList(Cell* node, State state, const Parts<State>& parts, Walk& walk) {
  // A task opens its node, or with parts != 0 closes it from the last `parts` results.
  struct Task {
    Cell* node;
    State state;
    int parts;
    int tag;
  };
  WorkStack<Task> tasks;
  WorkStack<Cell*> results;  // each holds one reference
  auto plan = [&](Cell* n, State s, const Parts<State>& p) {
    tasks.push(Task{n, s, p.count, p.tag});
    for (int k = p.count; k-- > 0;) tasks.push(Task{p.part[k], p.state[k], 0, 0});
  };
  plan(node, state, parts);
  while (!tasks.empty()) {
    Task task = tasks.pop();
    if (task.parts == 0) {
      Parts<State> next;
      if (Cell* result = walk.open(task.node, task.state, next)) {
        results.push(result);
      } else {
        plan(task.node, task.state, next);
      }
      continue;
    }
    Cell* done[2] = {nullptr, nullptr};
    for (int k = task.parts; k-- > 0;) done[k] = results.pop();
    results.push(walk.close(task.node, task.state, task.tag, done));
  }
  return results.pop();
}

// An owned reference to the rebuilt node, `level` levels below the root.
template <class Walk, class State>
Cell* rebuildNode(Cell* node, State state, Walk& walk, int level) {
  Parts<State> parts;
  if (Cell* result = walk.open(node, state, parts)) return result;
  if (level == kNativeLevels) return rebuildOnWorkList(node, state, parts, walk);
  Cell* done[2] = {rebuildNode(parts.part[0], parts.state[0], walk, level + 1), nullptr};
  if (parts.count == 2) done[1] = rebuildNode(parts.part[1], parts.state[1], walk, level + 1);
  return walk.close(node, state, parts.tag, done);
}

}  // namespace detail

// Rebuilds a term bottom-up, visiting nodes in the order a recursive walk would. The walk gives:
//   Cell* open(Cell* node, State state, Parts<State>& parts)
//       on the way down: the node's result as an owned reference when it is known at once, or
//       nullptr after asking `parts` for the subterms to rebuild first (a node's first part is
//       rebuilt whole before its second is opened);
//   Cell* close(Cell* node, State state, int tag, Cell** results)
//       the node's result from its parts' results (results[0] for the first part), each an
//       owned reference that close takes over, as its result is one.
// State must be a plain value. However deep the term, the native stack holds at most a fixed
// number of levels; the rest goes on a heap work list.
template <class Walk, class State>
CellRef rebuildTerm(Cell* root, State rootState, Walk& walk) {
  return CellRef::adopt(detail::rebuildNode(root, rootState, walk, 0));
}

}  // namespace vorn::cells
