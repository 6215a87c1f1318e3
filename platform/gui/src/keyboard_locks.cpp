#include "keyboard_locks.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace gui {
namespace {

// X11 modifier bits as delivered in a key event's native modifiers.
constexpr quint32 kX11LockMask = 1u << 1;
constexpr quint32 kX11Mod2Mask = 1u << 4;

}  // namespace

KeyboardLocks& KeyboardLocks::instance() {
  static KeyboardLocks* locks = new KeyboardLocks();  // lives with the application object
  return *locks;
}

KeyboardLocks::KeyboardLocks() : QObject(QCoreApplication::instance()) {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->installEventFilter(this);
}

bool KeyboardLocks::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
      // The state reported is the one before this key, so a lock key itself
      // is accounted for by its release.
      capsLock_ = (key->nativeModifiers() & kX11LockMask) != 0;
      numLock_ = (key->nativeModifiers() & kX11Mod2Mask) != 0;
    }
    if (event->type() == QEvent::KeyPress && key->key() == Qt::Key_ScrollLock && !key->isAutoRepeat()) {
      scrollLock_ = !scrollLock_;
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace gui
