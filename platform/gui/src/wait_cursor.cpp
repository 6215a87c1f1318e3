#include "gui/wait_cursor.h"

#include <QApplication>
#include <QCursor>

namespace gui {
namespace {

int active = 0;  // user-interface thread only

}  // namespace

WaitCursor::WaitCursor() {
  ++active;
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor() {
  --active;
  QApplication::restoreOverrideCursor();
}

void WaitCursor::Restore() { QApplication::changeOverrideCursor(Qt::WaitCursor); }

int WaitCursor::activeCount() { return active; }

}  // namespace gui
