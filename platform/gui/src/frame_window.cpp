#include "gui/frame_window.h"

#include <QApplication>
#include <QKeySequence>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>

#include "element_cmd_ui.h"
#include "frame_widget.h"
#include "gui/application.h"
#include "gui/ids.h"
#include "gui/modal_stack.h"
#include "gui/resources.h"
#include "gui/status_bar.h"
#include "gui/tool_bar.h"
#include "gui/view.h"
#include "keyboard_locks.h"

namespace gui {
namespace {

// How often the bars' buttons and panes are brought up to date.
constexpr int kBarUpdateIntervalMs = 250;

QSize defaultFrameSize() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QSize preferred(880, 660);
  if (screen == nullptr) return preferred;
  const QSize available = screen->availableGeometry().size() * 9 / 10;
  return preferred.boundedTo(available);
}

}  // namespace

FrameWindow::FrameWindow() {
  mapCommand(ID_APP_EXIT, &FrameWindow::OnAppExit);
  mapCommand(ID_VIEW_TOOLBAR, &FrameWindow::OnViewToolBar);
  mapUpdateCommand(ID_VIEW_TOOLBAR, &FrameWindow::OnUpdateViewToolBar);
  mapCommand(ID_VIEW_STATUS_BAR, &FrameWindow::OnViewStatusBar);
  mapUpdateCommand(ID_VIEW_STATUS_BAR, &FrameWindow::OnUpdateViewStatusBar);
  mapCommand(ID_NEXT_PANE, &FrameWindow::OnNextPane);
  mapCommand(ID_PREV_PANE, &FrameWindow::OnPrevPane);
  mapUpdateCommand(ID_NEXT_PANE, &FrameWindow::OnUpdatePane);
  mapUpdateCommand(ID_PREV_PANE, &FrameWindow::OnUpdatePane);
  mapUpdateCommandRange(ID_INDICATOR_CAPS, ID_INDICATOR_SCRL, &FrameWindow::OnUpdateKeyIndicator);
}

FrameWindow::~FrameWindow() {
  DestroyWindow();
  for (ControlBar* bar : controlBars_) bar->frame_ = nullptr;
}

QMainWindow* FrameWindow::mainWindow() const { return static_cast<QMainWindow*>(widget()); }

bool FrameWindow::LoadFrame(UINT resourceId) {
  const MenuResource* menu = Resources::instance().menu(resourceId);
  if (menu == nullptr || IsWindow()) return false;

  auto* frame = new FrameWidget(*this);
  frame->resize(defaultFrameSize());
  attachWidget(frame, nullptr);
  const QString title = StringPart(LoadString(resourceId), 0);
  frame->setWindowTitle(title.isEmpty() ? Application::appName() : title);
  const QIcon icon = LoadIcon(resourceId);
  if (!icon.isNull()) frame->setWindowIcon(icon);
  createMenuBar(*menu);
  createAccelerators(resourceId);
  KeyboardLocks::instance();

  auto* barTimer = new QTimer(eventContext());
  QObject::connect(barTimer, &QTimer::timeout, eventContext(), [this] { UpdateControlBars(); });
  barTimer->start(kBarUpdateIntervalMs);
  QObject::connect(qApp, &QApplication::focusChanged, eventContext(), [this](QWidget*, QWidget* now) {
    // A click or tab into a pane makes it the active view, which gets commands first.
    for (View* view : views_) {
      if (now != nullptr && view->widget() != nullptr && view->widget()->isAncestorOf(now)) activeView_ = view;
      if (now != nullptr && view->widget() == now) activeView_ = view;
    }
  });

  if (!OnCreate()) {
    DestroyWindow();
    return false;
  }
  // The client area as it will be between the bars, for OnCreateClient's sizes.
  frame->setCentralWidget(new QWidget(frame));
  frame->layout()->activate();
  clientRectBeforeShow_ = QRect(QPoint(0, 0), frame->centralWidget()->size());
  if (!OnCreateClient()) {
    DestroyWindow();
    return false;
  }
  UpdateControlBars();
  return true;
}

