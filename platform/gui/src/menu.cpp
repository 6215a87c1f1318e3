#include "gui/menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "gui/modal_seam.h"
#include "gui/resources.h"
#include "gui/window.h"

namespace gui {
namespace {

constexpr const char* kCommandIdProperty = "gui.commandId";

QList<QAction*> actionsOf(const QWidget* widget) {
  return widget == nullptr ? QList<QAction*>() : widget->actions();
}

QAction* findByCommand(const QWidget* widget, UINT id) {
  for (QAction* action : actionsOf(widget)) {
    if (action->menu() != nullptr) {
      if (QAction* inner = findByCommand(action->menu(), id)) return inner;
    } else if (!action->isSeparator() && Menu::commandIdOf(action) == id) {
      return action;
    }
  }
  return nullptr;
}

QWidget* containerOf(QWidget* root, const QAction* action) {
  for (QAction* candidate : actionsOf(root)) {
    if (candidate == action) return root;
    if (candidate->menu() != nullptr) {
      if (QWidget* inner = containerOf(candidate->menu(), action)) return inner;
    }
  }
  return nullptr;
}

UINT stateOf(const QAction* action) {
  UINT state = 0;
  if (!action->isEnabled()) state |= MF_GRAYED;
  if (action->isChecked()) state |= MF_CHECKED;
  if (action->menu() != nullptr) state |= MF_POPUP;
  if (action->isSeparator()) state |= MF_SEPARATOR;
  return state;
}

void addSubMenu(QWidget* parent, QMenu* subMenu) {
  if (auto* bar = qobject_cast<QMenuBar*>(parent)) {
    bar->addMenu(subMenu);
  } else if (auto* menu = qobject_cast<QMenu*>(parent)) {
    menu->addMenu(subMenu);
  }
}

}  // namespace

Menu::Menu(QWidget* menuOrMenuBar) : widget_(menuOrMenuBar) {}

bool Menu::LoadMenu(UINT resourceId) {
  const MenuResource* resource = Resources::instance().menu(resourceId);
  if (resource == nullptr) return false;
  auto menu = std::shared_ptr<QMenu>(new QMenu(), [](QMenu* m) { delete m; });
  build(menu.get(), resource->items);
  owned_ = std::move(menu);
  widget_ = owned_.get();
  return true;
}

void Menu::DestroyMenu() {
  owned_.reset();
  widget_.clear();
}

int Menu::GetMenuItemCount() const { return static_cast<int>(actionsOf(widget_).size()); }

UINT Menu::GetMenuItemID(int position) const {
  const QList<QAction*> actions = actionsOf(widget_);
  if (position < 0 || position >= actions.size()) return kMenuNotFound;
  const QAction* action = actions[position];
  if (action->menu() != nullptr) return kMenuNotFound;
  if (action->isSeparator()) return 0;
  return commandIdOf(action);
}

Menu Menu::GetSubMenu(int position) const {
  const QList<QAction*> actions = actionsOf(widget_);
  if (position < 0 || position >= actions.size() || actions[position]->menu() == nullptr) return Menu();
  Menu sub(actions[position]->menu());
  sub.owned_ = owned_;  // a sub-menu keeps a loaded menu alive
  return sub;
}

QAction* Menu::action(UINT item, UINT flags) const {
  if (widget_.isNull()) return nullptr;
  if (flags & MF_BYPOSITION) {
    const QList<QAction*> actions = actionsOf(widget_);
    const int position = static_cast<int>(item);
    return position >= 0 && position < actions.size() ? actions[position] : nullptr;
  }
  return findByCommand(widget_, item);
}

QString Menu::GetMenuString(UINT item, UINT flags) const {
  const QAction* entry = action(item, flags);
  return entry == nullptr ? QString() : entry->text();
}

UINT Menu::GetMenuState(UINT item, UINT flags) const {
  const QAction* entry = action(item, flags);
  return entry == nullptr ? kMenuNotFound : stateOf(entry);
}

UINT Menu::EnableMenuItem(UINT item, UINT flags) {
  QAction* entry = action(item, flags);
  if (entry == nullptr) return kMenuNotFound;
  const UINT previous = stateOf(entry) & (MF_GRAYED | MF_DISABLED);
  entry->setEnabled((flags & (MF_GRAYED | MF_DISABLED)) == 0);
  return previous;
}

UINT Menu::CheckMenuItem(UINT item, UINT flags) {
  QAction* entry = action(item, flags);
  if (entry == nullptr) return kMenuNotFound;
  const UINT previous = stateOf(entry) & MF_CHECKED;
  entry->setCheckable(true);
  entry->setChecked((flags & MF_CHECKED) != 0);
  return previous;
}

bool Menu::RemoveMenu(UINT item, UINT flags) {
  QAction* entry = action(item, flags);
  if (entry == nullptr) return false;
  QWidget* container = containerOf(widget_, entry);
  if (container == nullptr) return false;
  container->removeAction(entry);
  if (entry->parent() == container) delete entry;
  return true;
}

UINT Menu::TrackPopupMenu(UINT flags, int x, int y, Window* target) {
  auto* menu = qobject_cast<QMenu*>(widget_.data());
  if (menu == nullptr) return 0;
  PopupMenuRequest request{menu, QPoint(x, y), target};
  UINT chosen = 0;
  {
    const ModalSeam::Running interaction;
    chosen = ModalSeam::current().runPopupMenu(request);
  }
  if (chosen == 0 || (flags & TPM_RETURNCMD)) return chosen;
  if (target != nullptr) target->SendMessage(WM_COMMAND, MakeCommandParam(chosen), 0);
  return 1;
}

void Menu::build(QWidget* menuOrMenuBar, const std::vector<MenuItem>& items) {
  for (const MenuItem& item : items) {
    switch (item.kind) {
      case MenuItem::Kind::Separator: {
        auto* separator = new QAction(menuOrMenuBar);
        separator->setSeparator(true);
        menuOrMenuBar->addAction(separator);
        break;
      }
      case MenuItem::Kind::Popup: {
        auto* subMenu = new QMenu(item.text, menuOrMenuBar);
        build(subMenu, item.items);
        addSubMenu(menuOrMenuBar, subMenu);
        subMenu->menuAction()->setEnabled(!item.grayed);
        break;
      }
      case MenuItem::Kind::Command: {
        auto* action = new QAction(item.text, menuOrMenuBar);
        action->setProperty(kCommandIdProperty, item.id);
        action->setEnabled(!item.grayed);
        if (item.checked) {
          action->setCheckable(true);
          action->setChecked(true);
        }
        action->setStatusTip(StringPart(LoadString(item.id), 0));
        menuOrMenuBar->addAction(action);
        break;
      }
    }
  }
}

UINT Menu::commandIdOf(const QAction* action) {
  return action == nullptr ? 0 : action->property(kCommandIdProperty).toUInt();
}

}  // namespace gui
