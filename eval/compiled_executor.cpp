// The executor keeps one value stack for every frame: a frame's environment is the run of slots
// where its caller left the arguments, followed by the slots of the letters its body binds, and
// its temporaries lie above them. A call pushes a frame, a tail call overwrites the environment in
// place, a return leaves one value where the environment was.
#include "eval/compiled_executor.h"

#include <array>

#include "eval/analysis.h"
#include "eval/compiled_compiler.h"
#include "eval/reducer.h"
#include "eval/resolution.h"
#include "support/assert.h"
#include "support/config.h"
#include "support/interrupt.h"

namespace vorn::eval::compiled {

namespace {

bool endsEvaluation(const Cell* c) {
  if (cells::isAtomCell(c)) return false;
  const Cell* l = cells::leftOf(c);
  return cells::isAtomCell(l) && (cells::firstByteOf(l) == ')' || cells::firstByteOf(l) == ']');
}

// The application (head a1 ... an) of the top n values, which it takes off the stack.
CellRef applyTop(std::vector<CellRef>& values, CellRef head, int n) {
  std::size_t first = values.size() - static_cast<std::size_t>(n);
  for (std::size_t i = first; i < values.size(); ++i) head = cells::makePair(std::move(head), std::move(values[i]));
  values.resize(first);
  return head;
}

// The term a fallback stands for, as substitution would have built it from the frame's
// environment: `head` (when given) applied to the fallback's terms, or its first term applied to
// the rest. Slots read for the last time are emptied afterwards.
CellRef build(const Fallback& fallback, const Frame& frame, std::vector<CellRef>& values, CellRef head) {
  std::array<char, 26> letters{};
  std::array<Cell*, 26> cellsOf{};
  int count = 0;
  for (const Visible& v : fallback.visible) {
    Cell* value = values[frame.base + v.slot].get();
    CORE_ASSERT(value != nullptr);
    letters[static_cast<std::size_t>(count)] = v.letter;
    cellsOf[static_cast<std::size_t>(count++)] = value;
  }
  auto term = [&](Cell* t) { return substituteAll(t, letters.data(), cellsOf.data(), count); };
  std::size_t i = 0;
  if (head.get() == nullptr) head = term(fallback.terms[i++]);
  for (; i < fallback.terms.size(); ++i) head = cells::makePair(std::move(head), term(fallback.terms[i]));
  for (const Visible& v : fallback.visible) {
    if (v.last) values[frame.base + v.slot] = CellRef();
  }
  return head;
}

class Executor {
 public:
  explicit Executor(Stack& stack) : frames_(stack.frames), values_(stack.values) {}

  Outcome run();

  // Pushes a frame for `code` over the top `code.params` values.
  void push(const Code& code, bool entry, bool pending) {
    auto base = static_cast<std::uint32_t>(values_.size() - static_cast<std::size_t>(code.params));
    frames_.push_back({&code, base, 0, entry ? 1U : 0U, pending ? 1U : 0U, 0U});
    values_.resize(base + static_cast<std::size_t>(code.slots));
  }

 private:
  std::vector<Frame>& frames_;
  std::vector<CellRef>& values_;

  // Leaves the innermost frame with `value`. True when that frame was the machine's entry.
  bool leave(CellRef& value) {
    bool entry = frames_.back().entry;
    values_.resize(frames_.back().base);
    frames_.pop_back();
    if (entry) return true;
    values_.push_back(std::move(value));
    return false;
  }

  // What waits for the value of a term handed to the machine: the innermost frame, at a resume
  // point, or as that frame's own value, or as the condition of the Branch it goes on at.
  enum class Waits : std::uint8_t { Resume, Tail, Branch };

