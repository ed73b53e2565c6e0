// The compiler walks a definition's body once, in the order the machine would evaluate it, and
// emits stack code. Every term it compiles is one the machine would evaluate to a value with no
// pending (T y) frame on top (the body, an argument of a strict call, a binding's value, a branch
// taken): there the machine's steps depend only on the term, so its value may be computed by other
// means. It reads only the cached analysis of the terms (arity, free letters), so it agrees with
// the machine on which applications are saturated. Its recursion follows the nesting of one body
// and stops at a fixed depth, below which the rest is a fallback; callees are compiled when first
// called, never from here.
#include "eval/compiled_compiler.h"

#include <array>
#include <memory>
#include <unordered_map>

#include "eval/analysis.h"
#include "support/assert.h"

namespace vorn::eval::compiled {

namespace {

constexpr int kMaxDepth = 200;
constexpr int kMaxArguments = 12;
constexpr int kMaxSlots = 250;
constexpr std::size_t kMaxInstructions = 65000;

// Codes by the Cell compiled (a definition or a lambda value, held by the code), one table for
// value context and one for pending calls; a null entry is a refused Cell.
using Codes = std::unordered_map<Cell*, std::unique_ptr<Code>>;

struct Cache {
  std::uint64_t generation = 0;
  Codes codes[2];
  // Lambda values compiled in this generation. Each code holds its lambda, and with it whatever
  // the lambda's body holds, for as long as the generation lasts; a program that makes fresh
  // lambdas without end must not keep them all, so past a bound the machine applies new ones.
  std::size_t lambdas = 0;
  // Codes of earlier generations. Compiled frames may still be running one of them when a
  // run-time load changes the generation (from the machine the code handed a term to), so they
  // are kept; they are no longer current, so no new call enters them.
  std::vector<Codes> retired;
};

Cache& cache() {
  static auto* c = new Cache();
  std::uint64_t generation = program::tables().generation();
  if (c->generation != generation) {
    for (Codes& codes : c->codes) {
      if (!codes.empty()) c->retired.push_back(std::move(codes));
      codes.clear();
    }
    c->generation = generation;
    c->lambdas = 0;
  }
  return *c;
}

std::uint32_t bit(char letter) { return std::uint32_t{1} << (letter - 'a'); }

char letterOf(const Cell* binder) { return static_cast<char>(cells::firstByteOf(binder)); }

bool isLetterAtom(const Cell* c) {
  if (!cells::isAtomCell(c)) return false;
  unsigned char b = cells::firstByteOf(c);
  return b >= 'a' && b <= 'z' && cells::isOneByteAtom(c, static_cast<char>(b));
}

// The global slot of a one-byte Prelude name, when no builtin shadows it.
CellRef* preludeSlot(char name) {
  program::Tables& tables = program::tables();
  std::string_view bytes(&name, 1);
  if (tables.builtins().find(bytes) != tables.builtins().end()) return nullptr;
  auto* entry = tables.globals().entry(bytes);
  return entry == nullptr ? nullptr : &entry->second;
}

// The letters of the leading binders of d (outermost first), when each is a letter; false when d
// has another count of binders or a binder that is no letter.
bool bindersAre(const Cell* d, int count, std::array<char, 5>& letters) {
  for (int i = 0; i < count; ++i) {
    if (binderKind(d) != BinderKind::Lambda || !isLetterAtom(rightOf(leftOf(d)))) return false;
    letters[static_cast<std::size_t>(i)] = letterOf(rightOf(leftOf(d)));
    d = rightOf(d);
  }
  return binderKind(d) != BinderKind::Lambda;
}

int binderCount(const Cell* d) {
  int n = 0;
  while (binderKind(d) == BinderKind::Lambda) {
    ++n;
    d = rightOf(d);
  }
  return n;
}

const Cell* bodyOf(const Cell* d) {
  while (binderKind(d) == BinderKind::Lambda) d = rightOf(d);
  return d;
}

bool isLetter(const Cell* c, char letter) { return cells::isOneByteAtom(c, letter); }

// The Prelude's definitions of the combinators the code takes for granted, by shape: the letters
// may differ, the structure may not.
bool isPrelude(char name, const Cell* d) {
  std::array<char, 5> v{};
  const Cell* body = bodyOf(d);
  switch (name) {
    case 'I':  // \a\a
      return bindersAre(d, 1, v) && isLetter(body, v[0]);
    case 'K':  // \a\b\a
      return bindersAre(d, 2, v) && v[0] != v[1] && isLetter(body, v[0]);
    case 'H':  // \a\I
      return bindersAre(d, 1, v) && isLetter(body, 'I');
    case 'T':  // \a\b\b a
      return bindersAre(d, 2, v) && v[0] != v[1] && !cells::isAtomCell(body) &&
             isLetter(leftOf(body), v[1]) && isLetter(rightOf(body), v[0]);
    case 'J':  // \a\b\c\V a b
      return bindersAre(d, 3, v) && v[0] != v[1] && v[0] != v[2] && v[1] != v[2] &&
             !cells::isAtomCell(body) && !cells::isAtomCell(leftOf(body)) &&
             isLetter(leftOf(leftOf(body)), 'V') && isLetter(rightOf(leftOf(body)), v[0]) &&
             isLetter(rightOf(body), v[1]);
    case 'V':  // \a\b\c\c a b
      return bindersAre(d, 3, v) && v[0] != v[1] && v[0] != v[2] && v[1] != v[2] &&
             !cells::isAtomCell(body) && !cells::isAtomCell(leftOf(body)) &&
             isLetter(leftOf(leftOf(body)), v[2]) && isLetter(rightOf(leftOf(body)), v[0]) &&
             isLetter(rightOf(body), v[1]);
    default:
      return false;
  }
}

struct Spine {
  Cell* head = nullptr;
  std::array<Cell*, kMaxArguments> args{};
  std::array<Cell*, kMaxArguments + 1> prefix{};  // prefix[i]: the head applied to i arguments
  int count = 0;
};

bool unwindSpine(Cell* e, Spine& spine) {
  std::array<Cell*, kMaxArguments + 1> down{};
  Cell* c = e;
  int n = 0;
  while (!cells::isAtomCell(c)) {
    if (cells::isTextClassCell(c) || n == kMaxArguments) return false;
    down[static_cast<std::size_t>(n++)] = c;
    c = leftOf(c);
  }
  spine.head = c;
  spine.count = n;
  spine.prefix[0] = c;
  for (int i = 1; i <= n; ++i) {
    Cell* p = down[static_cast<std::size_t>(n - i)];
    spine.prefix[static_cast<std::size_t>(i)] = p;
    spine.args[static_cast<std::size_t>(i - 1)] = rightOf(p);
  }
  return true;
}

bool isNameByte(unsigned char b) {
  return !((b >= '0' && b <= '9') || b == '[' || b == '(' || b == ' ' || b == ')' || b == ']' ||
           b == '{' || b == '\\' || b == 0);
}

class Compiler {
 public:
  explicit Compiler(Code& code) : code_(code), pending_(code.pending) { slotOf_.fill(-1); }

