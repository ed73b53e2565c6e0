// Walks over Cells that keep their work lists on the heap, so that however deep a term is, its
// depth never becomes native stack depth. WorkStack is the list itself; rebuildTerm is the
// bottom-up rebuilding walk shared by the desugarings, interning, renaming and substitution.
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
  std::size_t size() const { return size_; }
  void push(const T& value) {
    if (size_ < N) {
      inline_[size_] = value;
    } else {
      heap_.push_back(value);
    }
    ++size_;
  }
  T& top() { return size_ <= N ? inline_[size_ - 1] : heap_.back(); }
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

// What a rebuilding walk decides about one node on its way down: either the node's result at
// once (`result` set, no parts), or the one or two subterms, each with the state to walk it in,
// from whose results the node's own is made.
template <class State>
struct Opening {
  CellRef result;
  int parts = 0;
  Cell* part[2] = {nullptr, nullptr};
  State state[2] = {};

  static Opening done(CellRef result) {
    Opening o;
    o.result = std::move(result);
    return o;
  }
  static Opening walk(Cell* first, State firstState) {
    Opening o;
    o.parts = 1;
    o.part[0] = first;
    o.state[0] = firstState;
    return o;
  }
  static Opening walk(Cell* first, State firstState, Cell* second, State secondState) {
    Opening o = walk(first, firstState);
    o.parts = 2;
    o.part[1] = second;
    o.state[1] = secondState;
    return o;
  }
};

// Rebuilds a term bottom-up without native recursion, visiting nodes in the order a recursive
// walk would: `walk.open(node, state)` on the way down (a node's first part is rebuilt whole
// before its second is opened), and `walk.close(node, state, results)` once the parts' results
// are in (results[0] for the first part). State must be a plain value.
template <class Walk, class State>
CellRef rebuildTerm(Cell* root, State rootState, Walk& walk) {
  struct Frame {
    Cell* node;
    State state;
    Cell* part[2];
    State partState[2];
    int parts;
    int opened;
  };
  WorkStack<Frame> frames;
  WorkStack<Cell*> results;  // each holds one reference
  auto start = [&](Cell* node, State state) {
    Opening<State> o = walk.open(node, state);
    if (o.parts == 0) {
      results.push(o.result.detach());
      return;
    }
    frames.push(Frame{node, state, {o.part[0], o.part[1]}, {o.state[0], o.state[1]}, o.parts, 0});
  };
  start(root, rootState);
  while (!frames.empty()) {
    Frame& top = frames.top();
    if (top.opened < top.parts) {
      int k = top.opened++;
      start(top.part[k], top.partState[k]);
      continue;
    }
    Frame done = frames.pop();
    CellRef parts[2];
    for (int k = done.parts; k-- > 0;) parts[k] = CellRef::adopt(results.pop());
    results.push(walk.close(done.node, done.state, parts).detach());
  }
  return CellRef::adopt(results.pop());
}

}  // namespace vorn::cells
