#include "gui/status_bar.h"

#include <QFontMetrics>
#include <QMainWindow>
#include <QStatusBar>

#include "element_cmd_ui.h"
#include "gui/frame_window.h"
#include "gui/ids.h"
#include "gui/resources.h"
#include "status_pane.h"

namespace gui {

StatusBar::StatusBar() = default;
StatusBar::~StatusBar() = default;

bool StatusBar::Create(FrameWindow* frame) {
  if (frame == nullptr || frame->mainWindow() == nullptr || IsWindow()) return false;
  auto* bar = new QStatusBar(frame->mainWindow());
  frame->mainWindow()->setStatusBar(bar);
  attachToFrame(bar, frame);
  return true;
}

QStatusBar* StatusBar::statusBar() const { return static_cast<QStatusBar*>(widget()); }

bool StatusBar::SetIndicators(const std::vector<UINT>& ids) {
  QStatusBar* bar = statusBar();
  if (bar == nullptr) return false;
  for (Pane& pane : panes_) {
    if (pane.widget == nullptr) continue;
    bar->removeWidget(pane.widget);
    delete pane.widget;
  }
  panes_.clear();
  const QFontMetrics metrics(bar->font());
  bool ok = true;
  for (UINT id : ids) {
    const int index = static_cast<int>(panes_.size());
    if (id == ID_SEPARATOR && index == 0) {
      // The message pane is the bar's own message area.
      panes_.push_back({id, SBPS_NOBORDERS | SBPS_STRETCH, 0, {}, nullptr});
      continue;
    }
    QString text;
    if (id != ID_SEPARATOR && !Resources::instance().string(id, text)) ok = false;
    auto* widget = new StatusPane(*this, index, bar);
    const int width = metrics.horizontalAdvance(text);
    panes_.push_back({id, SBPS_NORMAL, width, text, widget});
    widget->setTextWidth(width);
    bar->addPermanentWidget(widget);
  }
  if (!panes_.empty() && panes_[0].widget == nullptr) SetPaneText(0, LoadString(IDS_IDLE_MESSAGE));
  return ok;
}

UINT StatusBar::GetItemID(int index) const {
  return index >= 0 && index < GetCount() ? panes_[static_cast<std::size_t>(index)].id : 0;
}

int StatusBar::CommandToIndex(UINT id) const {
  for (int i = 0; i < GetCount(); ++i) {
    if (panes_[static_cast<std::size_t>(i)].id == id) return i;
  }
  return -1;
}

void StatusBar::GetPaneInfo(int index, UINT& id, UINT& style, int& width) const {
  if (index < 0 || index >= GetCount()) return;
  const Pane& pane = panes_[static_cast<std::size_t>(index)];
  id = pane.id;
  style = pane.style;
  width = pane.width;
}

void StatusBar::SetPaneInfo(int index, UINT id, UINT style, int width) {
  if (index < 0 || index >= GetCount()) return;
  Pane& pane = panes_[static_cast<std::size_t>(index)];
  pane.id = id;
  pane.style = style;
  pane.width = width;
  if (pane.widget != nullptr) {
    pane.widget->setTextWidth(width);
    pane.widget->update();
  }
}

UINT StatusBar::GetPaneStyle(int index) const {
  return index >= 0 && index < GetCount() ? panes_[static_cast<std::size_t>(index)].style : 0;
}

void StatusBar::SetPaneStyle(int index, UINT style) {
  if (index < 0 || index >= GetCount()) return;
  Pane& pane = panes_[static_cast<std::size_t>(index)];
  if (pane.style == style) return;
  pane.style = style;
  if (pane.widget != nullptr) pane.widget->update();
}

bool StatusBar::SetPaneText(int index, const QString& text) {
  if (index < 0 || index >= GetCount()) return false;
  Pane& pane = panes_[static_cast<std::size_t>(index)];
  if (pane.widget == nullptr) {
    pane.text = text;
    statusBar()->showMessage(text);
    return true;
  }
  if (pane.text == text) return true;
  pane.text = text;
  pane.widget->update();
  return true;
}

QString StatusBar::GetPaneText(int index) const {
  if (index < 0 || index >= GetCount()) return {};
  const Pane& pane = panes_[static_cast<std::size_t>(index)];
  return pane.widget == nullptr ? statusBar()->currentMessage() : pane.text;
}

QRect StatusBar::GetItemRect(int index) const {
  if (index < 0 || index >= GetCount()) return {};
  const Pane& pane = panes_[static_cast<std::size_t>(index)];
  if (pane.widget == nullptr) return {};
  return pane.widget->textRect().translated(pane.widget->pos());
}

void StatusBar::InvalidatePane(int index) {
  if (index < 0 || index >= GetCount()) return;
  if (StatusPane* widget = panes_[static_cast<std::size_t>(index)].widget) widget->update();
}

void StatusBar::OnUpdateCmdUI(CommandTarget& target, bool disableIfNoHandler) {
  for (int i = 0; i < GetCount(); ++i) {
    const UINT id = panes_[static_cast<std::size_t>(i)].id;
    if (id == ID_SEPARATOR) continue;
    StatusCmdUI ui(id, i, *this);
    runCommandUpdate(ui, target, disableIfNoHandler);
  }
}

void StatusBar::DrawItem(QPainter&, const QRect&, int) {}

}  // namespace gui
