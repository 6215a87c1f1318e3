#pragma once

// The framework's own string table: prompts of its standard commands, the
// idle prompt, the keyboard indicators and the data-exchange prompts. A
// program's string table may replace any of them.

#include <QString>
#include <utility>
#include <vector>

#include "gui/types.h"

namespace gui {

const std::vector<std::pair<UINT, QString>>& standardStrings();

}  // namespace gui
