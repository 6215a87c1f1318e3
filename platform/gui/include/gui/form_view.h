#pragma once

// A view that shows a dialog template: its controls sit at the template's
// positions in a form that grows with the pane but never below the
// template's size (a smaller pane scrolls). Controls are addressed by id and
// exchange data like a dialog's.

#include "gui/data_exchange.h"
#include "gui/view.h"

namespace gui {

class FormView : public View {
 public:
  explicit FormView(UINT templateId);

  UINT templateId() const { return templateId_; }
  // The template's size in pixels.
  QSize templateSize() const { return templateSize_; }
  bool UpdateData(bool saveAndValidate = true);

 protected:
  virtual void DoDataExchange(DataExchange& exchange);
  // Default: UpdateData(false).
  void OnInitialUpdate() override;
  QWidget* createWidget(QWidget* parent) override;
  void onCreated() override;
  QRect GetClientRect() const override;

 private:
  UINT templateId_;
  QSize templateSize_;
  QWidget* form_ = nullptr;
};

}  // namespace gui
