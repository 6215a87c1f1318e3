#pragma once

// Keyboard accelerators as resource data: a key with modifiers runs a command.

#include <Qt>
#include <vector>

#include "gui/types.h"

namespace gui {

struct Accelerator {
  int key = 0;  // a Qt::Key value
  Qt::KeyboardModifiers modifiers = Qt::NoModifier;
  UINT commandId = 0;
};

using AcceleratorTable = std::vector<Accelerator>;

}  // namespace gui
