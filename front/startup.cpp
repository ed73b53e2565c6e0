// Start-up: every process-wide table is emptied before the Prelude goes in.
#include "front/startup.h"

#include "builtins/table.h"
#include "front/globals.h"
#include "front/prelude.h"

namespace vorn::front {

void startUp() {
  noteTablesChanged();
  globalTable().clear();
  recomputeSet().clear();
  // The BuiltinTable fills itself again on its next use; asking for it here does that at once.
  builtins::clearBuiltinTable();
  builtins::builtinTable();
  // The memory primitives' register slots, once they exist, are released here as well.
  loadPrelude();
}

}  // namespace vorn::front
