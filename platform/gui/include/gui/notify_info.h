#pragma once

// What a tree or list control reports with a notification (WM_NOTIFY): the
// control, the code and the entries concerned.

#include <QPoint>

#include "gui/types.h"

class QTreeWidgetItem;

namespace gui {

// Notifications of a view's own control (a tree view's tree) carry this id.
constexpr int kOwnControlId = 0;

// Expansion actions reported with TVN_ITEMEXPANDING / TVN_ITEMEXPANDED.
constexpr UINT TVE_COLLAPSE = 0x0001;
constexpr UINT TVE_EXPAND = 0x0002;

struct NotifyInfo {
  int controlId = 0;
  int code = 0;
  QTreeWidgetItem* item = nullptr;     // new selection, expanding entry, entry under the mouse
  QTreeWidgetItem* oldItem = nullptr;  // TVN_SELCHANGED: the previous selection
  UINT action = 0;                     // TVE_EXPAND or TVE_COLLAPSE
  int row = -1;                        // list views: the row concerned
  QPoint point;                        // NM_RCLICK / NM_CLICK: position in the control
  LRESULT result = 0;                  // set by the handler where the code asks for one
};

}  // namespace gui
