#pragma once

// Message boxes: a text, a caption, an icon and a set of buttons; the
// answer is the button chosen (IDOK, IDCANCEL, IDYES, IDNO, ...). Every box
// runs through the modal seam.

#include <QString>

#include "gui/types.h"

namespace gui {

class Window;

// A box owned by `owner` (nullptr: the program's active window). An empty
// caption shows the application's name.
int MessageBox(Window* owner, const QString& text, const QString& caption = {}, UINT type = MB_OK);
// A box with the application's name as caption, owned by the active window.
int MessageBox(const QString& text, UINT type = MB_OK);
// The same with the text of a string resource.
int MessageBox(UINT promptId, UINT type = MB_OK);

}  // namespace gui