  // The machine takes `term` over. A term that is a value already needs no machine. A term whose
  // value is a pending frame's value is the condition of its caller's conditional: the machine
  // gets that conditional whole, with the branches built, as it would hold it.
  bool handOff(CellRef term, Waits waits, std::uint32_t resume, Outcome& out) {
    for (;;) {
      if (waits == Waits::Branch) {
        if (isValue(term.get())) {  // the Branch itself takes it
          values_.push_back(std::move(term));
          return false;
        }
        Frame& frame = frames_.back();
        const Instr& branch = frame.code->instrs[frame.pc];
        CORE_ASSERT(branch.op == Op::Branch);
        frame.pc = frame.pc + 1;
        const Fallback& f = frame.code->fallbacks[branch.a];
        term = build(f, frame, values_, std::move(term));
        waits = f.tail ? Waits::Tail : Waits::Resume;
        resume = f.resume;
      }
      if (isValue(term.get())) {
        if (waits == Waits::Resume) {
          values_.push_back(std::move(term));
          frames_.back().pc = resume;
          return false;
        }
        if (!leave(term)) return false;
        out = {Exit::Value, std::move(term)};
        return true;
      }
      if (waits == Waits::Resume) {
        frames_.back().pc = resume;
        out = {Exit::Suspend, std::move(term)};
        return true;
      }
      Frame done = frames_.back();
      values_.resize(done.base);
      frames_.pop_back();
      if (done.entry || !done.pending) {
        out = {done.entry ? Exit::Tail : Exit::Suspend, std::move(term)};
        return true;
      }
      waits = Waits::Branch;
    }
  }

  bool handOff(CellRef term, bool tail, std::uint32_t resume, Outcome& out) {
    return handOff(std::move(term), tail ? Waits::Tail : Waits::Resume, resume, out);
  }

  // What the code cannot decide at fallback `index` goes to the machine: the term it stands for,
  // with `head` (when given) as its head.
  bool fallBack(const Frame& frame, std::uint32_t index, CellRef head, Outcome& out) {
    const Fallback& f = frame.code->fallbacks[index];
    CellRef term = build(f, frame, values_, std::move(head));
    return handOff(std::move(term), f.tail, f.resume, out);
  }

  CellRef popValue() {
    CellRef v = std::move(values_.back());
    values_.pop_back();
    return v;
  }

  // Drops the innermost frame's environment: its temporaries move down over it.
  void trim() {
    Frame& frame = frames_.back();
    if (frame.trimmed) return;
    std::size_t from = frame.base + static_cast<std::size_t>(frame.code->slots);
    std::size_t to = frame.base;
    for (std::size_t i = from; i < values_.size(); ++i) values_[to++] = std::move(values_[i]);
    values_.resize(to);
    frame.trimmed = 1;
  }

  // Enters `target` with the top `count` values: a new frame, or this one reused in tail position.
  void enterCode(const Code& target, std::size_t count, bool tail, bool pending, bool trims) {
    if (!tail) {
      if (trims) trim();
      push(target, false, pending);
      return;
    }
    Frame& frame = frames_.back();
    std::size_t first = values_.size() - count;
    for (std::size_t i = 0; i < count; ++i) values_[frame.base + i] = std::move(values_[first + i]);
    values_.resize(frame.base + static_cast<std::size_t>(target.slots));
    for (std::size_t i = count; i < static_cast<std::size_t>(target.slots); ++i) values_[frame.base + i] = CellRef();
    frame.code = &target;
    frame.pc = 0;
    frame.trimmed = 0;
  }

  bool apply(const Code& code, const Instr& in, Outcome& out);
  const Code* codeAt(const Site& site, Cell* function, int count);

  bool call(const Code& code, const Instr& in, Outcome& out);

