// Start-up of the global tables: empties them and loads the Prelude.
#pragma once

namespace vorn::front {

void startUp();

}  // namespace vorn::front