  bool compile() {
    Cell* body = code_.definition.get();
    while (binderKind(body) == BinderKind::Lambda) {
      if (!isLetterAtom(rightOf(leftOf(body)))) return false;
      slotOf_[letterOf(rightOf(leftOf(body))) - 'a'] = code_.params++;  // a later binder wins
      body = rightOf(body);
    }
    if (code_.params == 0 || code_.params > kMaxArguments) return false;
    code_.slots = code_.params;
    // The machine evaluates a function part first behind a (T y) frame (a builtin's earlier
    // argument, an operator name, a condition) and resumes it by T's definition; the code takes
    // the Prelude's T for granted.
    if (!depend('T')) return false;
    if (!emit(body, true, 0, 0)) return false;
    // Code that only hands the body to the machine gains nothing over substitution.
    if (code_.instrs.size() == 1 && code_.instrs[0].op == Op::Fallback) return false;
    if (code_.instrs.size() > kMaxInstructions) return false;  // Choose holds a label in 16 bits
    markTrims();
    return true;
  }

 private:
  Code& code_;
  bool pending_;                  // compiled for a call whose value a conditional takes at once
  std::array<int, 26> slotOf_{};  // the slot each letter names at this point, or -1

  void push(Instr instr) { code_.instrs.push_back(instr); }

