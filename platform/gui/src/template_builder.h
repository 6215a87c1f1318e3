#pragma once

// Builds the controls of a dialog template as real Qt widgets inside a
// parent widget (a dialog or a form view), at the template's positions
// converted from dialog units with the template's font, and registers them
// with their owner window by id.

#include <QSize>

#include "gui/dialog_template.h"

class QWidget;

namespace gui {

class Window;

// Sets the template's font on `parent`, creates the controls and returns the
// template's client size in pixels. The owner's window must exist.
QSize buildFromTemplate(const DialogTemplate& dialog, QWidget* parent, Window& owner);

}  // namespace gui
