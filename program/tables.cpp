// The program's tables and the generation that guards pointers into them.
#include "program/tables.h"

#include <iterator>

namespace vorn::program {

cells::Cell* GlobalTable::find(std::string_view name) const {
  auto it = map_.find(name);
  return it == map_.end() ? nullptr : it->second.get();
}

Definitions::value_type* GlobalTable::entry(std::string_view name) {
  auto it = map_.find(name);
  return it == map_.end() ? nullptr : &*it;
}

void GlobalTable::define(std::string name, cells::CellRef body) {
  map_.insert_or_assign(std::move(name), std::move(body));
  noteDefinitionWrite();
}

Definitions::iterator GlobalTable::define(Definitions::iterator hint, std::string name,
                                          cells::CellRef body) {
  return std::next(map_.insert_or_assign(hint, std::move(name), std::move(body)));
}

void GlobalTable::erase(std::string_view name) {
  auto it = map_.find(name);
  if (it == map_.end()) return;
  ++generation_;
  noteDefinitionWrite();
  map_.erase(it);
}

void GlobalTable::clear() {
  ++generation_;
  noteDefinitionWrite();
  map_.clear();
}

std::string_view familyTitle(Family family) {
  switch (family) {
    case Family::Arithmetic: return "Arithmetic and comparison";
    case Family::Trees: return "Trees and atoms";
    case Family::MemoryAccess: return "Memory access";
    case Family::Mathematics: return "Mathematics";
    case Family::CharacterClasses: return "Character classes";
    case Family::NumberConversion: return "Number conversion and random numbers";
    case Family::Streams: return "Streams and files";
    case Family::Directories: return "Directories";
    case Family::Strings: return "Strings";
    case Family::MemoryBlocks: return "Memory blocks and the heap";
    case Family::Sockets: return "Sockets and name resolution";
    case Family::Time: return "Time";
    case Family::Process: return "Process control";
    case Family::ErrorNumbers: return "Error numbers";
  }
  return {};
}

void Tables::reset() {
  ++generation_;
  noteDefinitionWrite();
  globals_.clear();
  recompute_.clear();
  builtins_.clear();
  interned_.clear();
  layoutText_.clear();
}

Tables& tables() {
  static auto* made = new Tables();
  return *made;
}

}  // namespace vorn::program
