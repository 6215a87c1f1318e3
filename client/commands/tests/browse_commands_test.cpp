// The commands of the "IOPCBrowseServer&AddressSpace" pop-up against the
// sample server, and the browse position text they keep for the dialogs.

#include "command_test.h"
#include "resources/parameter_dialog_ids.h"
#include "resources/resource_ids.h"
#include "session/browse_position.h"

namespace quillon::testing {
namespace {

using gui::testing::DialogDriver;

class BrowseCommandsTest : public CommandTest {
 protected:
  ResultPane changePosition(int directionButton, const char* branch) {
    return run(ID_IOPCBROWSE_CHANGEBROWSEPOSITION, IDD_CHANGE_BROWSE_POSITION,
               [directionButton, branch](DialogDriver& d) {
                 d.check(directionButton);
                 if (d.isEnabled(IDC_BRANCH)) d.setText(IDC_BRANCH, branch);
                 d.press(gui::IDOK);
               });
  }
  static ResultPane moved(const char* function, const char* code, std::vector<std::string> lines) {
    return {function, code, std::move(lines)};
  }
  // Browses with the dialog, which must show `position` as the current one.
  ResultPane browse(const std::string& position, const char* filterType, const char* criteria) {
    return run(ID_IOPCBROWSE_BROWSEOPCITEMIDS, IDD_BROWSE_ITEM_IDS, [=](DialogDriver& d) {
      EXPECT_EQ(d.text(IDC_BROWSE_POSITION).toStdString(), position);
      d.selectText(IDC_BROWSE_FILTER_TYPE, filterType);
      d.setText(IDC_FILTER_CRITERIA, criteria);
      d.press(gui::IDOK);
    });
  }
  ResultPane textCommand(UINT command, const char* text) {
    return run(command, IDD_TEXT_PARAM, [text](DialogDriver& d) {
      d.setText(IDC_PARAM_FIELD, text);
      d.press(gui::IDOK);
    });
  }