  bool readsEnvironment(const Instr& in) const {
    switch (in.op) {
      case Op::Load:
      case Op::Move:
      case Op::Store:
        return true;
      case Op::Fallback:
      case Op::Branch:
      case Op::Match:
      case Op::Check:
      case Op::Choose:
        return !code_.fallbacks[in.a].visible.empty();
      case Op::Test:
        return !code_.fallbacks[in.c].visible.empty();
      default:
        return false;
    }
  }

  // Calls placed after every instruction that reads the environment drop it before they enter
  // their callee: code only jumps forward, so nothing on any path after them reads it.
  void markTrims() {
    std::size_t after = 0;
    for (std::size_t i = 0; i < code_.instrs.size(); ++i) {
      if (readsEnvironment(code_.instrs[i])) after = i + 1;
    }
    for (std::size_t i = after; i < code_.instrs.size(); ++i) {
      Instr& in = code_.instrs[i];
      bool tail = in.op == Op::TailCall || (in.op == Op::Apply && in.b == 1);
      if ((in.op == Op::Call || in.op == Op::Apply) && !tail) in.c = 1;
    }
  }
  std::uint32_t here() const { return static_cast<std::uint32_t>(code_.instrs.size()); }

  std::uint16_t constant(Cell* c) {
    code_.constants.push_back(CellRef::borrow(c));
    return static_cast<std::uint16_t>(code_.constants.size() - 1);
  }

  void finish(bool tail) {
    if (tail) push({Op::Return});
  }

  // The Prelude's definition of a one-byte name, recorded as a dependency of the code.
  bool depend(char name) {
    CellRef* slot = preludeSlot(name);
    if (slot == nullptr || !isPrelude(name, slot->get())) return false;
    code_.dependencies.emplace_back(slot, slot->get());
    return true;
  }

  // ---- fallbacks ------------------------------------------------------------------------------

  // A fallback over `terms`, the letters they read after it marked by `live`.
  std::uint16_t fallback(std::vector<Cell*> terms, bool tail, std::uint32_t live) {
    std::uint32_t letters = 0;
    for (Cell* t : terms) letters |= variableSet(t);
    Fallback f;
    f.terms = std::move(terms);
    f.tail = tail;
    for (int letter = 0; letter < 26; ++letter) {
      if ((letters >> letter & 1) == 0 || slotOf_[letter] < 0) continue;
      f.visible.push_back({static_cast<char>('a' + letter), static_cast<std::uint16_t>(slotOf_[letter]),
                           (live >> letter & 1) == 0});
    }
    code_.fallbacks.push_back(std::move(f));
    return static_cast<std::uint16_t>(code_.fallbacks.size() - 1);
  }

  bool emitFallback(Cell* e, bool tail, std::uint32_t live) {
    std::uint16_t index = fallback({e}, tail, live);
    push({Op::Fallback, 0, index});
    code_.fallbacks[index].resume = here();
    return true;
  }

  // ---- terms ----------------------------------------------------------------------------------

