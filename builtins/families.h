// Declarations of every family's entries, so the table can name them.
#pragma once

#include "builtins/table.h"
