// The compiler walks a definition's body once, in the order the machine would evaluate it, and
// emits stack code. It reads only the cached analysis of the terms (arity, free letters), so it
// agrees with the machine on which applications are saturated. Its own recursion follows the
// nesting of one body and is cut off at a fixed depth (deeper bodies are simply refused).
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

struct Cache {
  std::uint64_t generation = 0;
  // By definition Cell; a null entry is a refused definition.
  std::unordered_map<Cell*, std::unique_ptr<Code>> codes;
  // Codes of earlier generations. Compiled frames may still be running one of them when a
  // run-time load changes the generation (from a machine the code fell back to), so they are
  // kept; they are no longer current, so no new call enters them.
  std::vector<std::unordered_map<Cell*, std::unique_ptr<Code>>> retired;
};

Cache& cache() {
  static auto* c = new Cache();
  std::uint64_t generation = program::tables().generation();
  if (c->generation != generation) {
    if (!c->codes.empty()) c->retired.push_back(std::move(c->codes));
    c->codes.clear();
    c->generation = generation;
  }
  return *c;
}

int binderCount(const Cell* d) {
  int n = 0;
  while (binderKind(d) == BinderKind::Lambda) {
    ++n;
    d = rightOf(d);
  }
  return n;
}

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

// \a\b\a with two different letters.
bool isPreludeK(const Cell* d) {
  if (binderCount(d) != 2) return false;
  char a = letterOf(rightOf(leftOf(d)));
  const Cell* inner = rightOf(d);
  char b = letterOf(rightOf(leftOf(inner)));
  const Cell* body = rightOf(inner);
  return isLetterAtom(rightOf(leftOf(d))) && isLetterAtom(rightOf(leftOf(inner))) && a != b &&
         cells::isOneByteAtom(body, a);
}

// \a\b\b a with two different letters.
bool isPreludeT(const Cell* d) {
  if (binderCount(d) != 2) return false;
  const Cell* first = rightOf(leftOf(d));
  const Cell* inner = rightOf(d);
  const Cell* second = rightOf(leftOf(inner));
  const Cell* body = rightOf(inner);
  return isLetterAtom(first) && isLetterAtom(second) && letterOf(first) != letterOf(second) &&
         !cells::isAtomCell(body) && cells::isOneByteAtom(leftOf(body), letterOf(second)) &&
         cells::isOneByteAtom(rightOf(body), letterOf(first));
}

// \a\a
bool isPreludeI(const Cell* d) {
  if (binderCount(d) != 1) return false;
  const Cell* binder = rightOf(leftOf(d));
  return isLetterAtom(binder) && cells::isOneByteAtom(rightOf(d), letterOf(binder));
}

// \a\I
bool isPreludeH(const Cell* d) {
  return binderCount(d) == 1 && isLetterAtom(rightOf(leftOf(d))) && cells::isOneByteAtom(rightOf(d), 'I');
}

struct Spine {
  Cell* head = nullptr;
  std::array<Cell*, kMaxArguments> args{};
  int count = 0;
};

bool unwindSpine(Cell* e, Spine& spine) {
  Cell* c = e;
  while (!cells::isAtomCell(c)) {
    if (cells::isTextClassCell(c) || spine.count == kMaxArguments) return false;
    spine.args[spine.count++] = rightOf(c);
    c = leftOf(c);
  }
  spine.head = c;
  for (int i = 0, j = spine.count - 1; i < j; ++i, --j) std::swap(spine.args[i], spine.args[j]);
  return true;
}

bool isNameByte(unsigned char b) {
  return !((b >= '0' && b <= '9') || b == '[' || b == '(' || b == ' ' || b == ')' || b == ']' ||
           b == '{' || b == '\\' || b == 0);
}

const Code* compileDefinition(CellRef* slot, std::vector<Cell*>& fresh);

class Compiler {
 public:
  Compiler(Code& code, std::vector<Cell*>& fresh) : code_(code), fresh_(fresh) { paramOf_.fill(-1); }