  // Emits code leaving e's value on the stack (or returning it, in tail position). `live` holds
  // the letters read after e.
  bool emit(Cell* e, bool tail, std::uint32_t live, int depth) {
    if (depth > kMaxDepth) return emitFallback(e, tail, live);
    if (cells::isAtomCell(e)) return emitAtom(e, tail, live);
    if (cells::isTextClassCell(e) || (variableSet(e) == 0 && isValue(e))) {
      push({Op::Constant, 0, constant(e)});
      finish(tail);
      return true;
    }
    switch (binderKind(e)) {
      case BinderKind::Lambda:
        return emitFallback(e, tail, live);  // a value once its free letters are replaced
      case BinderKind::Binding:  // ((({ c) x) body)
        return emitBound(e, rightOf(leftOf(leftOf(e))), rightOf(leftOf(e)), rightOf(e), tail, live, depth);
      case BinderKind::Other:
        break;
    }
    Spine spine;
    if (!unwindSpine(e, spine)) return emitFallback(e, tail, live);
    Cell* head = spine.head;
    if (isLetterAtom(head)) return emitLetterHead(e, spine, tail, live, depth);
    if (cells::isOneByteAtom(head, '\\') && spine.count == 3) {  // ((\ c) body) a
      return emitBound(e, spine.args[0], spine.args[2], spine.args[1], tail, live, depth);
    }
    if (!isNameByte(cells::firstByteOf(head))) return emitFallback(e, tail, live);
    int n = arity(e);
    if (n > 0) return emitPartial(e, spine, tail, live, depth);
    if (hasLazyHead(e)) return n == 0 ? emitLazy(e, spine, tail, live, depth) : emitFallback(e, tail, live);
    Resolution resolution = resolveHead(head);
    if (resolution.builtin != nullptr) return emitBuiltin(e, spine, head, *resolution.builtin, tail, live, depth);
    if (resolution.definition == nullptr) return emitFallback(e, tail, live);
    Cell* d = resolution.definition->get();
    int binders = binderCount(d);
    if (binders == 0) return emitParameterless(e, spine, resolution, tail, live, depth);
    if (arity(head) != binders) return emitFallback(e, tail, live);
    if (spine.count == binders + 2 && depend('K') && depend('H') && depend('I')) {
      // A conditional on the value of a call: the call is pending, its value taken at once.
      std::uint32_t branchLetters = variableSet(spine.args[static_cast<std::size_t>(binders)]) |
                                    variableSet(spine.args[static_cast<std::size_t>(binders + 1)]);
      if (!emitArguments(spine, 0, binders, live | branchLetters, depth)) return false;
      emitCall(resolution, d, head, binders, false, true);
      return emitBranches(spine.args[static_cast<std::size_t>(binders)],
                          spine.args[static_cast<std::size_t>(binders + 1)], nullptr, tail, live, depth);
    }
    if (spine.count != binders) return emitFallback(e, tail, live);
    if (!emitArguments(spine, 0, spine.count, live, depth)) return false;
    emitCall(resolution, d, head, binders, tail, tail && pending_);
    return true;
  }

  void emitCall(const Resolution& resolution, Cell* d, Cell* head, int count, bool tail, bool pending) {
    code_.callees.push_back({resolution.definition, d, head, pending});
    auto index = static_cast<std::uint16_t>(code_.callees.size() - 1);
    push({tail ? Op::TailCall : Op::Call, static_cast<std::uint8_t>(count), index});
  }

  bool emitAtom(Cell* e, bool tail, std::uint32_t live) {
    if (isLetterAtom(e)) {
      int letter = cells::firstByteOf(e) - 'a';
      int slot = slotOf_[letter];
      if (slot < 0) return emitFallback(e, tail, live);
      bool read = (live >> letter & 1) != 0;
      push({read ? Op::Load : Op::Move, 0, static_cast<std::uint16_t>(slot)});
      finish(tail);
      return true;
    }
    if (isValue(e)) {
      push({Op::Constant, 0, constant(e)});
      finish(tail);
      return true;
    }
    unsigned char first = cells::firstByteOf(e);
    if (!isNameByte(first) || hasLazyHead(e)) return emitFallback(e, tail, live);
    Spine spine;
    spine.head = e;
    spine.prefix[0] = e;
    Resolution resolution = resolveHead(e);
    if (resolution.builtin != nullptr) return emitBuiltin(e, spine, e, *resolution.builtin, tail, live, 0);
    if (resolution.definition != nullptr && binderCount(resolution.definition->get()) == 0) {
      return emitParameterless(e, spine, resolution, tail, live, 0);
    }
    return emitFallback(e, tail, live);
  }

