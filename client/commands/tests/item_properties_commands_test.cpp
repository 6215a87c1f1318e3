// The commands of the "IOPCItemP&roperties" pop-up against the sample
// server: the property list, the values (one line, or one per array
// element) and the item IDs of properties, with per-property errors.

#include <regex>

#include "command_test.h"
#include "resources/parameter_dialog_ids.h"
#include "resources/resource_ids.h"

namespace quillon::testing {
namespace {

using gui::testing::DialogDriver;

class ItemPropertiesCommandsTest : public CommandTest {
 protected:
  ResultPane ask(UINT command, const char* itemId) {
    return run(command, IDD_ITEM_ID, [itemId, command](DialogDriver& d) {
      EXPECT_EQ(d.caption().toStdString(), kFunctions.at(command));
      d.setText(IDC_ITEM_ID, itemId);
      d.press(gui::IDOK);
    });
  }
  // The time stamp's text is the platform's and the clock's; it is checked
  // for its form and then taken out.
  static void takeTimeStamp(ResultPane& shown) {
    for (auto line = shown.lines.begin(); line != shown.lines.end(); ++line) {
      if (line->rfind("Item Timestamp            : ", 0) == 0) {
        EXPECT_TRUE(std::regex_search(*line, std::regex(R"(: \S*\d+\S* .*\d+:\d+)"))) << *line;
        shown.lines.erase(line);
        return;
      }
    }
    ADD_FAILURE() << "no time stamp";
  }

