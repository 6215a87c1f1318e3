#pragma once

// The widget of a modal dialog: Escape and the close box become IDCANCEL
// and Enter becomes IDOK (or the default button), delivered to the Dialog as
// commands so that its OnOK / OnCancel decide whether it ends.

#include <QDialog>

namespace gui {

class Dialog;

class DialogWidget : public QDialog {
 public:
  DialogWidget(Dialog& dialog, QWidget* parent);

  void reject() override;
  void accept() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  Dialog& dialog_;
};

}  // namespace gui
