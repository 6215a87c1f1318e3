#include "result/function_result_view.h"

#include <algorithm>

#include "gui/list_box.h"
#include "resources/resource_ids.h"

namespace {

using namespace quillon;

constexpr char kNoDetails[] = "No detailed text defined";
// Room after the widest line, so that its last letter is not cut.
constexpr int kExtentMargin = 3;

QString fromText(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }

}  // namespace

CFunctionResultView::CFunctionResultView() : gui::FormView(IDD_FUNCTION_RESULT) {}

void CFunctionResultView::OnInitialUpdate() {
  gui::FormView::OnInitialUpdate();
  // Result lines are laid out in columns with blanks, so the list alone
  // uses a fixed-width font.
  listFont_ = QFont(QStringLiteral("Courier New"), 9);
  listBox(IDC_FUNCTION_RESULT).SetFont(listFont_);
  EnableToolTips(true);
  bitmapButton(IDC_RETURN_CODE_DETAILS).LoadBitmaps(IDB_RETURN_CODE_DETAILS, 0, 0, IDB_RETURN_CODE_DETAILS);

  nameRect_ = control(IDC_FUNCTION_NAME).GetWindowRect();
  returnCodeRect_ = control(IDC_RETURN_CODE).GetWindowRect();
  buttonRect_ = control(IDC_RETURN_CODE_DETAILS).GetWindowRect();
  listRect_ = control(IDC_FUNCTION_RESULT).GetWindowRect();
  rectanglesRecorded_ = true;

  const QRect client = GetClientRect();
  OnSize(client.width(), client.height());
}

void CFunctionResultView::ShowResult(FunctionResult& result) {
  SetDlgItemText(IDC_FUNCTION_NAME, result.functionName != nullptr ? QString::fromUtf8(result.functionName) : QString());

  const std::string& code = result.returnCode;
  const std::size_t lineBreak = code.find('\n');
  if (code.empty()) {
    SetDlgItemText(IDC_RETURN_CODE, QString());
    detailText_.clear();
  } else if (lineBreak == std::string::npos) {
    SetDlgItemText(IDC_RETURN_CODE, fromText(code));
    detailText_ = QString::fromLatin1(kNoDetails);
  } else {
    SetDlgItemText(IDC_RETURN_CODE, fromText(code.substr(0, lineBreak)));
    detailText_ = fromText(code.substr(lineBreak + 1));
  }

  gui::ListBox list = listBox(IDC_FUNCTION_RESULT);
  list.ResetContent();
  int widest = 0;
  for (std::string line : result.lines) {
    // A line shows as one entry: its first line break becomes a blank.
    if (const std::size_t at = line.find('\n'); at != std::string::npos) line[at] = ' ';
    const QString text = fromText(line);
    list.AddString(text);
    widest = std::max(widest, list.GetTextExtent(text).width());
  }
  list.SetHorizontalExtent(result.lines.empty() ? 0 : widest + kExtentMargin);

  UpdateWindow();

  result.functionName = nullptr;
  result.returnCode.clear();
  result.lines.clear();
}

bool CFunctionResultView::OnToolTipText(int controlId, QString& text) {
  if (controlId != IDC_RETURN_CODE_DETAILS || detailText_.isEmpty()) return false;
  text = detailText_;
  return true;
}

void CFunctionResultView::OnSize(int cx, int cy) {
  gui::FormView::OnSize(cx, cy);
  if (!rectanglesRecorded_) return;
  // Growth is measured from the template's size, the size the controls
  // were laid out for: the pane's first size here is already its full one,
  // and measured from that the controls would keep their template size in
  // a pane much wider than the template. A pane smaller than the template
  // scrolls and leaves the controls as they are.
  const QSize reference = templateSize();
  const int dx = std::max(0, cx - reference.width());
  const int dy = std::max(0, cy - reference.height());
  control(IDC_FUNCTION_RESULT).MoveWindow(listRect_.adjusted(0, 0, dx, dy));
  control(IDC_FUNCTION_NAME).MoveWindow(nameRect_.adjusted(0, 0, dx, 0));
  control(IDC_RETURN_CODE).MoveWindow(returnCodeRect_.adjusted(0, 0, dx, 0));
  control(IDC_RETURN_CODE_DETAILS).MoveWindow(buttonRect_.translated(dx, 0));
}
