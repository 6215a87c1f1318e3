#include <QApplication>
#include <QStringList>
#include <QTimer>
#include <cstdio>

#include "gui/application.h"
#include "gui/frame_window.h"
#include "gui/screenshot.h"

namespace gui {
namespace {

struct ScreenshotRequest {
  QString file;
  int delayMs = 1500;
};

ScreenshotRequest screenshotRequestOf(const QStringList& arguments) {
  ScreenshotRequest request;
  for (int i = 1; i + 1 < arguments.size(); ++i) {
    if (arguments[i] == QLatin1String("--screenshot")) request.file = arguments[i + 1];
    if (arguments[i] == QLatin1String("--screenshot-delay")) request.delayMs = arguments[i + 1].toInt();
  }
  return request;
}

}  // namespace

int RunApplication(Application& app, int argc, char** argv) {
  QApplication qtApp(argc, argv);
  qtApp.setQuitOnLastWindowClosed(false);  // the main window's destruction ends the program
  applyDesktopLook(qtApp);

  bool screenshotTaken = false;
  int screenshotResult = 0;
  const ScreenshotRequest screenshot = screenshotRequestOf(QCoreApplication::arguments());
  if (!screenshot.file.isEmpty()) {
    // Armed before start-up: a program may open a modal dialog from
    // InitInstance, and the picture should show it.
    QTimer::singleShot(screenshot.delayMs, &qtApp, [&] {
      FrameWindow* frame = app.mainWindow();
      const bool saved = frame != nullptr && saveScreenshot(frame->widget(), screenshot.file);
      if (!saved) std::fprintf(stderr, "Cannot save the screenshot to %s\n", qPrintable(screenshot.file));
      screenshotResult = saved ? 0 : 1;
      screenshotTaken = true;
      QCoreApplication::exit(screenshotResult);  // leaves every running loop, modal ones too
    });
  }

  if (!app.InitInstance()) {
    app.destroyMainWindow();
    return 1;
  }
  int result = screenshotResult;
  if (!screenshotTaken && app.mainWindow() != nullptr) {
    app.running_ = true;
    result = QApplication::exec();
    app.running_ = false;
  }
  if (screenshotTaken) result = screenshotResult;
  const int exitCode = app.ExitInstance();
  app.destroyMainWindow();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return result != 0 ? result : exitCode;
}

}  // namespace gui
