#include "demo_frame.h"

#include <QFont>
#include <QPainter>

#include "demo_dialogs.h"
#include "demo_resources.h"
#include "gui/resources.h"
#include "gui/wait_cursor.h"

namespace demo {
namespace {

constexpr UINT_PTR kStatusTimer = 5;

}  // namespace

// ---- status bar ------------------------------------------------------------------------------

void LampStatusBar::SetState(int state) {
  if (state == state_) return;  // unchanged: no redraw
  state_ = state;
  InvalidatePane(CommandToIndex(ID_STATUS_PANE));
}

void LampStatusBar::DrawItem(QPainter& painter, const QRect& rect, int) {
  struct Look {
    const char* text;
    UINT bitmap;
  };
  static const Look looks[] = {{"Not Connected", IDB_LAMP_OFF},       {"OPC_STATUS_RUNNING", IDB_LAMP_RUNNING},
                               {"OPC_STATUS_FAILED", IDB_LAMP_FAILED}, {"OPC_STATUS_NOCONFIG", IDB_LAMP_ATTENTION},
                               {"OPC_STATUS_SUSPENDED", IDB_LAMP_ATTENTION}, {"OPC_STATUS_TEST", IDB_LAMP_ATTENTION}};
  const Look& look = looks[state_ >= 1 && state_ <= 5 ? state_ : 0];
  painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, look.text);
  const QPixmap lamp = gui::LoadBitmap(look.bitmap);
  const int maskWidth = gui::LoadBitmap(IDB_LAMP_MASK).width();
  painter.drawPixmap(rect.right() + 1 - maskWidth - 4, rect.top() + (rect.height() - lamp.height()) / 2, lamp);
}

// ---- views -------------------------------------------------------------------------------------

void GroupTreeView::OnInitialUpdate() {
  gui::ImageList images;
  images.Create(IDB_TREE, 16, 0, QColor(255, 0, 255));
  GetTreeCtrl().SetImageList(images);
  ModifyStyle(0, gui::TVS_HASLINES | gui::TVS_HASBUTTONS | gui::TVS_LINESATROOT);
}

void GroupTreeView::Fill(bool connected) {
  gui::TreeCtrl tree = GetTreeCtrl();
  tree.DeleteAllItems();
  if (!connected) return;
  gui::TreeItem root = tree.InsertItem(rootText_, 0, 0);
  const char* groups[] = {"Boiler", "Conveyor"};
  for (const char* name : groups) {
    gui::TreeItem group = tree.InsertItem(name, 1, 1, root);
    tree.InsertItem(QString("%1.Temperature").arg(name), 3, 3, group);
    tree.InsertItem(QString("%1.Setpoint").arg(name), 4, 4, group);
    tree.InsertItem(QString("%1.Command").arg(name), 2, 2, group);
    tree.Expand(group, gui::TVE_EXPAND);
  }
  tree.Expand(root, gui::TVE_EXPAND);
  tree.SelectItem(root);
}

ResultFormView::ResultFormView() : gui::FormView(IDD_RESULT) {}

void ResultFormView::OnInitialUpdate() {
  FormView::OnInitialUpdate();
  listBox(2001).SetFont(QFont("Courier New", 9));
  bitmapButton(2026).LoadBitmaps(IDB_DETAILS);
}

void ResultFormView::Show(const QString& function, const QString& code, const QStringList& lines) {
  SetDlgItemText(2004, function);
  SetDlgItemText(2003, code);
  gui::ListBox list = listBox(2001);
  list.ResetContent();
  int widest = 0;
  for (const QString& line : lines) {
    list.AddString(line);
    widest = std::max(widest, list.GetTextExtent(line).width());
  }
  list.SetHorizontalExtent(lines.isEmpty() ? 0 : widest + 3);
}

// ---- frame ---------------------------------------------------------------------------------------