  // The choice of a conditional by the value v: K goes on, H goes to `target`, anything else is
  // the machine's.
  bool branch(Frame& frame, const Code& code, std::uint16_t fallback, std::uint32_t target, CellRef v,
              Outcome& out) {
    if (cells::isOneByteAtom(v.get(), 'K')) return false;
    if (cells::isOneByteAtom(v.get(), 'H')) {
      frame.pc = target;
      return false;
    }
    const Fallback& f = code.fallbacks[fallback];
    CellRef term = build(f, frame, values_, std::move(v));
    return handOff(std::move(term), f.tail, f.resume, out);
  }
};

// A call of a definition: its compiled code, or the machine when the definition changed or is
// refused.
bool Executor::call(const Code& code, const Instr& in, Outcome& out) {
  support::pollInterrupt();
  VORN_SPEND_STEP();
  const Callee& callee = code.callees[in.a];
  if (callee.checked != program::definitionsRevision) {
    callee.code = calleeHolds(callee, code.generation) ? codeForSlot(callee.slot, callee.pending) : nullptr;
    callee.checked = program::definitionsRevision;
  }
  const Code* target = callee.code;
  bool tail = in.op == Op::TailCall;
  if (target == nullptr) {
    CellRef term = applyTop(values_, CellRef::borrow(callee.name), in.count);
    return handOff(std::move(term), tail ? Waits::Tail : callee.pending ? Waits::Branch : Waits::Resume,
                   frames_.back().pc, out);
  }
  enterCode(*target, in.count, tail, callee.pending, in.c == 1);
  return false;
}

// The code a function value runs when applied to `count` arguments: a lambda's (compiled when
// the same lambda comes to the site twice running) or a definition's by its name; nullptr for the
// machine.
const Code* Executor::codeAt(const Site& site, Cell* function, int count) {
  if (site.lambda.get() != function) {
    site.lambda = CellRef::borrow(function);
    site.code = nullptr;
    site.uses = 0;
    site.checked = 0;
  }
  if (site.checked == program::definitionsRevision) return site.code;
  const Code* code = nullptr;
  bool decided = true;
  if (cells::isAtomCell(function)) {
    if (isNameAtom(function)) {
      Resolution resolution = resolveHead(function);
      if (resolution.builtin == nullptr && resolution.definition != nullptr) {
        code = codeForSlot(resolution.definition, site.pending);
        if (code != nullptr && code->params != count) code = nullptr;
      }
    }
  } else if (++site.uses >= 2) {
    code = codeForLambda(function, count, site.pending);
  } else {
    decided = false;
  }
  site.code = code;
  if (decided) site.checked = program::definitionsRevision;
  return code;
}

// A letter's value applied to the `count` values above it.
bool Executor::apply(const Code& code, const Instr& in, Outcome& out) {
  support::pollInterrupt();
  VORN_SPEND_STEP();
  const Site& site = code.sites[in.a];
  std::size_t at = values_.size() - in.count - 1;
  const Code* target = codeAt(site, values_[at].get(), in.count);
  CellRef f = std::move(values_[at]);
  values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(at));
  bool tail = in.b == 1;
  if (target == nullptr) {
    CellRef term = applyTop(values_, std::move(f), in.count);
    return handOff(std::move(term), tail ? Waits::Tail : site.pending ? Waits::Branch : Waits::Resume,
                   frames_.back().pc, out);
  }
  enterCode(*target, in.count, tail, site.pending, in.c == 1);
  return false;
}

Outcome Executor::run() {
  Outcome out{Exit::Value, CellRef()};
  for (;;) {
    Frame& frame = frames_.back();
    const Code& code = *frame.code;
    const Instr& in = code.instrs[frame.pc++];
    switch (in.op) {
      case Op::Load:
        values_.push_back(values_[frame.base + in.a]);
        break;
      case Op::Move:
        values_.push_back(std::move(values_[frame.base + in.a]));
        break;
      case Op::Store:
        values_[frame.base + in.a] = std::move(values_.back());
        values_.pop_back();
        break;
      case Op::Pop:
        values_.pop_back();
        break;
      case Op::Constant:
        values_.push_back(code.constants[in.a]);
        break;
      case Op::Pair: {
        CellRef y = popValue();
        values_.back() = cells::makePair(std::move(values_.back()), std::move(y));
        break;
      }
      case Op::Builtin: {
        const program::Builtin& builtin = *code.builtins[in.a];
        if (in.count == 2 && builtin.quick != nullptr) {
          std::size_t top = values_.size();
          CellRef quick = builtin.quick(values_[top - 2].get(), values_[top - 1].get());
          if (quick.get() != nullptr) {
            values_.pop_back();
            values_.back() = std::move(quick);
            break;
          }
        }
        CellRef result = builtin.entry(applyTop(values_, code.constants[in.b], in.count));
        if (endsEvaluation(result.get())) return {Exit::Stopped, std::move(result)};
        if (requestsEvaluation(result.get())) return {Exit::Suspend, cells::right(result)};
        values_.push_back(std::move(result));
        break;
      }
      case Op::Test: {
        const program::Builtin& builtin = *code.builtins[in.a];
        std::size_t top = values_.size();
        int truth = builtin.truth(values_[top - 2].get(), values_[top - 1].get());
        if (truth >= 0) {
          values_.resize(top - 2);
          if (truth == 0) frame.pc = in.target;
          break;
        }
        CellRef result = builtin.entry(applyTop(values_, code.constants[in.b], in.count));
        if (endsEvaluation(result.get())) return {Exit::Stopped, std::move(result)};
        CORE_ASSERT(!requestsEvaluation(result.get()));  // comparisons never ask for that
        if (branch(frame, code, in.c, in.target, std::move(result), out)) return out;
        break;
      }
      case Op::Branch: {
        CellRef v = popValue();
        if (branch(frame, code, in.a, in.target, std::move(v), out)) return out;
        break;
      }
      case Op::Match: {
        CellRef v = popValue();
        Cell* list = v.get();
        if (!cells::isAtomCell(list) && !cells::isAtomCell(cells::leftOf(list)) &&
            cells::isOneByteAtom(cells::leftOf(cells::leftOf(list)), 'J')) {
          values_.push_back(CellRef::borrow(cells::rightOf(cells::leftOf(list))));
          values_.push_back(CellRef::borrow(cells::rightOf(list)));
          break;
        }
        if (cells::isOneByteAtom(list, 'K')) {
          frame.pc = in.target;
          break;
        }
        if (fallBack(frame, in.a, std::move(v), out)) return out;
        break;
      }
      case Op::Call:
      case Op::TailCall:
        if (call(code, in, out)) return out;
        break;
      case Op::Choose: {
        Cell* function = values_.back().get();
        if (cells::isOneByteAtom(function, 'K')) {
          values_.pop_back();
          break;
        }
        if (cells::isOneByteAtom(function, 'H')) {
          values_.pop_back();
          frame.pc = in.target;
          break;
        }
        if (!hasLazyHead(function) && arity(function) >= in.count) {
          frame.pc = in.c;
          break;
        }
        if (fallBack(frame, in.a, popValue(), out)) return out;
        break;
      }
      case Op::Check: {
        Cell* function = values_.back().get();
        if (!hasLazyHead(function) && arity(function) >= in.count) break;
        if (fallBack(frame, in.a, popValue(), out)) return out;
        break;
      }
      case Op::Apply:
        if (apply(code, in, out)) return out;
        break;
      case Op::Global: {
        const Callee& global = code.callees[in.a];
        if (code.generation == program::tables().generation() && isValue(global.slot->get())) {
          values_.push_back(*global.slot);
          break;
        }
        const Fallback& f = code.fallbacks[in.b];
        CellRef term = CellRef::borrow(global.name);
        if (handOff(std::move(term), false, f.resume, out)) return out;
        break;
      }
      case Op::Fallback: {
        if (fallBack(frame, in.a, CellRef(), out)) return out;
        break;
      }
      case Op::Jump:
        frame.pc = in.target;
        break;
      case Op::Return: {
        CellRef value = popValue();
        if (leave(value)) return {Exit::Value, std::move(value)};
        break;
      }
    }
  }
}

}  // namespace

Outcome enter(Stack& stack, const Code& code) {
  Executor executor(stack);
  executor.push(code, true, code.pending);
  return executor.run();
}

Outcome resume(Stack& stack, CellRef value) {
  stack.values.push_back(std::move(value));
  return Executor(stack).run();
}

}  // namespace vorn::eval::compiled
