#include "gui/application.h"

#include <QApplication>
#include <QFileInfo>
#include <QFont>
#include <QStyleFactory>
#include <QTimer>

#include "gui/frame_window.h"
#include "gui/modal_stack.h"
#include "gui/profile_store.h"

namespace gui {
namespace {

Application* theApplication = nullptr;

}  // namespace

Application::Application() : context_(std::make_unique<QObject>()) { theApplication = this; }

Application::~Application() {
  destroyMainWindow();
  retired_.reset();
  if (theApplication == this) theApplication = nullptr;
}

Application* Application::instance() { return theApplication; }

QString Application::appName() {
  const QString path = QCoreApplication::instance() != nullptr ? QCoreApplication::applicationFilePath() : QString();
  const QString name = QFileInfo(path).completeBaseName();
  return name.isEmpty() ? QCoreApplication::applicationName() : name;
}

void Application::setMainWindow(std::unique_ptr<FrameWindow> frame) {
  destroyMainWindow();
  mainWindow_ = std::move(frame);
}

void Application::destroyMainWindow() {
  retired_.reset();
  if (!mainWindow_) return;
  std::unique_ptr<FrameWindow> frame = std::move(mainWindow_);
  frame->DestroyWindow();
}

void Application::mainWindowDestroyed(FrameWindow* frame) {
  if (frame != mainWindow_.get()) return;
  // The frame is still on the call stack (its close handler destroyed it), so
  // the object goes once the current message has been handled.
  retired_ = std::move(mainWindow_);
  QTimer::singleShot(0, context_.get(), [this] { retired_.reset(); });
  if (running_) QCoreApplication::exit(0);
}

void Application::SetRegistryKey(const QString& organization) {
  ProfileStore::instance().configure(organization, appName());
}

QString Application::GetProfileString(const QString& section, const QString& entry, const QString& defaultValue) {
  return ProfileStore::instance().GetProfileString(section, entry, defaultValue);
}

bool Application::WriteProfileString(const QString& section, const QString& entry, const QString& value) {
  return ProfileStore::instance().WriteProfileString(section, entry, value);
}

int Application::GetProfileInt(const QString& section, const QString& entry, int defaultValue) {
  return ProfileStore::instance().GetProfileInt(section, entry, defaultValue);
}

bool Application::WriteProfileInt(const QString& section, const QString& entry, int value) {
  return ProfileStore::instance().WriteProfileInt(section, entry, value);
}

Window* GetActiveWindow() {
  if (Window* modal = ModalStack::instance().innermost()) return modal;
  return GetMainWindow();
}

FrameWindow* GetMainWindow() {
  Application* app = Application::instance();
  return app == nullptr ? nullptr : app->mainWindow();
}

void applyDesktopLook(QApplication& application) {
  if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) application.setStyle(fusion);
  QFont font(QStringLiteral("Liberation Sans"), 9);
  font.setStyleHint(QFont::SansSerif, QFont::PreferMatch);
  application.setFont(font);
}

}  // namespace gui
