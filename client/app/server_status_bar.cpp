#include "app/server_status_bar.h"

#include <QPainter>

#include "gui/resources.h"
#include "opc/types.h"
#include "resources/resource_ids.h"

namespace {

using namespace quillon;

// The space between the lamp and the pane's right edge.
constexpr int kLampMargin = 4;

}  // namespace

CServerStatusBar::StateLook CServerStatusBar::LookOf(int state) {
  switch (state) {
    case OPC_STATUS_RUNNING: return {"OPC_STATUS_RUNNING", IDB_LAMP_RUNNING};
    case OPC_STATUS_FAILED: return {"OPC_STATUS_FAILED", IDB_LAMP_FAILED};
    case OPC_STATUS_NOCONFIG: return {"OPC_STATUS_NOCONFIG", IDB_LAMP_ATTENTION};
    case OPC_STATUS_SUSPENDED: return {"OPC_STATUS_SUSPENDED", IDB_LAMP_ATTENTION};
    case OPC_STATUS_TEST: return {"OPC_STATUS_TEST", IDB_LAMP_ATTENTION};
    default: return {"Not Connected", IDB_LAMP_OFF};
  }
}

CServerStatusBar::CServerStatusBar()
    : mask_(gui::LoadBitmap(IDB_LAMP_MASK)),
      lampOff_(gui::LoadBitmap(IDB_LAMP_OFF)),
      lampRunning_(gui::LoadBitmap(IDB_LAMP_RUNNING)),
      lampFailed_(gui::LoadBitmap(IDB_LAMP_FAILED)),
      lampAttention_(gui::LoadBitmap(IDB_LAMP_ATTENTION)) {}

void CServerStatusBar::SetServerState(int state) {
  if (state == serverState_) return;
  serverState_ = state;
  InvalidatePane(statePane_);
}

void CServerStatusBar::SetNotConnected() { SetServerState(kNotConnected); }

void CServerStatusBar::DrawItem(QPainter& painter, const QRect& rect, int index) {
  if (index != statePane_) return;
  const StateLook look = LookOf(serverState_);
  // Text and lamp sit at the pane's top; a bar taller than the text leaves
  // its spare room below them.
  painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop, QString::fromLatin1(look.text));
  const QPixmap& lamp = look.bitmapId == IDB_LAMP_RUNNING   ? lampRunning_
                        : look.bitmapId == IDB_LAMP_FAILED  ? lampFailed_
                        : look.bitmapId == IDB_LAMP_ATTENTION ? lampAttention_
                                                             : lampOff_;
  // The lamp images carry their own transparency, which does what the mask
  // does on the desktop platform: the pane shows through around the lamp.
  const int x = rect.right() + 1 - mask_.width() - kLampMargin;
  painter.drawPixmap(x, rect.top(), lamp);
}