  static inline const std::map<UINT, std::string> kFunctions = {
      {ID_IOPCITEMPROPERTIES_QUERYAVAILABLEPROPERTIES, "IOPCItemProperties::QueryAvailableProperties"},
      {ID_IOPCITEMPROPERTIES_GETITEMPROPERTIES, "IOPCItemProperties::GetItemProperties"},
      {ID_IOPCITEMPROPERTIES_LOOKUPITEMIDS, "IOPCItemProperties::LookupItemIDs"},
  };
};

TEST_F(ItemPropertiesCommandsTest, QueryAvailablePropertiesListsIdTypeAndDescriptionInColumns) {
  SetUpConnected();
  EXPECT_EQ(ask(ID_IOPCITEMPROPERTIES_QUERYAVAILABLEPROPERTIES, "Enumerated.Valve"),
            (ResultPane{"IOPCItemProperties::QueryAvailableProperties",
                        "S_OK",
                        {
                            "  ID   Type         Description",
                            "   1   VT_I2        Item Canonical Data Type",
                            "   2   VT_I2        Item Value",
                            "   3   VT_I2        Item Quality",
                            "   4   VT_DATE      Item Timestamp",
                            "   5   VT_I4        Item Access Rights",
                            "   6   VT_R4        Server Scan Rate",
                            "   7   VT_I4        Item EU Type",
                            // A type name longer than its column pushes the description on.
                            "   8   VT_ARRAY | VT_BSTR   Item EUInfo",
                            " 101   VT_BSTR      Item Description",
                        }}));
}

TEST_F(ItemPropertiesCommandsTest, GetItemPropertiesShowsAScalarOnOneLineAndAnArrayWithItsIndices) {
  SetUpConnected();
  ResultPane shown = ask(ID_IOPCITEMPROPERTIES_GETITEMPROPERTIES, "Static.Arrays.Real4Array");
  takeTimeStamp(shown);
  EXPECT_EQ(shown, (ResultPane{"IOPCItemProperties::GetItemProperties",
                               "S_OK",
                               {
                                   "Item Canonical Data Type  : 8196",
                                   "Item Value                : [0] 1.5",
                                   "Item Value                : [1] 2.5",
                                   "Item Value                : [2] 3.5",
                                   "Item Quality              : 192",
                                   "Item Access Rights        : 3",
                                   "Server Scan Rate          : 100",
                                   "Item EU Type              : 0",
                                   "Item Description          : Array of 4-byte reals",
                               }}));

  shown = ask(ID_IOPCITEMPROPERTIES_GETITEMPROPERTIES, "Analog.Pressure");
  takeTimeStamp(shown);
  EXPECT_EQ(shown, (ResultPane{"IOPCItemProperties::GetItemProperties",
                               "S_OK",
                               {
                                   "Item Canonical Data Type  : 4",
                                   "Item Value                : 5",
                                   "Item Quality              : 192",
                                   "Item Access Rights        : 3",
                                   "Server Scan Rate          : 100",
                                   "Item EU Type              : 1",
                                   "EU Units                  : bar",
                                   "Item Description          : Pressure set by writing",
                                   "High EU                   : 10",
                                   "Low EU                    : 0",
                                   "High Instrument Range     : 11",
                                   "Low Instrument Range      : -1",
                               }}));
}

TEST_F(ItemPropertiesCommandsTest, APropertyTheItemCannotGiveShowsItsErrorInItsOwnLine) {
  SetUpConnected();
  // A write-only item has no value to read; the other properties still show.
  ResultPane shown = ask(ID_IOPCITEMPROPERTIES_GETITEMPROPERTIES, "Access.WriteOnly");
  EXPECT_EQ(shown.returnCode, "S_FALSE");
  ASSERT_GE(shown.lines.size(), 2u);
  EXPECT_EQ(shown.lines[1], "Item Value                : Error : OPC_E_BADRIGHTS The item's access rights do not "
                            "allow the operation.");
}

TEST_F(ItemPropertiesCommandsTest, LookupItemIDsNamesThePropertiesThatAreItemsAndTheErrorsOfTheRest) {
  SetUpConnected();
  EXPECT_EQ(ask(ID_IOPCITEMPROPERTIES_LOOKUPITEMIDS, "Analog.Pressure"),
            (ResultPane{"IOPCItemProperties::LookupItemIDs",
                        "S_FALSE",
                        {
                            "Item Canonical Data Type  : Error : E_FAIL Unspecified error",
                            "Item Value                : Error : E_FAIL Unspecified error",
                            "Item Quality              : Error : E_FAIL Unspecified error",
                            "Item Timestamp            : Error : E_FAIL Unspecified error",
                            "Item Access Rights        : Error : E_FAIL Unspecified error",
                            "Server Scan Rate          : Error : E_FAIL Unspecified error",
                            "Item EU Type              : Error : E_FAIL Unspecified error",
                            "EU Units                  : Analog.Pressure#EngineeringUnits",
                            "Item Description          : Error : E_FAIL Unspecified error",
                            "High EU                   : Analog.Pressure#HighEU",
                            "Low EU                    : Analog.Pressure#LowEU",
                            "High Instrument Range     : Analog.Pressure#HighIR",
                            "Low Instrument Range      : Analog.Pressure#LowIR",
                        }}));
}

TEST_F(ItemPropertiesCommandsTest, AnItemIdTheServerDoesNotKnowStopsEachCommandAtTheQuery) {
  SetUpConnected();
  for (const auto& [command, function] : kFunctions) {
    EXPECT_EQ(ask(command, "No.Such.Item"), (ResultPane{function, "OPC_E_UNKNOWNITEMID", {}}));
    EXPECT_EQ(detail(), "The item ID is not defined in the server's address space.");
    EXPECT_EQ(ask(command, ""), (ResultPane{function, "OPC_E_INVALIDITEMID", {}}));
  }
}

TEST_F(ItemPropertiesCommandsTest, TheItemDialogOffersTheServersItemsAndCancelShowsNothing) {
  SetUpConnected();
  for (const auto& [command, function] : kFunctions) {
    blankPane();
    EXPECT_EQ(run(command, IDD_ITEM_ID,
                  [](DialogDriver& d) {
                    EXPECT_TRUE(d.entries(IDC_ITEM_ID).contains("Simulation.Ramp"));
                    d.press(gui::IDCANCEL);
                  }),
              ResultPane{})
        << function;
  }
}

}  // namespace
}  // namespace quillon::testing
