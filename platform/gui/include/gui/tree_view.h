#pragma once

// A view that is a tree control. Its tree's notifications come to the view
// itself with control id kOwnControlId (mapNotify(kOwnControlId, NM_RCLICK, ...)).

#include "gui/tree_ctrl.h"
#include "gui/view.h"

namespace gui {

// Tree styles for ModifyStyle.
constexpr UINT TVS_HASBUTTONS = 0x0001;
constexpr UINT TVS_HASLINES = 0x0002;
constexpr UINT TVS_LINESATROOT = 0x0004;
constexpr UINT TVS_SHOWSELALWAYS = 0x0020;

class TreeView : public View {
 public:
  TreeCtrl GetTreeCtrl() const { return TreeCtrl(widget()); }
  // Removes, then adds tree styles (TVS_HASLINES, ...).
  void ModifyStyle(UINT remove, UINT add);
  UINT GetStyle() const { return style_; }

 protected:
  QWidget* createWidget(QWidget* parent) override;
  void onCreated() override;

 private:
  UINT style_ = 0;
};

}  // namespace gui