  bool compile() {
    Cell* body = code_.definition.get();
    while (binderKind(body) == BinderKind::Lambda) {
      char letter = letterOf(rightOf(leftOf(body)));
      if (!isLetterAtom(rightOf(leftOf(body)))) return false;
      paramOf_[letter - 'a'] = code_.params++;  // a later binder of the same letter wins
      code_.letters.push_back(letter);
      body = rightOf(body);
    }
    if (code_.params == 0 || code_.params > kMaxArguments) return false;
    // The machine evaluates a function part first behind a (T y) frame (a builtin's earlier
    // argument, an operator name, a condition) and resumes it by T's definition; the code takes
    // the Prelude's T for granted.
    CellRef* t = preludeSlot('T');
    if (t == nullptr || !isPreludeT(t->get())) return false;
    code_.dependencies.emplace_back(t, t->get());
    return emit(body, true, 0, 0);
  }

 private:
  Code& code_;
  std::vector<Cell*>& fresh_;
  std::array<int, 26> paramOf_{};

  // The letters free in e, as bits a..z; every one must be a parameter.
  static std::uint32_t lettersOf(Cell* e) { return variableSet(e); }

  void push(Instr instr) { code_.instrs.push_back(instr); }

  std::uint16_t constant(Cell* c) {
    code_.constants.push_back(CellRef::borrow(c));
    return static_cast<std::uint16_t>(code_.constants.size() - 1);
  }

  void finish(bool tail) {
    if (tail) push({Op::Return});
  }

  // Emits code leaving e's value on the stack (or returning it, in tail position). `live` holds
  // the letters read after e.
  bool emit(Cell* e, bool tail, std::uint32_t live, int depth) {
    if (depth > kMaxDepth) return false;
    if (cells::isAtomCell(e)) return emitAtom(e, tail, live);
    Spine spine;
    if (!unwindSpine(e, spine) || spine.count == 0) return false;
    Cell* head = spine.head;
    // A lazy letter takes its arguments unevaluated: the machine's business.
    if (!isNameByte(cells::firstByteOf(head)) || hasLazyHead(e)) return false;
    Resolution resolution = resolveHead(head);
    if (resolution.builtin != nullptr) {
      if (arity(head) != resolution.builtin->arity) return false;
      return emitBuiltin(spine, head, *resolution.builtin, tail, live, depth);
    }
    if (resolution.definition == nullptr) return false;
    Cell* d = resolution.definition->get();
    int binders = binderCount(d);
    if (binders == 0) {
      // A parameterless definition whose value is a builtin's name (the operators): the machine
      // fetches that name and applies it, so the call is the builtin's with the stored Atom.
      if (!cells::isAtomCell(d) || arity(head) != 0 || !isValue(d)) return false;
      if (!isNameByte(cells::firstByteOf(d))) return false;
      Resolution named = resolveHead(d);
      if (named.builtin == nullptr || arity(d) != named.builtin->arity) return false;
      code_.dependencies.emplace_back(resolution.definition, d);
      return emitBuiltin(spine, d, *named.builtin, tail, live, depth);
    }
    if (arity(head) != binders || spine.count != binders) return false;
    const Code* callee = compileDefinition(resolution.definition, fresh_);
    if (callee == nullptr) return false;
    if (!emitArguments(spine, 0, spine.count, live, depth)) return false;
    code_.callees.push_back(callee);
    auto index = static_cast<std::uint16_t>(code_.callees.size() - 1);
    push({tail ? Op::TailCall : Op::Call, static_cast<std::uint8_t>(spine.count), index, constant(head)});
    return true;
  }

  bool emitAtom(Cell* e, bool tail, std::uint32_t live) {
    if (isLetterAtom(e)) {
      int letter = cells::firstByteOf(e) - 'a';
      int param = paramOf_[letter];
      if (param < 0) return false;
      bool read = (live >> letter & 1) != 0;
      push({read ? Op::Load : Op::Move, 0, static_cast<std::uint16_t>(param)});
      finish(tail);
      return true;
    }
    unsigned char b = cells::firstByteOf(e);
    if (b < '0' || b > '9') return false;
    push({Op::Constant, 0, constant(e)});
    finish(tail);
    return true;
  }

  // Arguments first..end of the spine, left to right.
  bool emitArguments(const Spine& spine, int first, int end, std::uint32_t live, int depth) {
    for (int i = first; i < end; ++i) {
      std::uint32_t later = live;
      for (int j = i + 1; j < end; ++j) later |= lettersOf(spine.args[j]);
      if (!emit(spine.args[i], false, later, depth + 1)) return false;
    }
    return true;
  }

