#include "gui/testing/pump.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

#include "gui/window.h"

namespace gui::testing {

void pumpEvents() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  deliverPostedMessages();
}

bool pumpUntil(const std::function<bool()>& done, int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  for (;;) {
    pumpEvents();
    if (done()) return true;
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
  }
}

}  // namespace gui::testing
