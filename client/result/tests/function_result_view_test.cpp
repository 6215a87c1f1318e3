// The result view: what ShowResult puts into the three fields and the tool
// tip, that it empties the record, and how the controls follow the pane's
// size.

#include <gtest/gtest.h>

#include <QWidget>
#include <memory>

#include "gui/dialog_units.h"
#include "gui/list_box.h"
#include "gui/resources.h"
#include "gui/testing/testing.h"
#include "resources/quillon_resources.h"
#include "resources/resource_ids.h"
#include "result/function_result_view.h"
#include "result/result_code_text.h"
#include "win/winerror.h"

namespace {

using namespace quillon;

class FunctionResultViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterQuillonResources();
    host.resize(900, 300);
    ASSERT_TRUE(view->Create(&host, nullptr, nullptr));
    view->widget()->setGeometry(host.rect());
    host.show();
    gui::testing::pumpEvents();
    view->OnInitialUpdate();
  }
  void TearDown() override { view->DestroyWindow(); }

  QString field(int id) const { return view->GetDlgItemText(id); }
  QStringList listEntries() const {
    QStringList entries;
    gui::ListBox list = view->listBox(IDC_FUNCTION_RESULT);
    for (int i = 0; i < list.GetCount(); ++i) entries << list.GetText(i);
    return entries;
  }
  QString toolTip() { return gui::testing::controlToolTip(*view, IDC_RETURN_CODE_DETAILS); }
  void resizePane(int width, int height) {
    view->widget()->resize(width, height);
    gui::testing::pumpEvents();
  }
  QRect rectOf(int id) const { return view->control(id).GetWindowRect(); }

  QWidget host;
  std::unique_ptr<CFunctionResultView> view = std::make_unique<CFunctionResultView>();
};

TEST_F(FunctionResultViewTest, ShowsNameReturnCodeAndDescriptionAsToolTip) {
  struct Case {
    const char* returnCode;
    const char* shownCode;
    const char* toolTip;
  };
  const Case cases[] = {
      {"", "", ""},
      {"S_OK", "S_OK", "No detailed text defined"},
      {"E_FAIL\nUnspecified error", "E_FAIL", "Unspecified error"},
      // Only the first line break separates the short form from the description.
      {"OPC_E_BADTYPE\nThe server cannot convert\nthe data type.", "OPC_E_BADTYPE",
       "The server cannot convert\nthe data type."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.returnCode);
    FunctionResult result{"IOPCServer::GetStatus", c.returnCode, {}};
    view->ShowResult(result);
    EXPECT_EQ(field(IDC_FUNCTION_NAME), "IOPCServer::GetStatus");
    EXPECT_EQ(field(IDC_RETURN_CODE), c.shownCode);
    EXPECT_EQ(view->detailText(), c.toolTip);
    EXPECT_EQ(toolTip(), c.toolTip);
  }
}

TEST_F(FunctionResultViewTest, ShowsEachLineAsOneEntryWithItsFirstLineBreakAsABlank) {
  FunctionResult result{"IOPCServer::GetStatus", "S_OK",
                        {"dwGroupCount       : 2", "two\nlines", "three\nline\nbreaks"}};
  view->ShowResult(result);
  EXPECT_EQ(listEntries(), (QStringList{"dwGroupCount       : 2", "two lines", "three line\nbreaks"}));

  gui::ListBox list = view->listBox(IDC_FUNCTION_RESULT);
  EXPECT_EQ(list.GetFont().family(), "Courier New");
  int widest = 0;
  for (const QString& entry : listEntries()) widest = std::max(widest, list.GetTextExtent(entry).width());
  EXPECT_EQ(list.GetHorizontalExtent(), widest + 3);
}

TEST_F(FunctionResultViewTest, EmptiesTheRecordSoThatShowingItAgainBlanksTheView) {
  FunctionResult result{"IOPCServer::GetStatus", "E_FAIL\nUnspecified error", {"a line"}};
  view->ShowResult(result);
  EXPECT_EQ(result.functionName, nullptr);
  EXPECT_TRUE(result.returnCode.empty());
  EXPECT_TRUE(result.lines.empty());

  view->ShowResult(result);
  EXPECT_EQ(field(IDC_FUNCTION_NAME), "");
  EXPECT_EQ(field(IDC_RETURN_CODE), "");
  EXPECT_TRUE(listEntries().isEmpty());
  EXPECT_EQ(view->listBox(IDC_FUNCTION_RESULT).GetHorizontalExtent(), 0);
  EXPECT_EQ(toolTip(), "");
}

TEST_F(FunctionResultViewTest, ShowsResultCodeTextsWithTheirDescriptions) {
  struct Case {
    HRESULT code;
    const char* shownCode;
    bool described;
  };
  const Case cases[] = {
      {E_FAIL, "E_FAIL", true},
      // An interface code is described by the server alone; without a session it has only its name.
      {static_cast<HRESULT>(0xC0040007), "OPC_E_UNKNOWNITEMID", false},
      {static_cast<HRESULT>(0x12345678), "Function Failed : 12345678h", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shownCode);
    const std::string text = ResultCodeText(c.code, nullptr);
    FunctionResult result{"IOPCServer::GetErrorString", text, {}};
    view->ShowResult(result);
    EXPECT_EQ(field(IDC_RETURN_CODE), c.shownCode);
    if (c.described) {
      EXPECT_EQ(view->detailText().toStdString(), text.substr(text.find('\n') + 1));
      EXPECT_NE(view->detailText(), "No detailed text defined");
    } else {
      EXPECT_EQ(view->detailText(), "No detailed text defined");
    }
  }
}

TEST_F(FunctionResultViewTest, ControlsFillThePaneButNeverShrinkBelowTheTemplate) {
  // Where the template puts the controls, in pixels of its font.
  const gui::DialogTemplate* form = gui::Resources::instance().dialog(IDD_FUNCTION_RESULT);
  ASSERT_NE(form, nullptr);
  const gui::DialogUnits units(gui::DialogUnits::templateFont(form->font));
  const QRect name = units.toPixels({100, 7, 231, 12});
  const QRect code = units.toPixels({100, 26, 231, 12});
  const QRect button = units.toPixels({335, 26, 14, 14});
  const QRect list = units.toPixels({100, 45, 231, 60});
  const QSize formSize = view->templateSize();
  EXPECT_EQ(formSize, units.toPixels(356, 112));

  struct Case {
    QSize pane;
    int dx;  // how much wider (and taller, dy) than in the template
    int dy;
  };
  const Case cases[] = {
      {formSize + QSize(120, 40), 120, 40},
      {formSize, 0, 0},
      {formSize + QSize(300, 0), 300, 0},
      {QSize(formSize.width() + 50, formSize.height() / 2), 50, 0},
      // Smaller than the template: the pane scrolls, nothing shrinks.
      {formSize / 2, 0, 0},
      {formSize + QSize(500, 200), 500, 200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(QStringLiteral("%1 x %2").arg(c.pane.width()).arg(c.pane.height()).toStdString());
    resizePane(c.pane.width(), c.pane.height());
    EXPECT_EQ(rectOf(IDC_FUNCTION_NAME), name.adjusted(0, 0, c.dx, 0));
    EXPECT_EQ(rectOf(IDC_RETURN_CODE), code.adjusted(0, 0, c.dx, 0));
    EXPECT_EQ(rectOf(IDC_RETURN_CODE_DETAILS), button.translated(c.dx, 0));
    EXPECT_EQ(rectOf(IDC_FUNCTION_RESULT), list.adjusted(0, 0, c.dx, c.dy));
  }
}

}  // namespace
