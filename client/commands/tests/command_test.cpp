#include "command_test.h"

#include "gui/list_box.h"
#include "resources/resource_ids.h"
#include "result/function_result_view.h"
#include "session/browse_position.h"

namespace quillon::testing {

void PrintTo(const ResultPane& pane, std::ostream* out) {
  *out << "\n  function: \"" << pane.function << "\"\n  return code: \"" << pane.returnCode << "\"\n  lines:";
  for (const std::string& line : pane.lines) *out << "\n    \"" << line << "\"";
}

void CommandTest::SetUpConnected(const char* progId) {
  // The position is the process's; each test starts as a new program does.
  ResetBrowsePosition();
  startConnected(progId);
}

ResultPane CommandTest::run(UINT command) {
  EXPECT_TRUE(gui::testing::triggerAction(*frame, command)) << command;
  gui::testing::pumpEvents();
  return pane();
}

ResultPane CommandTest::run(UINT command, UINT dialogTemplate,
                            std::function<void(gui::testing::DialogDriver&)> script) {
  gui::testing::modalScript().expectDialog(dialogTemplate, std::move(script));
  ResultPane shown = run(command);
  gui::testing::modalScript().verifyAndReset();
  return shown;
}

ResultPane CommandTest::pane() const {
  CFunctionResultView* view = frame->resultView();
  ResultPane shown{view->GetDlgItemText(IDC_FUNCTION_NAME).toStdString(),
                   view->GetDlgItemText(IDC_RETURN_CODE).toStdString(),
                   {}};
  gui::ListBox list = view->listBox(IDC_FUNCTION_RESULT);
  for (int i = 0; i < list.GetCount(); ++i) shown.lines.push_back(list.GetText(i).toStdString());
  return shown;
}

std::string CommandTest::detail() const { return frame->resultView()->detailText().toStdString(); }

void CommandTest::blankPane() {
  FunctionResult empty;
  frame->resultView()->ShowResult(empty);
}

}  // namespace quillon::testing
