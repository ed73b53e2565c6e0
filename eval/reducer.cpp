// The reducer: an abstract machine whose state is the Pair (K R) of a continuation and the term
// under evaluation. `step` decides what to evaluate next; `rewrite` applies one rule of the
// rewrite table to a saturated application.
//
// Rules for anyone editing this file:
// 1. The Machine owns its continuation (frames over a base) and its term r. Borrowed Cell* taken
//    from r stay valid only while r (or another reference) holds them: take a CellRef before
//    replacing r.
// 2. Only a Cell's reference count and its analysis cache ever change; a rewrite builds new Pairs
//    and shares every subtree it does not change.
// 3. The global table is written in two places only: memoising a parameterless definition (the
//    marker Pair while it is evaluated, the value when it is done).
// 4. Continuations are I or ((B K') g); frames g are (T y), a function x, a lambda ((\ c) body),
//    or the barrier under a term a builtin asked to have evaluated in its place.
#include "eval/reducer.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "support/config.h"
#include "support/interrupt.h"
#include "eval/analysis.h"
#include "eval/combinators.h"
#include "eval/data_rules.h"
#include "eval/resolution.h"
#include "program/tables.h"
#include "eval/compiled_compiler.h"
#include "eval/compiled_executor.h"

namespace vorn::eval {

using cells::Cell;
using cells::firstByteOf;
using cells::isAtomCell;
using cells::leftOf;
using cells::makePair;
using cells::rightOf;

namespace {

// Below this many frames a continuation keeps its vector as it is.
constexpr std::size_t kShrinkableFrames = 4096;

// The continuation is kept unfolded: the frames g of ((B (B ... (B I g1) ...) gn-1) gn) on a heap
// vector, the innermost frame last, above its base Atom (I). Folding it back gives the Cell form
// whenever a caller asks for the state, so nothing outside can tell; inside, pushing and popping a
// frame builds no Pairs.
struct Machine {
  std::vector<Cell*> frames;  // each holds one reference
  CellRef base;               // the Atom under the frames
  CellRef r;
  bool stopped = false;  // a builtin or the reducer ended the evaluation early
  // Set by runMachine, which only wants the final state: a resumed (T y) frame may then take the
  // T rewrite that must follow it in the same call (see resumeFrame).
  bool joinsTRewrite = false;
  // Also set by runMachine: a call of a compiled definition may be run by its code.
  bool runsCompiled = false;
  // The compiled frames waiting on the machine: each run of them waits on a resume point frame.
  compiled::Stack compiled;

  Machine() = default;
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;
  ~Machine() { dropFrames(); }

