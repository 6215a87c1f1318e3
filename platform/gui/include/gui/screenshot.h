#pragma once

// Pictures of the program's windows for documentation and review: the main
// window with every visible dialog and message box painted on top where it
// stands, each with a plain caption bar (a virtual X server has no window
// manager to draw one).

#include <QImage>
#include <QString>

class QWidget;

namespace gui {

QImage grabWindows(QWidget* mainWindow);
// Saves grabWindows() of the main window as PNG; false on failure.
bool saveScreenshot(QWidget* mainWindow, const QString& fileName);

}  // namespace gui
