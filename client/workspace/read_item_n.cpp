#include "workspace/read_item_n.h"

#include "com/oleauto.h"
#include "dialogs/number_param_dialog.h"
#include "result/function_result_view.h"
#include "result/result_code_text.h"
#include "session/server_session.h"
#include "workspace/group_view.h"
#include "workspace/line_format.h"
#include "workspace/task_memory.h"
#include "workspace/tick_clock.h"

namespace workspace {

void ReadItemNTimes(IOPCSyncIO* syncIO, OPCHANDLE handle, DWORD passes, bool fromCache,
                    const CServerSession& session, FunctionResult& result) {
  const OPCDATASOURCE source = fromCache ? OPC_DS_CACHE : OPC_DS_DEVICE;
  HRESULT hr = S_OK;
  bool failed = false;
  DWORD pass = 0;
  const DWORD start = ReadTickCount();
  for (; pass < passes; ++pass) {
    OPCITEMSTATE* states = nullptr;
    HRESULT* errors = nullptr;
    hr = syncIO->Read(source, 1, &handle, &states, &errors);
    FreeTaskMemory(session, errors);
    if (states != nullptr) {
      VariantClear(&states[0].vDataValue);
      FreeTaskMemory(session, states);
    }
    if (hr != S_OK) {
      failed = true;
      break;
    }
  }
  const DWORD elapsed = ElapsedTicks(start, ReadTickCount());

  result.functionName = "IOPCSyncIO::Read";
  result.returnCode = ResultCodeText(hr, &session);
  if (failed) {
    result.lines.push_back(LineFormat("Error during read access %lu", static_cast<unsigned long>(pass)));
    return;
  }
  result.lines.push_back(LineFormat("%lu read access takes %lu milliseconds.", static_cast<unsigned long>(passes),
                                    static_cast<unsigned long>(elapsed)));
  result.lines.push_back(LineFormat("Average access time per read is %f ms.",
                                    passes == 0 ? 0.0 : static_cast<double>(elapsed) / passes));
}

}  // namespace workspace

void CGroupView::OnReadItemN() {
  IOPCSyncIO* syncIO = nullptr;
  ItemNode* item = nullptr;
  if (!SelectedGroupInterface(&syncIO, &item)) return;
  CNumberParamDialog dialog("IOPCSyncIO::Read n times", "Number of read access", "Read from Cache", this);
  dialog.number = 10;
  dialog.checked = true;
  if (dialog.DoModal() != gui::IDOK) return;

  functionResult_.functionName = "IOPCSyncIO::Read";
  functionResult_.lines.emplace_back("Please wait. Read is in progress ...");
  ShowFunctionResult();
  if (resultView_ != nullptr) resultView_->UpdateWindow();

  workspace::ReadItemNTimes(syncIO, item->hServer, dialog.number, dialog.checked, *session_, functionResult_);
  ShowFunctionResult();
}