  // Arguments first..end of the spine, left to right.
  bool emitArguments(const Spine& spine, int first, int end, std::uint32_t live, int depth) {
    for (int i = first; i < end; ++i) {
      std::uint32_t later = live;
      for (int j = i + 1; j < end; ++j) later |= variableSet(spine.args[static_cast<std::size_t>(j)]);
      if (!emit(spine.args[static_cast<std::size_t>(i)], false, later, depth + 1)) return false;
    }
    return true;
  }

  // A builtin applied to its arguments, or to them and two branches (a conditional).
  bool emitBuiltin(Cell* e, const Spine& spine, Cell* name, const program::Builtin& builtin, bool tail,
                   std::uint32_t live, int depth) {
    int n = builtin.arity;
    if (spine.count != n && spine.count != n + 2) return emitFallback(e, tail, live);
    std::uint32_t branchLetters = 0;
    if (spine.count == n + 2) {
      if (!depend('K') || !depend('H') || !depend('I')) return emitFallback(e, tail, live);
      branchLetters = variableSet(spine.args[static_cast<std::size_t>(n)]) |
                      variableSet(spine.args[static_cast<std::size_t>(n + 1)]);
    }
    code_.builtins.push_back(&builtin);
    auto index = static_cast<std::uint16_t>(code_.builtins.size() - 1);
    if (!emitArguments(spine, 0, n, live | branchLetters, depth)) return false;
    Instr call{Op::Builtin, static_cast<std::uint8_t>(n), index, constant(name)};
    if (spine.count == n) {
      push(call);
      finish(tail);
      return true;
    }
    if (n != 2 || builtin.truth == nullptr) push(call);
    return emitBranches(spine.args[static_cast<std::size_t>(n)], spine.args[static_cast<std::size_t>(n + 1)],
                        n == 2 && builtin.truth != nullptr ? &call : nullptr, tail, live, depth);
  }

  // The value on the stack applied to two branches: K takes the first, H the second (the
  // Prelude's K, H and I pick one of them unevaluated); anything else is the machine's. With a
  // comparison `test`, the comparison and the choice are one instruction.
  bool emitBranches(Cell* yes, Cell* no, const Instr* test, bool tail, std::uint32_t live, int depth) {
    std::uint16_t f = fallback({yes, no}, tail, live);
    std::uint32_t branch = here();
    if (test != nullptr) {
      Instr fused = *test;
      fused.op = Op::Test;
      fused.c = f;
      push(fused);
    } else {
      push({Op::Branch, 0, f});
    }
    if (!emit(yes, tail, live, depth + 1)) return false;
    return emitSecondArm(branch, no, f, tail, live, depth);
  }

  // After the first arm of the two-way choice at `choice`: a jump over the second arm (in tail
  // position each arm returns by itself), the choice's other target, the second arm, and the
  // place where both arms and the value of fallback f go on.
  bool emitSecondArm(std::uint32_t choice, Cell* second, std::uint16_t f, bool tail, std::uint32_t live,
                     int depth) {
    std::uint32_t jump = here();
    if (!tail) push({Op::Jump});
    code_.instrs[choice].target = here();
    if (!emit(second, tail, live, depth + 1)) return false;
    if (!tail) {
      code_.instrs[jump].target = here();
      code_.fallbacks[f].resume = here();
    }
    return true;
  }

