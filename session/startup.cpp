// Start-up: every process-wide table is emptied before the Prelude goes in.
#include "session/startup.h"

#include "builtins/load.h"
#include "builtins/table.h"
#include "front/globals.h"
#include "front/prelude.h"
#include "session/source_loading.h"

namespace vorn::session {

void startUp() {
  front::noteTablesChanged();
  front::globalTable().clear();
  front::recomputeSet().clear();
  // The BuiltinTable fills itself again on its next use; asking for it here does that at once.
  builtins::clearBuiltinTable();
  builtins::builtinTable();
  builtins::installSourceLoader(&loadSource);
  front::loadPrelude();
}

}  // namespace vorn::session
