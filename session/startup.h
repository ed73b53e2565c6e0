// Start-up of a session: every table of the running program is emptied, the builtin table and
// the layout text of the C structures are filled, the Prelude loaded, and the run-time source
// loader put in reach of the `load` builtin.
#pragma once

namespace vorn::session {

void startUp();

}  // namespace vorn::session
