#include "advise/advise_data_dialog.h"

#include <QFont>
#include <algorithm>
#include <optional>

#include "advise/temporary_client_handle.h"
#include "com/allocator.h"
#include "format/code_text.h"
#include "format/time_stamp_text.h"
#include "format/variant_lines.h"
#include "gui/list_box.h"
#include "gui/message_box.h"
#include "opc/opcda.h"
#include "resources/advise_data_ids.h"
#include "result/result_code_text.h"
#include "session/server_session.h"

using namespace quillon;

namespace {

QString toQString(const std::string& text) { return QString::fromUtf8(text.c_str()); }

}  // namespace

CAdviseDataDialog::CAdviseDataDialog(IOPCAsyncIO* asyncIO, IOPCItemMgt* itemMgt, OPCITEMATTRIBUTES* item,
                                     float percentDeadband, std::vector<OPCHANDLE> groupClientHandles,
                                     const CServerSession* session, gui::Window* parent)
    : Dialog(IDD_ADVISE_DATA, parent),
      percentDeadband_(percentDeadband),
      asyncIO_(asyncIO),
      itemMgt_(itemMgt),
      item_(item),
      groupClientHandles_(std::move(groupClientHandles)),
      session_(session) {
  asyncIO_->AddRef();
  itemMgt_->AddRef();
  mapCommand(ID_ADVISE_DISPLAY_REQUEST, [this] { OnDisplayRequest(); });
}

CAdviseDataDialog::~CAdviseDataDialog() {
  RestoreClientHandle();
  if (sink_ != nullptr) {
    sink_->DisconnectCallback();
    sink_->Release();
  }
  asyncIO_->Release();
  itemMgt_->Release();
}

void CAdviseDataDialog::DoDataExchange(gui::DataExchange& exchange) {
  exchange.text(IDC_ADVISE_CALLBACK_COUNT, shownCount_);
  exchange.text(IDC_ADVISE_PERCENT_DEADBAND, percentDeadband_);
}

bool CAdviseDataDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  QFont fixedPitch(QStringLiteral("Courier New"), 9);
  fixedPitch.setStyleHint(QFont::TypeWriter);
  fixedPitch.setFixedPitch(true);
  listBox(IDC_ADVISE_DATA_LIST).SetFont(fixedPitch);
  if (item_->dwEUType != OPC_ANALOG) {
    control(IDC_ADVISE_PERCENT_DEADBAND_LABEL).ShowWindow(gui::SW_HIDE);
    control(IDC_ADVISE_PERCENT_DEADBAND).ShowWindow(gui::SW_HIDE);
  }

  watched_.SetClientHandle(advise::DrawTemporaryClientHandle(groupClientHandles_));

  sink_ = CDataAdviseSink::Create();
  if (sink_ == nullptr) {
    FailOpening(toQString(ResultCodeText(E_OUTOFMEMORY, session_)));
    return true;
  }

  OPCHANDLE serverHandle = item_->hServer;
  OPCHANDLE temporary = watched_.clientHandle();
  HRESULT* errors = nullptr;
  const HRESULT swap = itemMgt_->SetClientHandles(1, &serverHandle, &temporary, &errors);
  FreeServerMemory(errors);
  if (swap != S_OK) {
    FailOpening(QStringLiteral("Cannot change the Client Handle temporary."));
    return true;
  }
  swapped_ = true;

  if (FAILED(sink_->ConnectToGroup(asyncIO_, this))) {
    FailOpening(QStringLiteral("Cannot create an Advise Sinc class instance."));
    return true;
  }
  if (FAILED(sink_->AdviseWithTime(&connection_))) {
    FailOpening(QStringLiteral("Cannot advise the callback handler."));
    return true;
  }
  return true;
}

void CAdviseDataDialog::FailOpening(const QString& message) {
  MessageBox(message);
  // The clean-up of a normal close then undoes what opening has done.
  PostMessage(gui::WM_CLOSE);
}

// The two fields only show numbers; there is nothing to read back.
void CAdviseDataDialog::OnOK() { EndDialog(gui::IDOK); }

void CAdviseDataDialog::OnDestroy() {
  if (sink_ != nullptr) {
    if (connection_ != 0) {
      sink_->UnadviseWithTime();
      connection_ = 0;
    }
    // A server may still hold the sink; nothing it sends may reach a
    // dialog that has no window any more.
    sink_->DisconnectCallback();
  }
  Dialog::OnDestroy();
}

void CAdviseDataDialog::OnDataWithTime(const OPCGROUPHEADER* header, const OPCITEMHEADER1* items,
                                       const VARIANT* values) {
  if (header == nullptr || !watched_.Take(*header, items, values)) return;
  PostMessage(gui::WM_COMMAND, gui::MakeCommandParam(ID_ADVISE_DISPLAY_REQUEST), 0);
}

void CAdviseDataDialog::OnDisplayRequest() {
  gui::ListBox list = listBox(IDC_ADVISE_DATA_LIST);
  list.ResetContent();
  bool failed = false;
  watched_.Read([&](const advise::WatchedItem::Latest& latest) {
    if (FAILED(latest.status)) {
      AddResultCodeText(latest.status);
      failed = true;
      return;
    }
    const std::optional<std::string> time = format::TimeStampText(latest.timeStamp);
    list.AddString(toQString("Time Stamp : " + (time ? *time : std::string("Cannot convert to Local Time"))));
    list.AddString(toQString("Quality    : " + QualityText(latest.quality)));
    const int firstValueLine = list.GetCount();
    if (FAILED(latest.copyResult)) {
      list.AddString(QStringLiteral("Internal VARIANT copy error:"));
      AddResultCodeText(latest.copyResult);
    } else {
      for (const std::string& line : VariantToLines(latest.value, "Data[%u]    : ")) list.AddString(toQString(line));
    }
    int widest = 0;
    for (int i = firstValueLine; i < list.GetCount(); ++i) {
      widest = std::max(widest, list.GetTextExtent(list.GetText(i)).width());
    }
    list.SetHorizontalExtent(widest + 3);
  });
  if (failed) return;
  shownCount_ = watched_.callbackCount();
  UpdateData(false);
}

void CAdviseDataDialog::AddResultCodeText(HRESULT code) {
  gui::ListBox list = listBox(IDC_ADVISE_DATA_LIST);
  const std::string text = ResultCodeText(code, session_);
  const size_t lineBreak = text.find('\n');
  list.AddString(toQString(text.substr(0, lineBreak)));
  if (lineBreak != std::string::npos) list.AddString(toQString(text.substr(lineBreak + 1)));
}

void CAdviseDataDialog::RestoreClientHandle() {
  OPCHANDLE serverHandle = item_->hServer;
  OPCHANDLE own = item_->hClient;
  HRESULT* errors = nullptr;
  const HRESULT hr = itemMgt_->SetClientHandles(1, &serverHandle, &own, &errors);
  FreeServerMemory(errors);
  // When the server never took the temporary handle, the item still has
  // its own and a refusal here changes nothing.
  if (hr == S_OK || !swapped_) return;
  gui::MessageBox(owner(), QStringLiteral("Cannot restore the original Client Handle.\nThe temporary handle is still active"));
  // The pane shows the handle the server now holds.
  item_->hClient = watched_.clientHandle();
}

void CAdviseDataDialog::FreeServerMemory(void* block) const {
  if (block == nullptr) return;
  IMalloc* allocator = session_ != nullptr ? session_->GetTaskAllocator() : nullptr;
  if (allocator != nullptr) {
    allocator->Free(block);
  } else {
    CoTaskMemFree(block);
  }
}
