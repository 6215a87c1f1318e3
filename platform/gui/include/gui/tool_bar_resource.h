#pragma once

// A tool bar as resource data: button command ids in order (ID_SEPARATOR for a
// gap) and the bitmap strip that holds one image per button, left to right.

#include <QSize>
#include <vector>

#include "gui/ids.h"

namespace gui {

struct ToolBarResource {
  UINT bitmapId = 0;            // strip of images, one per non-separator button
  QSize imageSize{16, 15};      // size of one image in the strip
  std::vector<UINT> buttons;    // command ids; ID_SEPARATOR marks a gap
};

}  // namespace gui
