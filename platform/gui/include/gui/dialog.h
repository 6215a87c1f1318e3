#pragma once

// A modal dialog built from a dialog template:
//
//   CConnectDialog dialog(this);           // template 152
//   if (dialog.DoModal() != IDOK) return;
//
// DoModal builds the window with real controls, calls OnInitDialog (which
// fills the controls through DoDataExchange), runs the dialog through the
// modal seam, destroys the window and returns the result given to EndDialog.
// The object and its members outlive the window, so results are read after.
// OK runs OnOK (read and check the controls, then end with IDOK), Cancel,
// Escape and the close box run OnCancel (end with IDCANCEL).

#include "gui/data_exchange.h"
#include "gui/window.h"

class QDialog;

namespace gui {

class Dialog : public Window {
 public:
  explicit Dialog(UINT templateId, Window* owner = nullptr);
  ~Dialog() override;

  // The dialog's result, or -1 when its template does not exist.
  INT_PTR DoModal();
  // Ends the dialog with `result`; it closes once the current message is done.
  void EndDialog(int result);
  // Controls to members (saveAndValidate) or members to controls. Returns
  // false when a value failed its check; the user has then been told and the
  // field has the focus.
  bool UpdateData(bool saveAndValidate = true);

  UINT templateId() const { return templateId_; }
  Window* owner() const { return owner_; }
  // Between OnInitDialog and the end of DoModal.
  bool isRunning() const { return running_; }
  bool hasEnded() const { return ended_; }
  int result() const { return result_; }
  QDialog* dialogWidget() const;
  bool modalEnded() const override { return ended_; }

 protected:
  // Default: UpdateData(false). Return true to let the first control take the focus.
  virtual bool OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  virtual void DoDataExchange(DataExchange& exchange);

  bool OnCmdMsg(UINT id, int code, CmdUI* ui) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  bool create();

  UINT templateId_;
  Window* owner_;
  bool running_ = false;
  bool ended_ = false;
  int result_ = IDCANCEL;
};

}  // namespace gui
