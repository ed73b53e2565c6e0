// The executor keeps one value stack for every frame: a frame's environment is the run of slots
// where its caller left the arguments, and its temporaries lie above them. A call pushes a frame,
// a tail call overwrites the environment in place, a return leaves one value where the
// environment was. Whatever the code cannot decide itself (a condition that gave neither K nor H,
// a callee whose definition has changed since it was compiled) is built as the term the machine
// would hold at that point and evaluated by a machine of its own.
#include "eval/compiled_executor.h"

#include "eval/analysis.h"
#include "eval/reducer.h"
#include "support/interrupt.h"

namespace vorn::eval::compiled {

namespace {

struct Frame {
  const Code* code;
  std::uint32_t pc;
  std::size_t base;  // where the environment starts on the value stack
};

bool endsEvaluation(const Cell* c) {
  if (cells::isAtomCell(c)) return false;
  const Cell* l = cells::leftOf(c);
  return cells::isAtomCell(l) && (cells::firstByteOf(l) == ')' || cells::firstByteOf(l) == ']');
}

// The application (head a1 ... an) of the top n values, which it takes off the stack.
CellRef applyTop(std::vector<CellRef>& stack, const CellRef& head, int n) {
  CellRef node = head;
  std::size_t first = stack.size() - static_cast<std::size_t>(n);
  for (std::size_t i = first; i < stack.size(); ++i) node = cells::makePair(std::move(node), std::move(stack[i]));
  stack.resize(first);
  return node;
}

// A branch of a conditional as substitution would have built it from the frame's environment.
CellRef materialise(const Frame& frame, const std::vector<CellRef>& stack, Cell* term) {
  const Code& code = *frame.code;
  std::vector<char> letters;
  std::vector<Cell*> values;
  for (int i = 0; i < code.params; ++i) {
    Cell* v = stack[frame.base + static_cast<std::size_t>(i)].get();
    if (v == nullptr) continue;  // moved out: the branches never read it
    letters.push_back(code.letters[static_cast<std::size_t>(i)]);
    values.push_back(v);
  }
  return substituteAll(term, letters.data(), values.data(), static_cast<int>(letters.size()));
}

}  // namespace

Outcome run(const Code& entry, std::vector<CellRef> args) {
  std::vector<CellRef> stack = std::move(args);
  std::vector<Frame> frames;
  frames.push_back({&entry, 0, 0});
  // The value of the innermost frame's body is `value`: return it to the frame below.
  auto leave = [&](CellRef value) -> bool {
    stack.resize(frames.back().base);
    frames.pop_back();
    stack.push_back(std::move(value));
    return frames.empty();
  };
  for (;;) {
    Frame& frame = frames.back();
    const Code& code = *frame.code;
    const Instr& in = code.instrs[frame.pc++];
    switch (in.op) {
      case Op::Load:
        stack.push_back(stack[frame.base + in.a]);
        break;
      case Op::Move:
        stack.push_back(std::move(stack[frame.base + in.a]));
        break;
      case Op::Drop:
        stack[frame.base + in.a] = CellRef();
        break;
      case Op::Constant:
        stack.push_back(code.constants[in.a]);
        break;
      case Op::Builtin:
      case Op::Test: {
        CellRef node = applyTop(stack, code.constants[in.b], in.count);
        CellRef result = code.builtins[in.a]->entry(std::move(node));
        if (endsEvaluation(result.get())) return {std::move(result), true};
        if (in.op == Op::Builtin) {
          stack.push_back(std::move(result));
          break;
        }
        if (cells::isOneByteAtom(result.get(), 'K')) break;
        if (cells::isOneByteAtom(result.get(), 'H')) {
          frame.pc = in.target;
          break;
        }
        // Neither truth value: the machine applies the result to both branches.
        const Branches& branches = code.branches[in.c];
        CellRef yes = materialise(frame, stack, branches.yes);
        CellRef no = materialise(frame, stack, branches.no);
        bool stopped = false;
        CellRef value = evaluateNested(cells::makePair(cells::makePair(std::move(result), std::move(yes)),
                                                       std::move(no)),
                                       stopped);
        if (stopped) return {std::move(value), true};
        if (!branches.tail) {
          stack.push_back(std::move(value));
          frame.pc = branches.end;
        } else if (leave(std::move(value))) {
          return {std::move(stack.back()), false};
        }
        break;
      }
      case Op::Call:
      case Op::TailCall: {
        support::pollInterrupt();
        const Code* callee = code.callees[in.a];
        if (!isCurrent(*callee)) {  // redefined meanwhile: the machine calls the new definition
          bool stopped = false;
          CellRef value = evaluateNested(applyTop(stack, code.constants[in.b], in.count), stopped);
          if (stopped) return {std::move(value), true};
          if (in.op == Op::Call) {
            stack.push_back(std::move(value));
          } else if (leave(std::move(value))) {
            return {std::move(stack.back()), false};
          }
          break;
        }
        std::size_t first = stack.size() - in.count;
        if (in.op == Op::Call) {
          frames.push_back({callee, 0, first});
          break;
        }
        for (std::size_t i = 0; i < in.count; ++i) stack[frame.base + i] = std::move(stack[first + i]);
        stack.resize(frame.base + in.count);
        frame.code = callee;
        frame.pc = 0;
        break;
      }
      case Op::Jump:
        frame.pc = in.target;
        break;
      case Op::Return: {
        CellRef value = std::move(stack.back());
        stack.pop_back();
        if (leave(std::move(value))) return {std::move(stack.back()), false};
        break;
      }
    }
  }
}

}  // namespace vorn::eval::compiled
