#pragma once

// The result pane (form view on template 2002): the function name, the
// short form of the return code with its long description as the tool tip
// of the button beside it, and the result lines in a list in a fixed-width
// font. The fields and the list fill a pane larger than the template (they
// keep its margins) and never shrink below their template size.

#include <QFont>
#include <QRect>
#include <QString>

#include "gui/form_view.h"
#include "result/function_result.h"

class CFunctionResultView : public gui::FormView {
 public:
  CFunctionResultView();

  // Shows the record, then empties it (no function name, no return code,
  // no lines). User-interface thread only.
  void ShowResult(FunctionResult& result);

  // The tool tip of the return-code button; empty when there is none.
  const QString& detailText() const { return detailText_; }

  void OnInitialUpdate() override;

 protected:
  void OnSize(int cx, int cy) override;
  bool OnToolTipText(int controlId, QString& text) override;

 private:
  QString detailText_;
  QFont listFont_;
  // The controls' places at the initial update, in view coordinates.
  bool rectanglesRecorded_ = false;
  QRect nameRect_;
  QRect returnCodeRect_;
  QRect buttonRect_;
  QRect listRect_;
};