void FrameWindow::createMenuBar(const MenuResource& menu) {
  QMenuBar* bar = mainWindow()->menuBar();
  Menu::build(bar, menu.items);
  // Update the entries of every pop-up whenever it opens; top-level command
  // entries of the bar itself are updated with the bars.
  std::vector<QMenu*> pending;
  for (QAction* action : bar->actions()) {
    if (action->menu() != nullptr) pending.push_back(action->menu());
    QObject::connect(action, &QAction::triggered, eventContext(), [this, action] {
      if (const UINT id = Menu::commandIdOf(action)) SendMessage(WM_COMMAND, MakeCommandParam(id), 0);
    });
  }
  while (!pending.empty()) {
    QMenu* popup = pending.back();
    pending.pop_back();
    QObject::connect(popup, &QMenu::aboutToShow, eventContext(), [this, popup] { UpdateMenu(popup); });
    for (QAction* action : popup->actions()) {
      if (action->menu() != nullptr) {
        pending.push_back(action->menu());
      } else if (const UINT id = Menu::commandIdOf(action)) {
        QObject::connect(action, &QAction::triggered, eventContext(),
                         [this, id] { SendMessage(WM_COMMAND, MakeCommandParam(id), 0); });
      }
    }
  }
}

void FrameWindow::createAccelerators(UINT resourceId) {
  const AcceleratorTable* table = Resources::instance().accelerators(resourceId);
  if (table == nullptr) return;
  for (const Accelerator& accelerator : *table) {
    auto* shortcut = new QShortcut(QKeySequence(QKeyCombination(accelerator.modifiers, Qt::Key(accelerator.key))),
                                   widget());
    shortcut->setContext(Qt::WindowShortcut);
    const UINT id = accelerator.commandId;
    QObject::connect(shortcut, &QShortcut::activated, eventContext(),
                     [this, id] { SendMessage(WM_COMMAND, MakeCommandParam(id, 1), 0); });
  }
}

void FrameWindow::ShowWindow(int command) {
  Window::ShowWindow(command);
  if (initialUpdateDone_ || !IsWindow() || command == SW_HIDE) return;
  initialUpdateDone_ = true;
  // Let the layouts give every pane its size before the views set themselves up.
  widget()->layout()->activate();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  const std::vector<View*> views = views_;
  for (View* view : views) view->OnInitialUpdate();
  if (activeView_ == nullptr && !views_.empty()) SetActiveView(views_.front());
  UpdateControlBars();
}

QRect FrameWindow::GetClientRect() const {
  const QMainWindow* frame = mainWindow();
  if (frame == nullptr) return {};
  if (!initialUpdateDone_ && !clientRectBeforeShow_.isNull()) return clientRectBeforeShow_;
  const QWidget* central = frame->centralWidget();
  return central == nullptr ? frame->rect() : QRect(QPoint(0, 0), central->size());
}

Menu FrameWindow::GetMenu() const {
  return mainWindow() == nullptr ? Menu() : Menu(mainWindow()->menuBar());
}

void FrameWindow::SetActiveView(View* view) {
  activeView_ = view;
  if (view != nullptr) view->SetFocus();
}

Window* FrameWindow::GetLastActivePopup() {
  Window* popup = ModalStack::instance().innermost();
  return popup != nullptr ? popup : this;
}

void FrameWindow::SetMessageText(const QString& text) {
  if (StatusBar* bar = GetStatusBar()) bar->SetPaneText(0, text.isEmpty() ? LoadString(IDS_IDLE_MESSAGE) : text);
}

void FrameWindow::SetMessageText(UINT stringId) { SetMessageText(LoadString(stringId)); }

StatusBar* FrameWindow::GetStatusBar() const {
  for (ControlBar* bar : controlBars_) {
    if (auto* status = dynamic_cast<StatusBar*>(bar)) return status;
  }
  return nullptr;
}

ToolBar* FrameWindow::GetToolBar() const {
  for (ControlBar* bar : controlBars_) {
    if (auto* tools = dynamic_cast<ToolBar*>(bar)) return tools;
  }
  return nullptr;
}

void FrameWindow::ShowControlBar(ControlBar* bar, bool show) {
  if (bar != nullptr && bar->widget() != nullptr) bar->widget()->setVisible(show);
}