  bool emitBuiltin(const Spine& spine, Cell* name, const program::Builtin& builtin, bool tail,
                   std::uint32_t live, int depth) {
    // Only builtins that never touch the tables, the machine or their arguments' sharing.
    if (builtin.family != program::Family::Arithmetic) return false;
    int n = builtin.arity;
    code_.builtins.push_back(&builtin);
    auto index = static_cast<std::uint16_t>(code_.builtins.size() - 1);
    if (spine.count == n) {
      if (n == 0) return false;
      if (!emitArguments(spine, 0, n, live, depth)) return false;
      push({Op::Builtin, static_cast<std::uint8_t>(n), index, constant(name)});
      finish(tail);
      return true;
    }
    if (spine.count != n + 2 || !preludeConditional()) return false;
    Cell* yes = spine.args[n];
    Cell* no = spine.args[n + 1];
    std::uint32_t yesLetters = lettersOf(yes);
    std::uint32_t noLetters = lettersOf(no);
    if (!emitArguments(spine, 0, n, live | yesLetters | noLetters, depth)) return false;
    code_.branches.push_back({yes, no, tail});
    std::size_t branchIndex = code_.branches.size() - 1;
    std::size_t test = code_.instrs.size();
    push({Op::Test, static_cast<std::uint8_t>(n), index, constant(name),
          static_cast<std::uint16_t>(code_.branches.size() - 1)});
    if (!emitBranch(yes, noLetters & ~yesLetters & ~live, tail, live, depth)) return false;
    std::size_t jump = code_.instrs.size();
    if (!tail) push({Op::Jump});
    code_.instrs[test].target = static_cast<std::uint32_t>(code_.instrs.size());
    if (!emitBranch(no, yesLetters & ~noLetters & ~live, tail, live, depth)) return false;
    if (!tail) {
      code_.instrs[jump].target = static_cast<std::uint32_t>(code_.instrs.size());
      code_.branches[branchIndex].end = code_.instrs[jump].target;
    }
    return true;
  }

  bool emitBranch(Cell* branch, std::uint32_t dropped, bool tail, std::uint32_t live, int depth) {
    for (int letter = 0; letter < 26; ++letter) {
      if ((dropped >> letter & 1) != 0 && paramOf_[letter] >= 0) {
        push({Op::Drop, 0, static_cast<std::uint16_t>(paramOf_[letter])});
      }
    }
    return emit(branch, tail, live, depth + 1);
  }

  // The condition's K and H are the Prelude's (H giving the Prelude's I), so that applying the
  // result to the two branches picks one of them unevaluated.
  bool preludeConditional() {
    CellRef* k = preludeSlot('K');
    CellRef* h = preludeSlot('H');
    CellRef* i = preludeSlot('I');
    if (k == nullptr || h == nullptr || i == nullptr) return false;
    if (!isPreludeK(k->get()) || !isPreludeH(h->get()) || !isPreludeI(i->get())) return false;
    code_.dependencies.emplace_back(k, k->get());
    code_.dependencies.emplace_back(h, h->get());
    code_.dependencies.emplace_back(i, i->get());
    return true;
  }
};

const Code* compileDefinition(CellRef* slot, std::vector<Cell*>& fresh) {
  Cache& c = cache();
  Cell* d = slot->get();
  auto found = c.codes.find(d);
  if (found != c.codes.end()) return found->second.get();
  auto owned = std::make_unique<Code>();
  Code* code = owned.get();
  code->definition = *slot;
  code->generation = c.generation;
  code->dependencies.emplace_back(slot, d);
  c.codes.emplace(d, std::move(owned));
  fresh.push_back(d);
  return Compiler(*code, fresh).compile() ? code : nullptr;
}

}  // namespace

const Code* codeFor(const Resolution& global) {
  Cache& c = cache();
  Cell* d = global.definition->get();
  auto found = c.codes.find(d);
  if (found != c.codes.end()) {
    const Code* code = found->second.get();
    return code != nullptr && isCurrent(*code) ? code : nullptr;
  }
  if (binderCount(d) == 0) return nullptr;
  // Everything compiled on the way is kept only if the whole attempt succeeds: a callee compiled
  // meanwhile may refer to a definition that was still being compiled and then refused.
  std::vector<Cell*> fresh;
  const Code* code = compileDefinition(global.definition, fresh);
  if (code != nullptr) return code;
  for (Cell* cell : fresh) c.codes.erase(cell);
  c.codes.emplace(d, nullptr);
  return nullptr;
}

}  // namespace vorn::eval::compiled
