// A direct-mapped cache from head Atoms to their resolutions, and beside it one answer per byte
// for the one-byte names (the Prelude letters and operators), whose Atoms builtins make afresh
// for every result (K and H from every comparison), so a cache by Atom would keep missing. Only
// found names are cached, so a definition added later (run-time loading) is seen at once. Map
// nodes never move, so the cached pointers stay valid until an entry is erased or the tables are
// emptied, which changes the tables' generation and empties the cache.
#include "eval/resolution.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "program/tables.h"

namespace vorn::eval {

namespace {

struct Slot {
  const cells::Cell* head = nullptr;
  const std::string* key = nullptr;  // the name the answer is for
  Resolution answer;
};

constexpr std::size_t kSlots = 4096;

struct Cache {
  std::uint64_t generation = 0;
  std::array<Slot, kSlots> slots{};
  std::array<Resolution, 256> oneByte{};  // empty (no builtin, no definition) until found
};

Cache& cache() {
  static auto* c = new Cache();
  return *c;
}

std::size_t slotOf(const cells::Cell* head) {
  auto bits = reinterpret_cast<std::uintptr_t>(head);
  return (bits >> 4 ^ bits >> 13) & (kSlots - 1);
}

Resolution lookUp(std::string_view bytes, const std::string*& key) {
  Resolution answer;
  program::Tables& tables = program::tables();
  auto& builtins = tables.builtins();
  auto builtin = builtins.find(bytes);
  if (builtin != builtins.end()) {
    answer.builtin = &builtin->second;
    key = &builtin->first;
  }
  if (auto* global = tables.globals().entry(bytes)) {
    answer.name = &global->first;
    answer.definition = &global->second;
    key = &global->first;
  }
  return answer;
}

}  // namespace

Resolution resolveHead(const cells::Cell* head) {
  Cache& c = cache();
  std::uint64_t generation = program::tables().generation();
  if (c.generation != generation) {
    c.slots.fill(Slot{});
    c.oneByte.fill(Resolution{});
    c.generation = generation;
  }
  const char* data = cells::atomData(head);
  if (data[1] == '\0') {
    Resolution& known = c.oneByte[static_cast<unsigned char>(data[0])];
    if (known.builtin == nullptr && known.definition == nullptr) {
      const std::string* key = nullptr;
      known = lookUp(std::string_view(data, 1), key);
    }
    return known;
  }
  Slot& slot = c.slots[slotOf(head)];
  // A name's full byte string ends at its first zero byte, and no key holds a zero byte before
  // its end, so comparing up to the zero says whether the Atom still spells the key.
  if (slot.head == head && std::strcmp(cells::atomData(head), slot.key->c_str()) == 0) return slot.answer;
  const std::string* key = nullptr;
  Resolution answer = lookUp(cells::atomBytesOf(head), key);
  if (key != nullptr) slot = Slot{head, key, answer};
  return answer;
}

}  // namespace vorn::eval
