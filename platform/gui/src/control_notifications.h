#pragma once

// Turns the signals of a control's widget into the notifications its owner
// window handles by control id: WM_COMMAND codes for buttons, edits, list
// and combo boxes; WM_NOTIFY codes for trees and list views. Connections
// live as long as the owner's window.

#include "gui/dialog_template.h"

class QWidget;

namespace gui {

class TreeWidget;
class Window;

void connectControlNotifications(QWidget* control, ControlKind kind, int id, Window& owner);
void connectTreeNotifications(TreeWidget* tree, int id, Window& owner);
void connectListViewNotifications(TreeWidget* list, int id, Window& owner);

}  // namespace gui