  // A parameterless definition: one whose value is a builtin's name (the operators) is that
  // builtin's call with the stored Atom; one that is a value already is that value.
  bool emitParameterless(Cell* e, const Spine& spine, const Resolution& resolution, bool tail, std::uint32_t live,
                         int depth) {
    Cell* d = resolution.definition->get();
    if (spine.count == 0 && !isValue(d) && !(tail && pending_)) {
      code_.callees.push_back({resolution.definition, d, e});
      push({Op::Global, 0, static_cast<std::uint16_t>(code_.callees.size() - 1)});
      code_.fallbacks.push_back({{e}, {}, false, here()});
      code_.instrs.back().b = static_cast<std::uint16_t>(code_.fallbacks.size() - 1);
      finish(tail);
      return true;
    }
    if (!isValue(d)) return emitFallback(e, tail, live);
    if (spine.count == 0) {
      code_.dependencies.emplace_back(resolution.definition, d);
      push({Op::Constant, 0, constant(d)});
      finish(tail);
      return true;
    }
    if (!cells::isAtomCell(d) || arity(spine.head) != 0 || !isNameByte(cells::firstByteOf(d))) {
      return emitFallback(e, tail, live);
    }
    Resolution named = resolveHead(d);
    if (named.builtin == nullptr || arity(d) != named.builtin->arity) return emitFallback(e, tail, live);
    code_.dependencies.emplace_back(resolution.definition, d);
    return emitBuiltin(e, spine, d, *named.builtin, tail, live, depth);
  }

  // A partial application: the machine evaluates its arguments left to right and builds the
  // Pairs; the longest closed prefix that is a value already is the definition's own Cell.
  bool emitPartial(Cell* e, const Spine& spine, bool tail, std::uint32_t live, int depth) {
    // A lazy one at the top of a pending call's body takes the waiting branches: the machine's.
    if (tail && pending_ && hasLazyHead(e)) return emitFallback(e, tail, live);
    int shared = 0;
    while (shared < spine.count) {
      Cell* p = spine.prefix[static_cast<std::size_t>(shared + 1)];
      if (variableSet(p) != 0 || !isValue(p)) break;
      ++shared;
    }
    push({Op::Constant, 0, constant(spine.prefix[static_cast<std::size_t>(shared)])});
    for (int i = shared; i < spine.count; ++i) {
      std::uint32_t later = live;
      for (int j = i + 1; j < spine.count; ++j) later |= variableSet(spine.args[static_cast<std::size_t>(j)]);
      if (!emit(spine.args[static_cast<std::size_t>(i)], false, later, depth + 1)) return false;
      push({Op::Pair});
    }
    finish(tail);
    return true;
  }

  // A saturated lazy head: the Prelude's I and K are rewritten here; other lazy heads are the
  // machine's.
  bool emitLazy(Cell* e, const Spine& spine, bool tail, std::uint32_t live, int depth) {
    Cell* head = spine.head;
    if (cells::isOneByteAtom(head, 'I') && spine.count == 1 && depend('I')) {
      return emit(spine.args[0], tail, live, depth + 1);
    }
    if (cells::isOneByteAtom(head, 'K') && spine.count == 2 && depend('K')) {
      return emit(spine.args[0], tail, live, depth + 1);
    }
    return emitFallback(e, tail, live);
  }

  // A letter's value x bound to `letter` while `body` is evaluated: a `{` binding or an applied
  // lambda. The machine evaluates x to a value first and substitutes it.
  bool emitBound(Cell* e, Cell* binder, Cell* x, Cell* body, bool tail, std::uint32_t live, int depth) {
    if (!isLetterAtom(binder) || code_.slots >= kMaxSlots) return emitFallback(e, tail, live);
    char letter = letterOf(binder);
    std::uint32_t bodyLetters = variableSet(body);
    if (!emit(x, false, live | (bodyLetters & ~bit(letter)), depth + 1)) return false;
    if ((bodyLetters & bit(letter)) == 0) {
      push({Op::Pop});
      return emit(body, tail, live & ~bit(letter), depth + 1);
    }
    auto slot = static_cast<std::uint16_t>(code_.slots++);
    push({Op::Store, 0, slot});
    int saved = slotOf_[letter - 'a'];
    slotOf_[letter - 'a'] = slot;
    bool ok = emit(body, tail, live & ~bit(letter), depth + 1);
    slotOf_[letter - 'a'] = saved;
    return ok;
  }

