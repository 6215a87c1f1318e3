#include "gui/tree_view.h"

#include "control_notifications.h"
#include "tree_widget.h"

namespace gui {

QWidget* TreeView::createWidget(QWidget* parent) {
  auto* tree = new TreeWidget(parent);
  tree->setLineStyle(false, false, false);
  return tree;
}

void TreeView::onCreated() { connectTreeNotifications(static_cast<TreeWidget*>(widget()), kOwnControlId, *this); }

void TreeView::ModifyStyle(UINT remove, UINT add) {
  style_ = (style_ & ~remove) | add;
  if (auto* tree = dynamic_cast<TreeWidget*>(widget())) {
    tree->setLineStyle(style_ & TVS_HASLINES, style_ & TVS_HASBUTTONS, style_ & TVS_LINESATROOT);
  }
}

}  // namespace gui