  static constexpr const char* kChange = "IOPCBrowseServerAddressSpace::ChangeBrowsePosition";
  static constexpr const char* kBrowse = "IOPCBrowseServerAddressSpace::BrowseOPCItemIDs";
};

TEST_F(BrowseCommandsTest, QueryOrganizationNamesTheSampleServersSpaceHierarchical) {
  SetUpConnected();
  EXPECT_EQ(run(ID_IOPCBROWSE_QUERYORGANIZATION),
            (ResultPane{"IOPCBrowseServerAddressSpace::QueryOrganization",
                        "S_OK",
                        {"The current organization is :", "   OPC_NS_HIERARCHIAL"}}));
}

TEST_F(BrowseCommandsTest, ChangeBrowsePositionFollowsTheServerDownAndUpAndKeepsThePositionWhenRefused) {
  SetUpConnected();
  EXPECT_EQ(changePosition(IDC_BROWSE_UP, ""), moved(kChange, "E_FAIL", {}));  // already at the top
  EXPECT_EQ(CurrentBrowsePosition(), "<ROOT>");

  EXPECT_EQ(changePosition(IDC_BROWSE_DOWN, "Static"),
            moved(kChange, "S_OK", {"The current position is :", "Static"}));
  EXPECT_EQ(changePosition(IDC_BROWSE_DOWN, "Arrays"),
            moved(kChange, "S_OK", {"The current position is :", "Static.Arrays"}));
  EXPECT_EQ(changePosition(IDC_BROWSE_DOWN, "NoSuchBranch"), moved(kChange, "E_INVALIDARG", {}));
  EXPECT_EQ(CurrentBrowsePosition(), "Static.Arrays");
  EXPECT_EQ(changePosition(IDC_BROWSE_UP, ""), moved(kChange, "S_OK", {"The current position is :", "Static"}));
  EXPECT_EQ(changePosition(IDC_BROWSE_TO, "Paths"), moved(kChange, "S_OK", {"The current position is :", "Paths"}));
  EXPECT_EQ(changePosition(IDC_BROWSE_UP, ""), moved(kChange, "S_OK", {"The current position is :", "<ROOT>"}));

  // A disconnect forgets the position, like the server does.
  changePosition(IDC_BROWSE_DOWN, "Static");
  EXPECT_TRUE(gui::testing::triggerAction(*frame, ID_DISCONNECT));
  EXPECT_EQ(CurrentBrowsePosition(), "<ROOT>");
}

TEST_F(BrowseCommandsTest, APositionTheServerCannotNameReadsAsQuestionMarksInTheBrowseDialogs) {
  SetUpConnected("Pelkor.DataSample.NoBrowsePosition");
  // The move itself succeeded, so its code is shown, not that of the question.
  EXPECT_EQ(changePosition(IDC_BROWSE_DOWN, "Paths"), moved(kChange, "S_OK", {"The current position is :", "???"}));
  EXPECT_EQ(browse("???", "OPC_LEAF", ""),
            moved(kBrowse, "S_OK", {"Level", "Flow", "Total number of items found : 2"}));
}

TEST_F(BrowseCommandsTest, BrowseOPCItemIDsListsWhatMatchesOrSaysThereIsNothing) {
  SetUpConnected();
  EXPECT_EQ(browse("<ROOT>", "OPC_FLAT", "Paths.*"),
            moved(kBrowse, "S_OK", {"Paths.Level", "Paths.Flow", "Total number of items found : 2"}));
  changePosition(IDC_BROWSE_DOWN, "Static");
  EXPECT_EQ(browse("Static", "OPC_BRANCH", ""), moved(kBrowse, "S_OK", {"Arrays", "Total number of items found : 1"}));
  EXPECT_EQ(browse("Static", "OPC_LEAF", "R?"),
            moved(kBrowse, "S_OK", {"R4", "R8", "Total number of items found : 2"}));
  EXPECT_EQ(browse("Static", "OPC_LEAF", "Nothing*"), moved(kBrowse, "S_FALSE", {"There is nothing to enumerate"}));
  EXPECT_EQ(browse("Static", "OPC_LEAF", "[A-"), moved(kBrowse, "OPC_E_INVALIDFILTER", {}));
  EXPECT_EQ(detail(), "The filter string is not valid.");
}

TEST_F(BrowseCommandsTest, AServerThatEnumeratesNothingWithSuccessGetsACountOfNothing) {
  SetUpConnected("Pelkor.DataSample.EmptyEnumerations");
  EXPECT_EQ(browse("<ROOT>", "OPC_LEAF", ""), moved(kBrowse, "S_OK", {"Total number of items found : 0"}));
  EXPECT_EQ(textCommand(ID_IOPCBROWSE_BROWSEACCESSPATHS, "Static.I4"),
            moved("IOPCBrowseServerAddressSpace::BrowseAccessPaths", "S_OK",
                  {"Total number of acess paths found : 0"}));
}

TEST_F(BrowseCommandsTest, GetItemIDQualifiesANameAtThePositionWithoutMovingIt) {
  SetUpConnected();
  changePosition(IDC_BROWSE_DOWN, "Simulation");
  EXPECT_EQ(textCommand(ID_IOPCBROWSE_GETITEMID, "Ramp"),
            moved("IOPCBrowseServerAddressSpace::GetItemID", "S_OK", {"Simulation.Ramp"}));
  EXPECT_EQ(CurrentBrowsePosition(), "Simulation");
  EXPECT_EQ(textCommand(ID_IOPCBROWSE_GETITEMID, "Nothing"),
            moved("IOPCBrowseServerAddressSpace::GetItemID", "OPC_E_UNKNOWNITEMID", {}));
  EXPECT_EQ(detail(), "The item ID is not defined in the server's address space.");
  changePosition(IDC_BROWSE_UP, "");
  // The empty name asks for the position itself, the root's being empty.
  EXPECT_EQ(textCommand(ID_IOPCBROWSE_GETITEMID, ""), moved("IOPCBrowseServerAddressSpace::GetItemID", "S_OK", {""}));
}

TEST_F(BrowseCommandsTest, BrowseAccessPathsListsAnItemsPaths) {
  SetUpConnected();
  const char* function = "IOPCBrowseServerAddressSpace::BrowseAccessPaths";
  EXPECT_EQ(textCommand(ID_IOPCBROWSE_BROWSEACCESSPATHS, "Paths.Flow"),
            moved(function, "S_OK", {"Line1", "Line2", "Line3", "Total number of acess paths found : 3"}));
  EXPECT_EQ(textCommand(ID_IOPCBROWSE_BROWSEACCESSPATHS, "Static.I4"),
            moved(function, "S_FALSE", {"There is nothing to enumerate"}));
  EXPECT_EQ(textCommand(ID_IOPCBROWSE_BROWSEACCESSPATHS, "No.Such.Item"), moved(function, "OPC_E_UNKNOWNITEMID", {}));
}

TEST_F(BrowseCommandsTest, CancellingADialogCallsNothingAndShowsNothing) {
  SetUpConnected();
  const struct {
    UINT command;
    UINT dialog;
  } commands[] = {
      {ID_IOPCBROWSE_CHANGEBROWSEPOSITION, IDD_CHANGE_BROWSE_POSITION},
      {ID_IOPCBROWSE_BROWSEOPCITEMIDS, IDD_BROWSE_ITEM_IDS},
      {ID_IOPCBROWSE_GETITEMID, IDD_TEXT_PARAM},
      {ID_IOPCBROWSE_BROWSEACCESSPATHS, IDD_TEXT_PARAM},
  };
  for (const auto& c : commands) {
    blankPane();
    EXPECT_EQ(run(c.command, c.dialog, [](DialogDriver& d) { d.press(gui::IDCANCEL); }), ResultPane{}) << c.command;
  }
  EXPECT_EQ(CurrentBrowsePosition(), "<ROOT>");
}

}  // namespace
}  // namespace quillon::testing