  void dropFrames() {
    for (Cell* g : frames) cells::release(g);
    frames.clear();
    compiled.clear();
  }
};

// Unfolds K = ((B K') g) frame by frame down to its base.
void unfold(Machine& m, CellRef k) {
  std::vector<Cell*> reversed;
  Cell* c = k.get();
  while (!isAtomCell(c)) {
    Cell* bk = leftOf(c);
    CORE_ASSERT(!isAtomCell(bk));
    cells::retain(rightOf(c));
    reversed.push_back(rightOf(c));
    c = rightOf(bk);
  }
  m.base = CellRef::borrow(c);
  m.frames.assign(reversed.rbegin(), reversed.rend());
}

// K folded back into Cells.
CellRef fold(const Machine& m) {
  CellRef k = m.base;
  for (Cell* g : m.frames) k = makePair(makePair(combinators().B, std::move(k)), CellRef::borrow(g));
  return k;
}

void split(Machine& m, CellRef state) {
  CORE_ASSERT(!isAtomCell(state.get()));
  unfold(m, cells::left(state));
  m.r = cells::right(state);
}

bool isIdentityContinuation(const Machine& m) {
  return m.frames.empty() && isAtomCell(m.base.get()) && firstByteOf(m.base.get()) == 'I';
}

bool isMarkerAtom(const Cell* c) {
  return isAtomCell(c) && (firstByteOf(c) == ')' || firstByteOf(c) == ']');
}

// A builtin result that ends the whole evaluation: a Pair headed by a marker Atom.
bool endsEvaluation(const Cell* c) { return !isAtomCell(c) && isMarkerAtom(leftOf(c)); }

// The one Atom that both tags an evaluateInPlace request and, pushed as a frame, stands between
// the requested term and the caller's frames. Programs never see it, and it is never freed, so
// its address cannot come back as another Cell.
Cell* barrier() {
  static Cell* atom = CellRef("I").detach();
  return atom;
}

bool isBarrier(const Cell* g) { return g == barrier(); }

// The frame under a term that compiled code handed to the machine: its value resumes the compiled
// frames waiting for it. Like the barrier, one Atom never freed and never seen by programs.
Cell* resumePoint() {
  static Cell* atom = CellRef("I").detach();
  return atom;
}

// Compiled code by default, unless the build or the caller says otherwise.
#ifdef VORN_COMPILED
bool compiledDefinitions = true;
#else
bool compiledDefinitions = false;
#endif

bool isFinal(const Machine& m) { return m.stopped || (isIdentityContinuation(m) && isValue(m.r.get())); }

// Drops the continuation: `result` is the result of the whole evaluation.
void stopWith(Machine& m, CellRef result) {
  m.dropFrames();
  m.base = combinators().I;
  m.r = std::move(result);
  m.stopped = true;
}

// The top frame, taken off K. A continuation that grew deep (a recursion thousands of calls
// down) gives its room back as it unwinds: when the frames fill less than half of the vector, it
// moves to one three quarters the size. The values built on the way back then reuse that memory
// instead of adding to it. Between two moves the size changes by a fixed share of itself, so each
// frame is copied a bounded number of times on average; and a move holds the old vector and the
// smaller copy at once only while the frames take half the old room.
CellRef popFrame(Machine& m) {
  CellRef frame = CellRef::adopt(m.frames.back());
  m.frames.pop_back();
  std::size_t capacity = m.frames.capacity();
  if (capacity >= kShrinkableFrames && m.frames.size() * 2 < capacity) {
    std::vector<Cell*> smaller;
    smaller.reserve(capacity / 4 * 3);
    smaller.assign(m.frames.begin(), m.frames.end());
    m.frames.swap(smaller);
  }
  return frame;
}

// K := ((B K) frame); R := next.
void pushFrame(Machine& m, CellRef frame, CellRef next) {
  m.frames.push_back(frame.detach());
  m.r = std::move(next);
}

// R = (x y): evaluate x first, y waiting in a (T y) frame.
void evaluateFunctionFirst(Machine& m) {
  Cell* r = m.r.get();
  CellRef x = CellRef::borrow(leftOf(r));
  CellRef frame = makePair(combinators().T, CellRef::borrow(rightOf(r)));
  pushFrame(m, std::move(frame), std::move(x));
}

// R = (x y) with x done: evaluate y, then apply x to it.
void evaluateArgument(Machine& m) {
  Cell* r = m.r.get();
  CellRef x = CellRef::borrow(leftOf(r));
  CellRef y = CellRef::borrow(rightOf(r));
  pushFrame(m, std::move(x), std::move(y));
}

// The y of a (T y) frame, or nullptr for any other frame.
Cell* pendingArgument(const Cell* g) {
  if (isAtomCell(g) || !cells::isOneByteAtom(leftOf(g), 'T')) return nullptr;
  return rightOf(g);
}

// True when d is ((\ a) ((\ b) (b a))) for two different letters a and b: the Prelude's T.
bool hasPreludeTShape(const Cell* d) {
  if (binderKind(d) != BinderKind::Lambda) return false;
  const Cell* inner = rightOf(d);
  if (binderKind(inner) != BinderKind::Lambda) return false;
  const Cell* first = rightOf(leftOf(d));
  const Cell* second = rightOf(leftOf(inner));
  auto a = static_cast<char>(firstByteOf(first));
  auto b = static_cast<char>(firstByteOf(second));
  if (a < 'a' || a > 'z' || b < 'a' || b > 'z' || a == b) return false;
  if (!cells::isOneByteAtom(first, a) || !cells::isOneByteAtom(second, b)) return false;
  const Cell* body = rightOf(inner);
  return !isAtomCell(body) && cells::isOneByteAtom(leftOf(body), b) &&
         cells::isOneByteAtom(rightOf(body), a);
}

// True when a redex ((t y) v) headed by the Atom t rewrites to (v y): t takes two arguments, is no
// builtin, and its definition is the Prelude's T\a\b\b a.
bool rewritesAsPreludeT(Cell* t) {
  if (arity(t) != 2) return false;
  Resolution resolution = resolveHead(t);
  if (resolution.builtin != nullptr || resolution.definition == nullptr) return false;
  // The definition last seen to have the shape, held so that its address cannot come back as
  // another Cell.
  static auto* verified = new CellRef();
  Cell* d = resolution.definition->get();
  if (verified->get() == d) return true;
  if (!hasPreludeTShape(d)) return false;
  *verified = *resolution.definition;
  return true;
}

void continueCompiled(Machine& m, compiled::Outcome outcome);

// K = ((B K') g) and R a value: continue with K' and (g R).
//
// Every (T y) frame that evaluating a function part first leaves (half the frames in most
// programs) resumes as ((T y) v), which is no value, so the very next transition rewrites it by
// the definition of T to (v y). When only the final state counts (runMachine), both transitions
// are taken here at once: the same state results and both are counted, but ((T y) v) is never
// built, analysed, unwound, looked up, substituted and freed.
void resumeFrame(Machine& m) {
  CORE_ASSERT(!m.frames.empty());
  CellRef frame = popFrame(m);
  if (isBarrier(frame.get())) return;  // the value replaces the builtin call that asked for it
  if (frame.get() == resumePoint()) return continueCompiled(m, compiled::resume(m.compiled, std::move(m.r)));
  Cell* y = pendingArgument(frame.get());
  if (m.joinsTRewrite && y != nullptr && rewritesAsPreludeT(leftOf(frame.get()))) {
    VORN_COUNT_STEP();
    VORN_SPEND_STEP();
    m.r = makePair(std::move(m.r), CellRef::borrow(y));
    return;
  }
  m.r = makePair(std::move(frame), std::move(m.r));
}

void rewriteMachine(Machine& m);

// ---- compiled code ---------------------------------------------------------------------------

// What compiled code left for the machine: a value or a term in place of the call, a term whose
// value resumes the code, or the end of the evaluation.
void continueCompiled(Machine& m, compiled::Outcome outcome) {
  switch (outcome.exit) {
    case compiled::Exit::Value:
    case compiled::Exit::Tail:
      m.r = std::move(outcome.cell);
      return;
    case compiled::Exit::Suspend:
      return pushFrame(m, CellRef::borrow(resumePoint()), std::move(outcome.cell));
    case compiled::Exit::Stopped:
      return stopWith(m, std::move(outcome.cell));
  }
}

// A lazy head waiting for n more arguments takes them from the frames (T y1) ... (T yn) on top of
// the continuation, unevaluated. Returns false when fewer than n are pending.
bool takePendingArguments(Machine& m, int n) {
  auto count = static_cast<std::size_t>(n);
  if (m.frames.size() < count) return false;
  for (std::size_t i = 0; i < count; ++i) {
    if (pendingArgument(m.frames[m.frames.size() - 1 - i]) == nullptr) return false;
  }
  for (std::size_t i = 0; i < count; ++i) {
    CellRef frame = popFrame(m);
    m.r = makePair(std::move(m.r), CellRef::borrow(pendingArgument(frame.get())));
  }
  return true;
}

void stepMachine(Machine& m) {
  Cell* r = m.r.get();
  if (isValue(r)) return resumeFrame(m);
  int n = arity(r);
  if (n < 0) return evaluateFunctionFirst(m);  // over-saturated: the function part first
  if (n == 0) {
    if (hasLazyHead(r)) return rewriteMachine(m);
    if (!cells::isTextClassCell(r) && cells::redexFlag(r)) {
      if (binderKind(r) == BinderKind::Binding) {  // ((({ c) e) body): e first, strictly
        Cell* head = leftOf(r);
        CellRef e = CellRef::borrow(rightOf(head));
        if (isValue(e)) return rewriteMachine(m);
        CellRef binder = CellRef::borrow(rightOf(leftOf(head)));
        CellRef lambda = makePair(makePair(combinators().Lambda, std::move(binder)),
                                  CellRef::borrow(rightOf(r)));
        return pushFrame(m, std::move(lambda), std::move(e));
      }
      Cell* x = leftOf(r);
      if (!cells::isTextClassCell(x) && cells::redexFlag(x)) return evaluateFunctionFirst(m);
      return evaluateArgument(m);
    }
    return rewriteMachine(m);
  }
  if (hasLazyHead(r) && takePendingArguments(m, n)) return rewriteMachine(m);
  if (!isValue(leftOf(r))) return evaluateFunctionFirst(m);
  evaluateArgument(m);
}

// ---- rewrite ---------------------------------------------------------------------------------

constexpr int kMaxArguments = 12;

struct Redex {
  Cell* head;
  std::array<Cell*, kMaxArguments> args;  // a1 .. ak in application order, borrowed from R
  int count = 0;
};

Redex unwind(Cell* r) {
  Redex redex;  // only the first `count` arguments are ever read
  Cell* c = r;
  while (!isAtomCell(c) && !cells::isTextClassCell(c)) {
    CORE_ASSERT(redex.count < kMaxArguments);
    redex.args[redex.count++] = rightOf(c);
    c = leftOf(c);
  }
  redex.head = c;
  for (int i = 0, j = redex.count - 1; i < j; ++i, --j) std::swap(redex.args[i], redex.args[j]);
  return redex;
}

CellRef arg(const Redex& redex, int i) { return CellRef::borrow(redex.args[i]); }

// The Atom of a marker byte followed by a name.
CellRef markerAtom(char marker, std::string_view name) {
  std::string bytes;
  bytes.reserve(name.size() + 1);
  bytes += marker;
  bytes.append(name);
  return CellRef(bytes);
}

// Bytes that start data and markers, never a name in either table.
bool isDatumByte(unsigned char b) {
  return (b >= '0' && b <= '9') || b == '[' || b == '(' || b == ' ' || b == ')' || b == ']';
}

char letterOf(const Cell* binder) { return static_cast<char>(firstByteOf(binder)); }

// Rule 1: a builtin is called with the whole redex; a marker-headed result ends the evaluation,
// and a request for evaluation continues with its term behind a barrier frame.
void callBuiltin(Machine& m, const program::Builtin& builtin) {
  CellRef result = builtin.entry(std::move(m.r));
  if (endsEvaluation(result.get())) return stopWith(m, std::move(result));
  if (requestsEvaluation(result.get())) {
    return pushFrame(m, CellRef::borrow(barrier()), cells::right(result));
  }
  m.r = std::move(result);
}

// Rule 9 without binders: a parameterless definition is evaluated once and memoised.
void useParameterless(Machine& m, const Resolution& global, const CellRef& definition) {
  const std::string& name = *global.name;
  Cell* d = definition.get();
  if (isValue(d) || program::tables().recompute().count(name) != 0) {
    m.r = definition;
    return;
  }
  if (!isAtomCell(d) && isAtomCell(leftOf(d)) && firstByteOf(leftOf(d)) == ')') {
    return stopWith(m, markerAtom(')', name));  // needed while being evaluated
  }
  CellRef marked = makePair(markerAtom(')', name), definition);
  *global.definition = marked;
  program::noteDefinitionWrite();
  m.r = std::move(marked);
}

// Rule 9: a defined name; binders are substituted by the arguments in order.
void useDefinition(Machine& m, const Resolution& global, const Redex& redex) {
  // The table holds the definition while the binders are stripped and substituted (nothing here
  // writes the table), so its Cells are only borrowed.
  Cell* body = global.definition->get();
  int binders = 0;
  std::array<char, kMaxArguments> letters;
  while (binderKind(body) == BinderKind::Lambda) {
    CORE_ASSERT(binders < redex.count);
    letters[binders++] = letterOf(rightOf(leftOf(body)));
    body = rightOf(body);
  }
  if (binders == 0) return useParameterless(m, global, CellRef(*global.definition));
  CORE_ASSERT(binders == redex.count);
  m.r = substituteAll(body, letters.data(), redex.args.data(), binders);
}

// Rule 8: the value v of the parameterless definition N is stored in place of its marker.
void completeMemo(Machine& m, const Redex& redex) {
  std::string name(cells::atomBytesOf(redex.head).substr(1));
  program::GlobalTable& table = program::globals();
  CORE_ASSERT(table.find(name) != nullptr);
  CORE_ASSERT(program::tables().recompute().count(name) == 0);
  CellRef v = arg(redex, 0);
  CORE_ASSERT(isValue(v));
  // A lambda is wrapped as (B I) v so the stored definition keeps its recorded arity of 0.
  if (binderKind(v.get()) == BinderKind::Lambda) {
    const Combinators& c = combinators();
    v = makePair(makePair(c.B, c.I), std::move(v));
  }
  table.define(std::move(name), v);
  m.r = std::move(v);
}

// Rule 9 by compiled code, when the definition compiles. In value context (no pending (T y) frame
// on top) the machine would evaluate the substituted body to a value before looking at its
// continuation, so that value may be computed by other means; with (T y) frames on top, the code
// compiled for pending calls hands back whatever at the top of the body could take them. The
// redex is let go first, so the arguments have the holders they would have after substitution.
bool useCompiled(Machine& m, const Resolution& global, const Redex& redex) {
  if (!m.runsCompiled) return false;
  bool pending = !m.frames.empty() && pendingArgument(m.frames.back()) != nullptr;
  const compiled::Code* code = compiled::codeFor(global, pending);
  if (code == nullptr || code->params != redex.count) return false;
  for (int i = 0; i < redex.count; ++i) m.compiled.values.push_back(arg(redex, i));
  m.r = CellRef();
  continueCompiled(m, compiled::enter(m.compiled, *code));
  return true;
}

void rewriteMachine(Machine& m) {
  Cell* r = m.r.get();
  CORE_ASSERT(!cells::isTextClassCell(r));
  CORE_ASSERT(arity(r) == 0);
  CORE_ASSERT(variableSet(r) == 0);
  Redex redex = unwind(r);
  Cell* h = redex.head;
  unsigned char first = firstByteOf(h);  // 0 for an empty name and for a text Pair
  Resolution resolution;
  if (first != 0 && !isDatumByte(first)) resolution = resolveHead(h);

  // Rule 1 comes before anything else holds the redex, so a builtin can tell whether its
  // arguments are shared.
  if (resolution.builtin != nullptr) return callBuiltin(m, *resolution.builtin);  // rule 1
  // Only a strict head's arguments are values by now: a lazy one's are taken as they stand, and
  // compiled code holds values only.
  if (resolution.definition != nullptr && compiledDefinitions && !hasLazyHead(h) &&
      !cells::isOneByteAtom(h, '{') && !cells::isOneByteAtom(h, '\\') && useCompiled(m, resolution, redex)) {
    return;
  }
  CellRef hold = m.r;  // keeps the borrowed arguments alive while m.r is replaced
  if (cells::isOneByteAtom(h, '{')) {  // rule 2: { c e body
    CellRef e = arg(redex, 1);
    if (!isValue(e)) {
      CellRef lambda = makePair(makePair(combinators().Lambda, arg(redex, 0)), arg(redex, 2));
      return pushFrame(m, std::move(lambda), std::move(e));
    }
    m.r = substitute(arg(redex, 2), e, letterOf(redex.args[0]));
    return;
  }
  if (cells::isOneByteAtom(h, '\\')) {  // rule 3: \ c body a
    m.r = substitute(arg(redex, 1), arg(redex, 2), letterOf(redex.args[0]));
    return;
  }
  if (first >= '0' && first <= '9') {  // rule 4: n a
    m.r = applyNumber(h, arg(redex, 0));
    return;
  }
  if (cells::isTextClassCell(h)) {  // rule 5: t a
    m.r = applyText(h, arg(redex, 0));
    return;
  }
  if (first == '(') {  // rule 6: a blob applied to anything
    m.r = applyBlob(h);
    return;
  }
  if (first == ' ') {  // rule 7: r a
    m.r = applyReal(h, arg(redex, 0));
    return;
  }
  if (first == ')') return completeMemo(m, redex);  // rule 8
  if (resolution.definition != nullptr) return useDefinition(m, resolution, redex);  // rule 9
  stopWith(m, markerAtom(']', cells::atomBytesOf(h)));  // rule 10: the missing-name marker
}

// Steps the machine until it is done; only the final state counts.
void runToEnd(Machine& m) {
  m.joinsTRewrite = true;
  m.runsCompiled = true;
  while (!isFinal(m)) {
    VORN_COUNT_STEP();
    VORN_SPEND_STEP();
    support::pollInterrupt();  // only the interactive session ever sets the flag
    stepMachine(m);
  }
}

CellRef join(Machine& m) { return makePair(fold(m), std::move(m.r)); }

}  // namespace

CellRef evaluateInPlace(CellRef term) { return makePair(CellRef::borrow(barrier()), std::move(term)); }

CellRef evaluate(CellRef term) {
  resetCombinators();
  compiled::releaseRetiredCodes();  // no evaluation is under way, so no compiled frame either
  return runMachine(makePair(combinators().I, std::move(term)));
}

bool requestsEvaluation(const Cell* result) { return !isAtomCell(result) && isBarrier(leftOf(result)); }

void useCompiledDefinitions(bool on) { compiledDefinitions = on; }

bool usesCompiledDefinitions() { return compiledDefinitions; }

CellRef runMachine(CellRef state) {
  Machine m;
  split(m, std::move(state));
  runToEnd(m);
  return std::move(m.r);
}

CellRef step(CellRef state) {
  Machine m;
  split(m, std::move(state));
  stepMachine(m);
  return join(m);
}

CellRef rewrite(CellRef state) {
  Machine m;
  split(m, std::move(state));
  rewriteMachine(m);
  return join(m);
}

}  // namespace vorn::eval