DemoFrame::DemoFrame() {
  mapCommand(ID_CONNECT, &DemoFrame::OnConnect);
  mapUpdateCommand(ID_CONNECT, &DemoFrame::OnUpdateConnect);
  mapCommand(ID_DISCONNECT, &DemoFrame::OnDisconnect);
  mapUpdateCommand(ID_DISCONNECT, &DemoFrame::OnUpdateConnected);
  mapCommand(ID_REFRESH, [this] { publicGroups_->Fill(connected_); });
  mapUpdateCommand(ID_REFRESH, &DemoFrame::OnUpdateConnected);
  mapCommand(ID_GET_STATUS, [this] { result_->Show("IOPCServer::GetStatus", "S_OK", {"dwServerState : 1"}); });
  mapUpdateCommand(ID_GET_STATUS, &DemoFrame::OnUpdateStatusPopup);
}

bool DemoFrame::OnCreate() {
  if (!toolBar_.Create(this, IDR_MAINFRAME) || !statusBar_.Create(this)) return false;
  toolBar_.SetWindowText("Session Handling");
  if (!statusBar_.SetIndicators({gui::ID_SEPARATOR, ID_STATUS_PANE, gui::ID_INDICATOR_CAPS, gui::ID_INDICATOR_NUM,
                                 gui::ID_INDICATOR_SCRL})) {
    return false;
  }
  const int index = statusBar_.CommandToIndex(ID_STATUS_PANE);
  UINT id;
  UINT style;
  int width;
  statusBar_.GetPaneInfo(index, id, style, width);
  statusBar_.SetPaneInfo(index, id, style | gui::SBPS_OWNERDRAW, width + gui::LoadBitmap(IDB_LAMP_MASK).width() + 4);
  return SetTimer(kStatusTimer, 2000) != 0;
}

bool DemoFrame::OnCreateClient() {
  const QRect client = GetClientRect();
  if (!outer_.CreateStatic(this, 2, 1) || !inner_.CreateStatic(&outer_, 1, 2, 0, 0)) return false;
  publicGroups_ = inner_.CreateView<GroupTreeView>(0, 0, QSize(client.width() / 2, 0), "Public Groups");
  privateGroups_ = inner_.CreateView<GroupTreeView>(0, 1, QSize(0, 0), "Private Groups");
  result_ = outer_.CreateView<ResultFormView>(1, 0, QSize(0, 0));
  if (publicGroups_ == nullptr || privateGroups_ == nullptr || result_ == nullptr) return false;
  outer_.SetRowInfo(0, client.height() - 250, 0);
  SetActiveView(publicGroups_);
  return true;
}

void DemoFrame::OnTimer(UINT_PTR id) {
  if (id != kStatusTimer) return;
  statusBar_.SetState(connected_ ? 1 + (polls_++ / 3) % 5 : -1);
}

void DemoFrame::OnClose() {
  KillTimer(kStatusTimer);
  FrameWindow::OnClose();
}

void DemoFrame::OnConnect() {
  ConnectDialog dialog(this);
  if (dialog.DoModal() != gui::IDOK) return;
  gui::WaitCursor wait;
  connected_ = true;
  statusBar_.SetState(1);
  publicGroups_->Fill(true);
  privateGroups_->Fill(true);
  result_->Show("IOPCServer::GetStatus", "S_OK",
                {"ftStartTime        : 10.Dec 2024, 08:00:00", "dwServerState      : OPC_STATUS_RUNNING",
                 "dwGroupCount       : 2", "dwBandWidth        : 0", "szVendorInfo       : Pelkor sample server"});
  SetWindowText(gui::StringPart(gui::LoadString(IDR_MAINFRAME), 0) + " - Connected to '" + dialog.server + "'");
}

void DemoFrame::OnDisconnect() {
  connected_ = false;
  statusBar_.SetState(-1);
  publicGroups_->Fill(false);
  privateGroups_->Fill(false);
  result_->Show({}, {}, {});
  SetWindowText(gui::StringPart(gui::LoadString(IDR_MAINFRAME), 0));
}

void DemoFrame::OnUpdateConnect(gui::CmdUI* ui) { ui->Enable(!connected_); }

void DemoFrame::OnUpdateConnected(gui::CmdUI* ui) { ui->Enable(connected_); }

void DemoFrame::OnUpdateStatusPopup(gui::CmdUI* ui) {
  if (ui->subMenu() == nullptr) return;
  ui->menu()->EnableMenuItem(static_cast<UINT>(ui->index()),
                             gui::MF_BYPOSITION | (connected_ ? gui::MF_ENABLED : gui::MF_GRAYED));
}

}  // namespace demo
