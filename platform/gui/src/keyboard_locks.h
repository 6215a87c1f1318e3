#pragma once

// The keyboard's Caps Lock, Num Lock and Scroll Lock states for the status
// bar's indicators. Qt offers no query for them, so they are read from the
// native modifier state of key events where the windowing system reports it
// (X11: Lock and Mod2), and Scroll Lock is toggled by its key.

#include <QObject>

namespace gui {

class KeyboardLocks : public QObject {
 public:
  static KeyboardLocks& instance();

  bool capsLock() const { return capsLock_; }
  bool numLock() const { return numLock_; }
  bool scrollLock() const { return scrollLock_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  KeyboardLocks();

  bool capsLock_ = false;
  bool numLock_ = false;
  bool scrollLock_ = false;
};

}  // namespace gui
