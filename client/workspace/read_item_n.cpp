#include "workspace/read_item_n.h"

#include "dialogs/number_param_dialog.h"
#include "result/function_result_view.h"
#include "session/server_session.h"
#include "workspace/group_view.h"
#include "workspace/line_format.h"
#include "workspace/read_all_items.h"

namespace workspace {

void ReadItemNTimes(IOPCSyncIO* syncIO, OPCHANDLE handle, DWORD passes, bool fromCache,
                    const CServerSession& session, FunctionResult& result) {
  DWORD elapsed = 0;
  if (!ReadRepeatedly(syncIO, &handle, 1, passes, fromCache, session, result, elapsed)) return;
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
