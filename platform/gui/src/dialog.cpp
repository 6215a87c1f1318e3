#include "gui/dialog.h"

#include <QApplication>
#include <QDialog>

#include "dialog_widget.h"
#include "gui/application.h"
#include "gui/frame_window.h"
#include "gui/modal_seam.h"
#include "gui/modal_stack.h"
#include "gui/resources.h"
#include "template_builder.h"

namespace gui {

Dialog::Dialog(UINT templateId, Window* owner) : templateId_(templateId), owner_(owner) {}

Dialog::~Dialog() { DestroyWindow(); }

QDialog* Dialog::dialogWidget() const { return static_cast<QDialog*>(widget()); }

bool Dialog::create() {
  const DialogTemplate* dialog = Resources::instance().dialog(templateId_);
  if (dialog == nullptr) return false;
  Window* owner = owner_ != nullptr ? owner_ : GetActiveWindow();
  QWidget* ownerWidget = owner != nullptr && owner->widget() != nullptr ? owner->widget()->window() : nullptr;
  auto* widget = new DialogWidget(*this, ownerWidget);
  widget->setModal(true);
  attachWidget(widget, nullptr);
  widget->setWindowTitle(dialog->caption);
  widget->setFixedSize(buildFromTemplate(*dialog, widget, *this));
  return true;
}

INT_PTR Dialog::DoModal() {
  if (IsWindow() || !create()) return -1;
  ended_ = false;
  result_ = IDCANCEL;
  running_ = true;
  const ModalSeam::Running interaction;
  ModalStack::instance().push(this);

  OnInitDialog();
  if (!ended_) ModalSeam::current().runDialog(*this);
  if (!ended_) EndDialog(IDCANCEL);  // a seam that gave up leaves nothing open

  ModalStack::instance().remove(this);
  running_ = false;
  DestroyWindow();
  return result_;
}

void Dialog::EndDialog(int result) {
  if (ended_) return;
  ended_ = true;
  result_ = result;
  if (QDialog* dialog = dialogWidget()) dialog->done(result);
}

bool Dialog::UpdateData(bool saveAndValidate) {
  DataExchange exchange(*this, saveAndValidate);
  DoDataExchange(exchange);
  return !exchange.failed();
}

bool Dialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void Dialog::OnOK() {
  if (UpdateData(true)) EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

void Dialog::DoDataExchange(DataExchange&) {}

bool Dialog::OnCmdMsg(UINT id, int code, CmdUI* ui) {
  if (Window::OnCmdMsg(id, code, ui)) return true;
  if (code != CN_COMMAND) return false;
  if (id == IDOK) {
    OnOK();
    return true;
  }
  if (id == IDCANCEL) {
    OnCancel();
    return true;
  }
  return false;
}

LRESULT Dialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // The close box of a dialog means Cancel.
  if (message == WM_CLOSE) return Window::WindowProc(WM_COMMAND, MakeCommandParam(IDCANCEL), 0);
  return Window::WindowProc(message, wParam, lParam);
}

}  // namespace gui
