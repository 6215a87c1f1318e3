#include "control_notifications.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>

#include "gui/window.h"
#include "ip_address_edit.h"
#include "tree_widget.h"

namespace gui {
namespace {

void sendCommand(Window& owner, int id, int code, QWidget* control) {
  owner.SendMessage(WM_COMMAND, MakeCommandParam(static_cast<UINT>(id), static_cast<UINT>(code)),
                    reinterpret_cast<LPARAM>(control));
}

}  // namespace

void connectControlNotifications(QWidget* control, ControlKind kind, int id, Window& owner) {
  QObject* context = owner.eventContext();
  Window* window = &owner;
  switch (kind) {
    case ControlKind::PushButton:
    case ControlKind::BitmapButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
      QObject::connect(static_cast<QAbstractButton*>(control), &QAbstractButton::clicked, context,
                       [window, id, control] { sendCommand(*window, id, BN_CLICKED, control); });
      break;
    case ControlKind::Edit:
      if (auto* line = qobject_cast<QLineEdit*>(control)) {
        QObject::connect(line, &QLineEdit::textChanged, context,
                         [window, id, control] { sendCommand(*window, id, EN_CHANGE, control); });
      } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
        QObject::connect(plain, &QPlainTextEdit::textChanged, context,
                         [window, id, control] { sendCommand(*window, id, EN_CHANGE, control); });
      }
      break;
    case ControlKind::IpAddress:
      static_cast<IpAddressEdit*>(control)->setChangeHandler(
          [window, id, control, guard = QPointer<QObject>(context)] {
            if (guard) sendCommand(*window, id, EN_CHANGE, control);
          });
      break;
    case ControlKind::ListBox: {
      auto* list = static_cast<QListWidget*>(control);
      QObject::connect(list, &QListWidget::currentRowChanged, context,
                       [window, id, control] { sendCommand(*window, id, LBN_SELCHANGE, control); });
      QObject::connect(list, &QListWidget::itemDoubleClicked, context,
                       [window, id, control] { sendCommand(*window, id, LBN_DBLCLK, control); });
      break;
    }
    case ControlKind::ComboBox: {
      auto* combo = static_cast<QComboBox*>(control);
      QObject::connect(combo, &QComboBox::currentIndexChanged, context,
                       [window, id, control] { sendCommand(*window, id, CBN_SELCHANGE, control); });
      if (QLineEdit* line = combo->lineEdit()) {
        QObject::connect(line, &QLineEdit::textEdited, context,
                         [window, id, control] { sendCommand(*window, id, CBN_EDITCHANGE, control); });
      }
      break;
    }
    case ControlKind::TreeView:
      connectTreeNotifications(static_cast<TreeWidget*>(control), id, owner);
      break;
    case ControlKind::ListView:
      connectListViewNotifications(static_cast<TreeWidget*>(control), id, owner);
      break;
    default:
      break;
  }
}

void connectTreeNotifications(TreeWidget* tree, int id, Window& owner) {
  QObject* context = owner.eventContext();
  Window* window = &owner;
  auto send = [window, id](int code, QTreeWidgetItem* item, QTreeWidgetItem* oldItem, UINT action, QPoint point) {
    NotifyInfo info;
    info.controlId = id;
    info.code = code;
    info.item = item;
    info.oldItem = oldItem;
    info.action = action;
    info.point = point;
    window->notify(info);
  };
  tree->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(tree, &QTreeWidget::currentItemChanged, context,
                   [send](QTreeWidgetItem* current, QTreeWidgetItem* previous) {
                     send(TVN_SELCHANGED, current, previous, 0, {});
                   });
  QObject::connect(tree, &QTreeWidget::itemExpanded, context, [send](QTreeWidgetItem* item) {
    send(TVN_ITEMEXPANDING, item, nullptr, TVE_EXPAND, {});
    item->setData(0, kExpandedOnceRole, true);
    send(TVN_ITEMEXPANDED, item, nullptr, TVE_EXPAND, {});
  });
  QObject::connect(tree, &QTreeWidget::itemCollapsed, context, [send](QTreeWidgetItem* item) {
    send(TVN_ITEMEXPANDING, item, nullptr, TVE_COLLAPSE, {});
    send(TVN_ITEMEXPANDED, item, nullptr, TVE_COLLAPSE, {});
  });
  QObject::connect(tree, &QWidget::customContextMenuRequested, context, [send, tree](const QPoint& point) {
    send(NM_RCLICK, tree->itemAt(point), nullptr, 0, point);
  });
  QObject::connect(tree, &QTreeWidget::itemClicked, context, [send, tree](QTreeWidgetItem* item) {
    send(NM_CLICK, item, nullptr, 0, tree->visualItemRect(item).center());
  });
  QObject::connect(tree, &QTreeWidget::itemDoubleClicked, context, [send, tree](QTreeWidgetItem* item) {
    send(NM_DBLCLK, item, nullptr, 0, tree->visualItemRect(item).center());
  });
}

void connectListViewNotifications(TreeWidget* list, int id, Window& owner) {
  QObject* context = owner.eventContext();
  Window* window = &owner;
  auto send = [window, id, list](int code, QTreeWidgetItem* item) {
    NotifyInfo info;
    info.controlId = id;
    info.code = code;
    info.item = item;
    info.row = item == nullptr ? -1 : list->indexOfTopLevelItem(item);
    window->notify(info);
  };
  QObject::connect(list, &QTreeWidget::itemSelectionChanged, context, [send, list] {
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    send(LVN_ITEMCHANGED, selected.isEmpty() ? nullptr : selected.first());
  });
  QObject::connect(list, &QTreeWidget::itemDoubleClicked, context,
                   [send](QTreeWidgetItem* item) { send(NM_DBLCLK, item); });
  list->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(list, &QWidget::customContextMenuRequested, context, [window, id, list](const QPoint& point) {
    NotifyInfo info;
    info.controlId = id;
    info.code = NM_RCLICK;
    info.item = list->itemAt(point);
    info.row = info.item == nullptr ? -1 : list->indexOfTopLevelItem(info.item);
    info.point = point;
    window->notify(info);
  });
}

}  // namespace gui
