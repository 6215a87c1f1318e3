#include "gui/testing/frame_helpers.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolTip>
#include <QTreeWidget>

#include "gui/status_bar.h"
#include "gui/tool_bar.h"

namespace gui::testing {
namespace {

QString plain(QString text) {
  text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  text.remove(QLatin1Char('&'));
  text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
  return text.section(QLatin1Char('\t'), 0, 0);
}

bool nameMatches(const QAction* action, const QString& name) {
  return action->text() == name || plain(action->text()) == name || plain(name) == plain(action->text());
}

// The chain of menus from the menu bar down to the entry that matches.
using Chain = std::vector<QAction*>;

bool findPath(QWidget* menu, const std::function<bool(const QAction*)>& match, Chain& chain) {
  for (QAction* action : menu->actions()) {
    chain.push_back(action);
    if (action->menu() == nullptr && !action->isSeparator() && match(action)) return true;
    if (action->menu() != nullptr && findPath(action->menu(), match, chain)) return true;
    chain.pop_back();
  }
  return false;
}

// Opens each menu on the way as a user would; false when a pop-up on the
// way is greyed (the user cannot open it).
bool openPath(FrameWindow& frame, const Chain& chain) {
  for (std::size_t i = 0; i + 1 < chain.size(); ++i) {
    QMenu* popup = chain[i]->menu();
    if (!chain[i]->isEnabled()) return false;
    frame.UpdateMenu(popup);
  }
  return true;
}

bool triggerMatching(FrameWindow& frame, const std::function<bool(const QAction*)>& match) {
  Chain chain;
  if (findPath(frame.mainWindow()->menuBar(), match, chain)) {
    if (!openPath(frame, chain) || !chain.back()->isEnabled()) return false;
    chain.back()->trigger();
    return true;
  }
  frame.UpdateControlBars();
  for (QToolBar* bar : frame.mainWindow()->findChildren<QToolBar*>()) {
    for (QAction* action : bar->actions()) {
      if (action->isSeparator() || !match(action)) continue;
      if (!action->isEnabled() || !bar->isVisible()) return false;
      action->trigger();
      return true;
    }
  }
  return false;
}

}  // namespace

bool triggerAction(FrameWindow& frame, UINT commandId) {
  return triggerMatching(frame, [commandId](const QAction* action) { return Menu::commandIdOf(action) == commandId; });
}

bool triggerAction(FrameWindow& frame, const QString& name) {
  return triggerMatching(frame, [&name](const QAction* action) { return nameMatches(action, name); });
}

CommandState menuCommandState(FrameWindow& frame, UINT commandId) {
  CommandState state;
  Chain chain;
  if (!findPath(frame.mainWindow()->menuBar(),
                [commandId](const QAction* action) { return Menu::commandIdOf(action) == commandId; }, chain)) {
    return state;
  }
  state.found = true;
  state.enabled = openPath(frame, chain) && chain.back()->isEnabled();
  state.checked = chain.back()->isChecked();
  return state;
}

CommandState toolBarButtonState(FrameWindow& frame, UINT commandId) {
  CommandState state;
  frame.UpdateControlBars();
  ToolBar* bar = frame.GetToolBar();
  QAction* action = bar == nullptr ? nullptr : bar->buttonAction(commandId);
  if (action == nullptr) return state;
  state.found = true;
  state.enabled = action->isEnabled();
  state.checked = action->isChecked();
  return state;
}

CommandState popupEntryState(FrameWindow& frame, const QStringList& path) {
  QWidget* menu = frame.mainWindow()->menuBar();
  QAction* entry = nullptr;
  for (int step = 0; step < path.size(); ++step) {
    entry = nullptr;
    for (QAction* action : menu->actions()) {
      if (action->menu() != nullptr && nameMatches(action, path[step])) entry = action;
    }
    if (entry == nullptr) return {};
    if (step + 1 == path.size()) break;
    if (!entry->isEnabled()) return {true, false, false};
    frame.UpdateMenu(entry->menu());  // the user opens it
    menu = entry->menu();
  }
  return {entry != nullptr, entry != nullptr && entry->isEnabled(), false};
}

QString hoverCommand(FrameWindow& frame, UINT commandId) {
  Chain chain;
  QAction* action = nullptr;
  if (findPath(frame.mainWindow()->menuBar(),
               [commandId](const QAction* candidate) { return Menu::commandIdOf(candidate) == commandId; }, chain)) {
    action = chain.back();
  } else if (ToolBar* bar = frame.GetToolBar()) {
    action = bar->buttonAction(commandId);
  }
  if (action == nullptr) {
    ADD_FAILURE() << "No menu entry or tool bar button for command " << commandId;
    return {};
  }
  action->showStatusText(frame.mainWindow());
  return statusMessage(frame);
}

QString statusMessage(FrameWindow& frame) {
  StatusBar* bar = frame.GetStatusBar();
  return bar == nullptr ? QString() : bar->GetPaneText(0);
}

void rightClickTreeItem(QTreeWidget* tree, QTreeWidgetItem* item) {
  if (tree == nullptr || item == nullptr) {
    ADD_FAILURE() << "No tree entry to right-click";
    return;
  }
  tree->scrollToItem(item);
  const QPoint point = tree->visualItemRect(item).center();
  QContextMenuEvent event(QContextMenuEvent::Mouse, point, tree->viewport()->mapToGlobal(point));
  QCoreApplication::sendEvent(tree->viewport(), &event);
}

QString controlToolTip(Window& window, int controlId) {
  QWidget* control = window.GetDlgItem(controlId);
  if (control == nullptr) {
    ADD_FAILURE() << "No control " << controlId;
    return {};
  }
  control->setProperty(kToolTipShownProperty, QVariant());
  QHelpEvent event(QEvent::ToolTip, control->rect().center(), control->mapToGlobal(control->rect().center()));
  QCoreApplication::sendEvent(control, &event);
  const QVariant shown = control->property(kToolTipShownProperty);
  QToolTip::hideText();
  // A control whose window does not ask for tool tips shows its own, if any.
  return shown.isValid() ? shown.toString() : control->toolTip();
}

}  // namespace gui::testing