  // A letter's value applied to arguments. The value is looked at first: when its head is lazy,
  // or it takes fewer arguments than it is given, the machine gets the whole application with the
  // arguments unevaluated (it would not evaluate them all first). Otherwise the arguments are
  // evaluated in order, and a lambda or a definition's name taking exactly that many runs its
  // code. With three arguments or more, the last two are taken for the branches of a conditional
  // on the value of the rest; when the value takes other than that many, the machine gets the
  // whole conditional, so nothing is lost if they were not.
  bool emitApply(const Spine& spine, bool tail, std::uint32_t live, int depth) {
    Cell* head = spine.head;
    int count = spine.count;
    bool conditional = count >= 3 && depend('K') && depend('H') && depend('I');
    std::uint32_t branchLetters = 0;
    std::uint32_t argLetters = 0;
    for (int i = 0; i < spine.count; ++i) argLetters |= variableSet(spine.args[static_cast<std::size_t>(i)]);
    if (conditional) {
      count -= 2;
      branchLetters = variableSet(spine.args[static_cast<std::size_t>(count)]) |
                      variableSet(spine.args[static_cast<std::size_t>(count + 1)]);
    }
    if (!emitAtom(head, false, live | argLetters)) return false;
    std::uint16_t check = fallback(std::vector<Cell*>(spine.args.begin(), spine.args.begin() + spine.count), tail, live);
    push({Op::Check, static_cast<std::uint8_t>(count), check});
    if (!emitArguments(spine, 0, count, live | branchLetters, depth)) return false;
    code_.sites.emplace_back();
    code_.sites.back().pending = conditional || (tail && pending_);
    bool tailCall = tail && !conditional;
    push({Op::Apply, static_cast<std::uint8_t>(count), static_cast<std::uint16_t>(code_.sites.size() - 1),
          static_cast<std::uint16_t>(tailCall ? 1 : 0)});
    if (conditional && !emitBranches(spine.args[static_cast<std::size_t>(count)],
                                     spine.args[static_cast<std::size_t>(count + 1)], nullptr, tail, live, depth)) {
      return false;
    }
    code_.fallbacks[check].resume = here();
    return true;
  }

  // A letter's value applied to two arguments: K or H picks one of them unevaluated (the letter is
  // a truth value), a lazy head or a value taking fewer arguments gets the application whole, and
  // anything else is applied to both, evaluated in order.
  bool emitChoice(const Spine& spine, bool tail, std::uint32_t live, int depth) {
    Cell* x = spine.args[0];
    Cell* y = spine.args[1];
    std::uint32_t argLetters = variableSet(x) | variableSet(y);
    if (!depend('K') || !depend('H') || !depend('I')) return emitApply(spine, tail, live, depth);
    if (!emitAtom(spine.head, false, live | argLetters)) return false;
    std::uint16_t whole = fallback({x, y}, tail, live);
    std::uint32_t choose = here();
    push({Op::Choose, 2, whole});
    std::vector<std::uint32_t> ends;
    auto branch = [&](Cell* term) {
      if (!emit(term, tail, live, depth + 1)) return false;
      if (!tail) {
        ends.push_back(here());
        push({Op::Jump});
      }
      return true;
    };
    if (!branch(x)) return false;
    code_.instrs[choose].target = here();
    if (!branch(y)) return false;
    code_.instrs[choose].c = static_cast<std::uint16_t>(here());
    if (!emitArguments(spine, 0, 2, live, depth)) return false;
    code_.sites.emplace_back();
    code_.sites.back().pending = tail && pending_;
    push({Op::Apply, 2, static_cast<std::uint16_t>(code_.sites.size() - 1), static_cast<std::uint16_t>(tail ? 1 : 0)});
    for (std::uint32_t jump : ends) code_.instrs[jump].target = here();
    code_.fallbacks[whole].resume = here();
    return true;
  }

