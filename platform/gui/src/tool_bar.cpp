#include "gui/tool_bar.h"

#include <QAction>
#include <QMainWindow>

#include "element_cmd_ui.h"
#include "gui/frame_window.h"
#include "gui/ids.h"
#include "gui/resources.h"
#include "tool_bar_widget.h"

namespace gui {
namespace {

constexpr const char* kButtonIdProperty = "gui.commandId";

UINT buttonId(const QAction* button) { return button->property(kButtonIdProperty).toUInt(); }

}  // namespace

bool ToolBar::Create(FrameWindow* frame, UINT resourceId) {
  if (frame == nullptr || frame->mainWindow() == nullptr || IsWindow()) return false;
  if (Resources::instance().toolBar(resourceId) == nullptr) return false;
  auto* bar = new ToolBarWidget(frame->mainWindow());
  bar->setObjectName(QStringLiteral("ToolBar%1").arg(resourceId));
  bar->setMovable(true);    // the gripper
  bar->setFloatable(true);
  bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  frame->mainWindow()->addToolBar(Qt::TopToolBarArea, bar);
  attachToFrame(bar, frame);
  return loadButtons(resourceId);
}

bool ToolBar::loadButtons(UINT resourceId) {
  const ToolBarResource* resource = Resources::instance().toolBar(resourceId);
  QToolBar* bar = toolBar();
  if (resource == nullptr || bar == nullptr) return false;
  const QPixmap strip = LoadBitmap(resource->bitmapId);
  bar->setIconSize(resource->imageSize);
  int image = 0;
  for (UINT id : resource->buttons) {
    if (id == ID_SEPARATOR) {
      bar->addSeparator();
      continue;
    }
    const QString prompt = LoadString(id);
    auto* action = new QAction(bar);
    action->setProperty(kButtonIdProperty, id);
    action->setIcon(QIcon(strip.copy(image * resource->imageSize.width(), 0, resource->imageSize.width(),
                                     resource->imageSize.height())));
    action->setText(StringPart(prompt, 1));
    action->setToolTip(StringPart(prompt, 1));
    action->setStatusTip(StringPart(prompt, 0));
    FrameWindow* owner = frame();
    QObject::connect(action, &QAction::triggered, eventContext(), [owner, id] {
      if (owner != nullptr) owner->SendMessage(WM_COMMAND, MakeCommandParam(id), 0);
    });
    bar->addAction(action);
    ++image;
  }
  return !strip.isNull();
}

QToolBar* ToolBar::toolBar() const { return static_cast<QToolBar*>(widget()); }

QList<QAction*> ToolBar::buttonActions() const {
  auto* bar = static_cast<ToolBarWidget*>(widget());
  return bar == nullptr ? QList<QAction*>() : bar->buttonActions();
}

int ToolBar::GetCount() const { return static_cast<int>(buttonActions().size()); }

UINT ToolBar::GetItemID(int index) const {
  const QList<QAction*> buttons = buttonActions();
  if (index < 0 || index >= buttons.size()) return ID_SEPARATOR;
  return buttonId(buttons[index]);
}

int ToolBar::CommandToIndex(UINT id) const {
  if (id == ID_SEPARATOR) return -1;
  const QList<QAction*> buttons = buttonActions();
  for (int i = 0; i < buttons.size(); ++i) {
    if (buttonId(buttons[i]) == id) return i;
  }
  return -1;
}

QAction* ToolBar::buttonAction(UINT id) const {
  const int index = CommandToIndex(id);
  return index < 0 ? nullptr : buttonActions()[index];
}

void ToolBar::OnUpdateCmdUI(CommandTarget& target, bool disableIfNoHandler) {
  const QList<QAction*> buttons = buttonActions();
  for (int i = 0; i < buttons.size(); ++i) {
    const UINT id = buttonId(buttons[i]);
    if (id == ID_SEPARATOR) continue;
    ActionCmdUI ui(id, i, buttons[i]);
    runCommandUpdate(ui, target, disableIfNoHandler);
  }
}

}  // namespace gui