void FrameWindow::UpdateMenu(QMenu* menu) {
  const QList<QAction*> actions = menu->actions();
  for (int position = 0; position < actions.size(); ++position) {
    QAction* action = actions[position];
    if (action->isSeparator()) continue;
    if (QMenu* subMenu = action->menu()) {
      // A pop-up entry is updated through the pop-up's first command.
      const UINT first = Menu(subMenu).GetMenuItemID(0);
      if (first == 0 || first == kMenuNotFound) continue;
      ActionCmdUI ui(first, position, action, Menu(menu), Menu(subMenu));
      runCommandUpdate(ui, *this, false);
      continue;
    }
    const UINT id = Menu::commandIdOf(action);
    if (id == 0) continue;
    ActionCmdUI ui(id, position, action, Menu(menu));
    runCommandUpdate(ui, *this, autoMenuEnable_ && id < 0xF000);
  }
}

void FrameWindow::UpdateControlBars() {
  const std::vector<ControlBar*> bars = controlBars_;
  for (ControlBar* bar : bars) {
    if (bar->IsWindow()) bar->OnUpdateCmdUI(*this, autoMenuEnable_);
  }
}

bool FrameWindow::OnCmdMsg(UINT id, int code, CmdUI* ui) {
  if (activeView_ != nullptr && activeView_->OnCmdMsg(id, code, ui)) return true;
  if (Window::OnCmdMsg(id, code, ui)) return true;
  Application* app = Application::instance();
  return app != nullptr && app->OnCmdMsg(id, code, ui);
}

bool FrameWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
  const bool handled = Window::OnCommand(wParam, lParam);
  // A command usually changes what the bars offer; show it at once.
  if (IsWindow()) UpdateControlBars();
  return handled;
}

void FrameWindow::addView(View* view) {
  if (std::find(views_.begin(), views_.end(), view) == views_.end()) views_.push_back(view);
}

void FrameWindow::removeView(View* view) {
  views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
  if (activeView_ == view) activeView_ = nullptr;
}

void FrameWindow::addControlBar(ControlBar* bar) {
  if (std::find(controlBars_.begin(), controlBars_.end(), bar) == controlBars_.end()) controlBars_.push_back(bar);
}

void FrameWindow::removeControlBar(ControlBar* bar) {
  controlBars_.erase(std::remove(controlBars_.begin(), controlBars_.end(), bar), controlBars_.end());
}

void FrameWindow::PostNcDestroy() {
  initialUpdateDone_ = false;
  clientRectBeforeShow_ = QRect();
  if (Application* app = Application::instance()) app->mainWindowDestroyed(this);
}

void FrameWindow::OnAppExit() {
  FrameWindow* main = GetMainWindow();
  (main != nullptr ? main : this)->SendMessage(WM_CLOSE);
}

void FrameWindow::OnViewToolBar() {
  if (ToolBar* bar = GetToolBar()) ShowControlBar(bar, bar->widget()->isHidden());
}

void FrameWindow::OnUpdateViewToolBar(CmdUI* ui) {
  ToolBar* bar = GetToolBar();
  ui->Enable(bar != nullptr);
  ui->SetCheck(bar != nullptr && !bar->widget()->isHidden() ? 1 : 0);
}

void FrameWindow::OnViewStatusBar() {
  if (StatusBar* bar = GetStatusBar()) ShowControlBar(bar, bar->widget()->isHidden());
}

void FrameWindow::OnUpdateViewStatusBar(CmdUI* ui) {
  StatusBar* bar = GetStatusBar();
  ui->Enable(bar != nullptr);
  ui->SetCheck(bar != nullptr && !bar->widget()->isHidden() ? 1 : 0);
}

void FrameWindow::activatePane(int step) {
  if (views_.empty()) return;
  const auto it = std::find(views_.begin(), views_.end(), activeView_);
  const int count = static_cast<int>(views_.size());
  const int current = it == views_.end() ? (step > 0 ? -1 : 0) : static_cast<int>(it - views_.begin());
  SetActiveView(views_[static_cast<std::size_t>(((current + step) % count + count) % count)]);
}

void FrameWindow::OnNextPane() { activatePane(1); }

void FrameWindow::OnPrevPane() { activatePane(-1); }

void FrameWindow::OnUpdatePane(CmdUI* ui) { ui->Enable(views_.size() > 1); }

void FrameWindow::OnUpdateKeyIndicator(CmdUI* ui) {
  const KeyboardLocks& locks = KeyboardLocks::instance();
  const bool on = ui->id() == ID_INDICATOR_CAPS  ? locks.capsLock()
                  : ui->id() == ID_INDICATOR_NUM ? locks.numLock()
                                                 : locks.scrollLock();
  ui->Enable(on);
}

}  // namespace gui