  // A letter applied to arguments. `list nil (h\t\body)` matches a J list: the Prelude's J and V
  // make (J h t) apply the lambda to h and t, and the Prelude's K makes the empty list K pick nil.
  bool emitLetterHead(Cell* e, const Spine& spine, bool tail, std::uint32_t live, int depth) {
    if (spine.count == 2 && (binderKind(spine.args[1]) != BinderKind::Lambda ||
                             binderKind(rightOf(spine.args[1])) != BinderKind::Lambda)) {
      return emitChoice(spine, tail, live, depth);
    }
    if (spine.count != 2) return emitApply(spine, tail, live, depth);
    Cell* nil = spine.args[0];
    Cell* lambda = spine.args[1];
    Cell* first = rightOf(leftOf(lambda));
    Cell* inner = rightOf(lambda);
    Cell* second = rightOf(leftOf(inner));
    Cell* body = rightOf(inner);
    if (!isLetterAtom(first) || !isLetterAtom(second) || letterOf(first) == letterOf(second) ||
        code_.slots + 2 > kMaxSlots || !depend('J') || !depend('V') || !depend('K')) {
      return emitFallback(e, tail, live);
    }
    std::uint32_t cases = variableSet(nil) | variableSet(lambda);
    if (!emitAtom(spine.head, false, live | cases)) return false;
    std::uint16_t f = fallback({nil, lambda}, tail, live);
    std::uint32_t match = here();
    push({Op::Match, 0, f});
    char h = letterOf(first);
    char t = letterOf(second);
    std::uint32_t bodyLetters = variableSet(body);
    int savedH = slotOf_[h - 'a'];
    int savedT = slotOf_[t - 'a'];
    for (char letter : {t, h}) {  // the tail is on top
      if ((bodyLetters & bit(letter)) == 0) {
        push({Op::Pop});
        slotOf_[letter - 'a'] = -1;
        continue;
      }
      auto slot = static_cast<std::uint16_t>(code_.slots++);
      push({Op::Store, 0, slot});
      slotOf_[letter - 'a'] = slot;
    }
    bool ok = emit(body, tail, live & ~bit(h) & ~bit(t), depth + 1);
    slotOf_[h - 'a'] = savedH;
    slotOf_[t - 'a'] = savedT;
    if (!ok) return false;
    return emitSecondArm(match, nil, f, tail, live, depth);
  }
};

std::unique_ptr<Code> compileCell(Cell* d, bool pending, std::uint64_t generation) {
  auto code = std::make_unique<Code>();
  code->definition = CellRef::borrow(d);
  code->pending = pending;
  code->generation = generation;
  if (!Compiler(*code).compile()) return nullptr;
  return code;
}

constexpr std::size_t kMaxLambdas = 1024;

const Code* codeForCell(Cell* d, bool pending, bool lambda) {
  Cache& c = cache();
  Codes& codes = c.codes[pending ? 1 : 0];
  auto found = codes.find(d);
  if (found == codes.end()) {
    if (binderKind(d) != BinderKind::Lambda) return nullptr;
    if (lambda && c.lambdas++ >= kMaxLambdas) return nullptr;
    found = codes.emplace(d, compileCell(d, pending, c.generation)).first;
  }
  const Code* code = found->second.get();
  return code != nullptr && isCurrent(*code) ? code : nullptr;
}

}  // namespace

void releaseRetiredCodes() { cache().retired.clear(); }

const Code* codeForSlot(CellRef* slot, bool pending) { return codeForCell(slot->get(), pending, false); }

const Code* codeFor(const Resolution& global, bool pending) { return codeForSlot(global.definition, pending); }

const Code* codeForLambda(Cell* lambda, int count, bool pending) {
  if (binderKind(lambda) != BinderKind::Lambda) return nullptr;
  const Code* code = codeForCell(lambda, pending, true);
  return code != nullptr && code->params == count ? code : nullptr;
}

}  // namespace vorn::eval::compiled
