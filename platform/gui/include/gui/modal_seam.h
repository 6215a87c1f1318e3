#pragma once

// The one place where the program waits for the user: every modal dialog,
// message box and context pop-up menu runs through the installed seam. In the
// program it runs the modal loop; a test installs a script instead that
// answers each interaction with the real widgets and never blocks.

#include <QPoint>
#include <QString>

#include "gui/types.h"

class QMenu;

namespace gui {

class Dialog;
class Window;

struct MessageBoxRequest {
  QString text;
  QString caption;
  UINT type = 0;  // MB_ buttons | MB_ICON | MB_DEFBUTTON
  Window* owner = nullptr;

  UINT buttons() const { return type & MB_TYPEMASK; }
  UINT icon() const { return type & MB_ICONMASK; }
  // The answer that Escape or closing the box gives: IDCANCEL where there is
  // a Cancel button, IDOK for a box with OK alone, IDNO for Yes/No.
  int escapeAnswer() const;
};

struct PopupMenuRequest {
  QMenu* menu = nullptr;
  QPoint screenPosition;
  Window* target = nullptr;
};

class ModalSeam {
 public:
  virtual ~ModalSeam() = default;

  // Runs an open, initialised dialog until it ends; returns its result.
  virtual int runDialog(Dialog& dialog) = 0;
  // Shows a message box and returns the button chosen (IDOK, IDYES, ...).
  virtual int runMessageBox(const MessageBoxRequest& request) = 0;
  // Shows a context menu; returns the chosen command id, 0 for none.
  virtual UINT runPopupMenu(const PopupMenuRequest& request) = 0;

  // The installed seam; the modal loop unless a test installed its own.
  static ModalSeam& current();
  // Installs a seam (not owned); nullptr brings back the modal loop.
  static void install(ModalSeam* seam);

  // How many modal interactions (dialogs, message boxes, pop-up menus) are
  // waiting for the user now, nested ones included. Timers and posted
  // messages still run meanwhile, inside the modal loop; work that must not
  // pull state from under an open interaction asks this first.
  // User-interface thread only.
  static int runningCount();

  // Counts one interaction as running for as long as it lives.
  class Running {
   public:
    Running();
    ~Running();
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
  };
};

}  // namespace gui
