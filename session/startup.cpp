// Start-up: every process-wide table is emptied before the Prelude goes in.
#include "session/startup.h"

#include "builtins/c_layouts.h"
#include "builtins/load.h"
#include "builtins/table.h"
#include "front/prelude.h"
#include "program/tables.h"
#include "session/source_loading.h"

namespace vorn::session {

void startUp() {
  program::tables().reset();
  builtins::fillBuiltinTable(program::tables().builtins());
  program::tables().layoutText() = builtins::layoutText();
  builtins::installSourceLoader(&loadSource);
  front::loadPrelude();
}

}  // namespace vorn::session
