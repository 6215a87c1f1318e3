// "Advise Data" as a user works it against the sample server: the live
// display of a simulated item, the checks before the dialog opens, every
// message of a failed opening or closing, and the item's own client handle
// afterwards.

#include <QRegularExpression>

#include "advise/temporary_client_handle.h"
#include "advise_fixture.h"
#include "com/allocator.h"
#include "opc/quality.h"
#include "resources/advise_data_ids.h"
#include "result/result_code_text.h"

namespace quillon::testing {
namespace {

using gui::testing::DialogDriver;
using gui::testing::modalScript;

const QRegularExpression kTimeStampLine("^Time Stamp : \\d\\d\\.[A-Z][a-z][a-z] \\d{4}, \\d\\d:\\d\\d:\\d\\d$");

// Records the item's data of the "OPCSTMFORMATDATA" streams a second sink
// receives beside the dialog's.
class DataRecorder : public AdviseCallback {
 public:
  explicit DataRecorder(OPCHANDLE watched) : watched_(watched) {}
  void OnData(const OPCGROUPHEADER* header, const OPCITEMHEADER2* items, const VARIANT* values) override {
    for (DWORD i = 0; i < header->dwItemCount; ++i) {
      if (items[i].hClient == watched_ && values[i].vt == VT_R8) valuesSeen.fetch_add(1);
    }
  }
  void OnDataWithTime(const OPCGROUPHEADER*, const OPCITEMHEADER1*, const VARIANT*) override {}
  void OnWriteComplete(const OPCGROUPHEADERWRITE*, const OPCITEMHEADERWRITE*) override {}

  std::atomic<int> valuesSeen{0};

 private:
  OPCHANDLE watched_;
};

class NullCallback : public AdviseCallback {
 public:
  void OnData(const OPCGROUPHEADER*, const OPCITEMHEADER2*, const VARIANT*) override {}
  void OnDataWithTime(const OPCGROUPHEADER*, const OPCITEMHEADER1*, const VARIANT*) override {}
  void OnWriteComplete(const OPCGROUPHEADERWRITE*, const OPCITEMHEADERWRITE*) override {}
};

// The list lines of a result-code text: before and after its first line break.
QStringList codeLines(HRESULT code, const CServerSession& session) {
  const QString text = QString::fromStdString(ResultCodeText(code, &session));
  const qsizetype lineBreak = text.indexOf('\n');
  if (lineBreak < 0) return {text};
  return {text.left(lineBreak), text.mid(lineBreak + 1)};
}

using AdviseDataTest = AdviseTest;

// The dialog alone, and beside another subscriber of the DATA format on
// the same group, which receives the item under its temporary handle too.
TEST_F(AdviseDataTest, ShowsTheLiveDataOfASimulatedItemAndRestoresItsHandle) {
  for (bool withDataSubscriber : {false, true}) {
    SCOPED_TRACE(withDataSubscriber ? "beside a DATA subscriber" : "alone");
    startConnected();
    addGroup("G", {"Simulation.Ramp", "Static.I4"});
    setGroupState("G", 20);
    ItemNode* item = itemNode("Simulation.Ramp");
    ASSERT_NE(item, nullptr);
    const OPCHANDLE serverHandle = item->hServer;

    OPCHANDLE temporary = 0;
    CDataAdviseSink* dataSink = nullptr;
    DWORD dataConnection = 0;
    std::unique_ptr<DataRecorder> recorder;
    adviseData("Simulation.Ramp", [&](CAdviseDataDialog& dialog, DialogDriver& d) {
      EXPECT_EQ(d.caption(), "Advise Data WithTimestamps");
      temporary = dialog.temporaryClientHandle();
      EXPECT_NE(temporary, 1u);
      EXPECT_NE(temporary, 2u);
      EXPECT_EQ(serverClientHandle("G", serverHandle), temporary);
      EXPECT_FALSE(d.isVisible(IDC_ADVISE_PERCENT_DEADBAND)) << "a ramp is not an analog item";
      EXPECT_FALSE(d.isVisible(IDC_ADVISE_PERCENT_DEADBAND_LABEL));

      if (withDataSubscriber) {
        recorder = std::make_unique<DataRecorder>(temporary);
        dataSink = CDataAdviseSink::Create();
        ASSERT_EQ(dataSink->ConnectToGroup(groupNode("G")->asyncIO, recorder.get()), S_OK);
        IDataObject* dataObject = groupNode("G")->dataObject;
        FORMATETC format{dataSink->dataFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        ASSERT_EQ(dataObject->DAdvise(&format, 0, dataSink, &dataConnection), S_OK);
      }

      ASSERT_TRUE(d.pumpUntil([&] { return dialog.callbackCount() >= 2 && d.entries(IDC_ADVISE_DATA_LIST).size() == 3; }));
      const QStringList first = d.entries(IDC_ADVISE_DATA_LIST);
      EXPECT_TRUE(kTimeStampLine.match(first[0]).hasMatch()) << first[0].toStdString();
      EXPECT_EQ(first[1], "Quality    : Good: Non-specific, Limit: Not Limited, (00C0h)");
      EXPECT_TRUE(first[2].startsWith("Data[0]    : ")) << first[2].toStdString();
      const DWORD countBefore = dialog.callbackCount();
      ASSERT_TRUE(d.pumpUntil([&] {
        const QStringList now = d.entries(IDC_ADVISE_DATA_LIST);
        return now.size() == 3 && now[2] != first[2] && now[0] != first[0] &&
               d.text(IDC_ADVISE_CALLBACK_COUNT).toUInt() > countBefore;
      }, 5000)) << "the value, time stamp and count change";
      EXPECT_GE(d.text(IDC_ADVISE_CALLBACK_COUNT).toUInt(), 3u);

      if (withDataSubscriber) {
        EXPECT_TRUE(d.pumpUntil([&] { return recorder->valuesSeen.load() >= 2; }));
        EXPECT_EQ(groupNode("G")->dataObject->DUnadvise(dataConnection), S_OK);
        dataSink->DisconnectCallback();
        dataSink->Release();
      }
      d.press(gui::IDOK);
    });

    EXPECT_EQ(serverClientHandle("G", serverHandle), 1u) << "the item's own handle is back";
    EXPECT_EQ(itemNode("Simulation.Ramp")->hClient, 1u);
    EXPECT_EQ(resultPane(), ResultPane{}) << "the command leaves no result behind";
    EXPECT_EQ(advise::DrawTemporaryClientHandle({}), temporary + 1) << "one handle was drawn";
    TearDown();
    SetUp();
  }
}

TEST_F(AdviseDataTest, ShowsTheGroupsPercentDeadbandForAnalogItemsOnly) {
  struct Case {
    const char* item;
    bool shown;
  };
  startConnected();
  addGroup("G", {"Analog.Temperature", "Enumerated.Valve", "Static.I4"});
  setGroupState("G", {}, {}, 2.5f);
  for (const Case& c : {Case{"Analog.Temperature", true}, Case{"Enumerated.Valve", false}, Case{"Static.I4", false}}) {
    SCOPED_TRACE(c.item);
    adviseData(c.item, [&](CAdviseDataDialog&, DialogDriver& d) {
      EXPECT_EQ(d.isVisible(IDC_ADVISE_PERCENT_DEADBAND), c.shown);
      EXPECT_EQ(d.isVisible(IDC_ADVISE_PERCENT_DEADBAND_LABEL), c.shown);
      EXPECT_EQ(d.text(IDC_ADVISE_PERCENT_DEADBAND), "2.5");
      d.press(gui::IDOK);
    });
  }
}

TEST_F(AdviseDataTest, AnEmptyStringShowsThePrefixAlone) {
  startConnected();
  addGroup("G", {"Static.BSTR"});
  GroupNode* group = groupNode("G");
  OPCHANDLE serverHandle = itemNode("Static.BSTR")->hServer;
  VARIANT empty;
  VariantInit(&empty);
  empty.vt = VT_BSTR;
  empty.bstrVal = SysAllocString(u"");
  HRESULT* errors = nullptr;
  ASSERT_EQ(group->syncIO->Write(1, &serverHandle, &empty, &errors), S_OK);
  CoTaskMemFree(errors);
  VariantClear(&empty);
  adviseData("Static.BSTR", [&](CAdviseDataDialog&, DialogDriver& d) {
    ASSERT_TRUE(d.pumpUntil([&] { return d.entries(IDC_ADVISE_DATA_LIST).size() == 3; }));
    EXPECT_EQ(d.entries(IDC_ADVISE_DATA_LIST)[2], "Data[0]    : ");
    d.press(gui::IDOK);
  });
}

// Callbacks fed straight to the dialog once the server has gone quie
TEST_F(AdviseDataTest, ShowsAFailingStatusOrACopyErrorInsteadOfData) {
  startConnected();
  addGroup("G", {"Static.I4"});
  setGroupState("G", 20);
  adviseData("Static.I4", [&](CAdviseDataDialog& dialog, DialogDriver& d) {
    ASSERT_TRUE(d.pumpUntil([&] { return d.text(IDC_ADVISE_CALLBACK_COUNT) == "1"; }));
    setGroupState("G", {}, false);
    const QStringList shown = d.entries(IDC_ADVISE_DATA_LIST);

    OPCGROUPHEADER header{0, 1, 7, 0, S_OK};
    OPCITEMHEADER1 item{dialog.temporaryClientHandle(), 0, OPC_QUALITY_GOOD, 0, {0, 0}};
    VARIANT value;
    VariantInit(&value);

    // Not the dialog's item: nothing changes.
    OPCITEMHEADER1 other = item;
    other.hClient = dialog.temporaryClientHandle() + 1;
    dialog.OnDataWithTime(&header, &other, &value);
    const OPCITEMHEADERWRITE written{dialog.temporaryClientHandle(), S_OK};
    const OPCGROUPHEADERWRITE writeHeader{1, 7, 3, S_OK};
    dialog.OnWriteComplete(&writeHeader, &written);
    d.pumpEvents();
    EXPECT_EQ(dialog.callbackCount(), 1u);
    EXPECT_EQ(d.entries(IDC_ADVISE_DATA_LIST), shown);

    // A failing status counts, shows its text on two lines and leaves the
    // count field as it was.
    header.hrStatus = E_FAIL;
    dialog.OnDataWithTime(&header, &item, &value);
    ASSERT_TRUE(d.pumpUntil([&] { return d.entries(IDC_ADVISE_DATA_LIST) != shown; }));
    EXPECT_EQ(d.entries(IDC_ADVISE_DATA_LIST), codeLines(E_FAIL, frame->session()));
    EXPECT_EQ(dialog.callbackCount(), 2u);
    EXPECT_EQ(d.text(IDC_ADVISE_CALLBACK_COUNT), "1");

    // A value that cannot be copied.
    header.hrStatus = S_OK;
    value.vt = 0x7FFF;
    dialog.OnDataWithTime(&header, &item, &value);
    ASSERT_TRUE(d.pumpUntil([&] { return d.text(IDC_ADVISE_CALLBACK_COUNT) == "3"; }));
    const QStringList lines = d.entries(IDC_ADVISE_DATA_LIST);
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(kTimeStampLine.match(lines[0]).hasMatch()) << lines[0].toStdString();
    EXPECT_EQ(lines.mid(2), QStringList{"Internal VARIANT copy error:"} + codeLines(DISP_E_BADVARTYPE, frame->session()));
    d.press(gui::IDOK);
  });
}

TEST_F(AdviseDataTest, PreconditionsStopTheCommandWithTheirReason) {
  struct Case {
    const char* name;
    const char* item;
    std::function<void()> prepare;
    ResultPane expected;
  };
  const Case cases[] = {
      {"write-only item", "Access.WriteOnly", [] {},
       {"Advise Data Dialog", "", {"Cannot Advise Data", "It is not a readable Item"}}},
      {"inactive item", "Static.I4",
       [this] {
         OPCHANDLE handle = itemNode("Static.I4")->hServer;
         HRESULT* errors = nullptr;
         groupNode("G")->itemMgt->SetActiveState(1, &handle, FALSE, &errors);
         CoTaskMemFree(errors);
         privatePane()->RefreshGroupTree();
       },
       {"Advise Data Dialog", "", {"Cannot Advise Data", "The Item is currently inactive"}}},
      {"inactive group", "Static.I4", [this] { setGroupState("G", {}, false); },
       {"Advise Data Dialog", "", {"Cannot Advise Data", "The Group is currently inactive"}}},
      {"group gone from the server", "Static.I4",
       [this] {
         OPCHANDLE serverGroup = groupNode("G")->serverGroup;
         // The pane still holds the group's interfaces, which now fail.
         ASSERT_TRUE(SUCCEEDED(frame->session().GetServer()->RemoveGroup(serverGroup, TRUE)));
       },
       {"IOPCGroupStateMgt::GetState", "E_FAIL", {"Cannot Advise Data", "Cannot access the Group State"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    startConnected();
    addGroup("G", {"Access.WriteOnly", "Static.I4"});
    c.prepare();
    choose(privatePane(), c.item, "Advise Data");
    EXPECT_EQ(resultPane(), c.expected);
    EXPECT_FALSE(modalScript().dialogsShown().back() == IDD_ADVISE_DATA) << "the dialog did not open";
    TearDown();
    SetUp();
  }
}

TEST_F(AdviseDataTest, AGroupWithoutAnInterfaceItNeedsSaysWhich) {
  struct Case {
    const char* progId;
    const char* message;
  };
  for (const Case& c : {Case{"Pelkor.DataSample.LimitedGroups", "Interface not supported : IOPCAsyncIO\n"},
                        Case{"Pelkor.DataSample.StatelessGroups", "Interface not supported : IOPCGroupStateMgt\n"}}) {
    SCOPED_TRACE(c.progId);
    startConnected(c.progId);
    addGroup("G", {"Static.I4"});
    choose(privatePane(), "Static.I4", "Advise Data", [&] { modalScript().expectMessageBox(gui::IDOK, c.message); });
    EXPECT_EQ(resultPane(), ResultPane{});
    TearDown();
    SetUp();
  }
}

TEST_F(AdviseDataTest, AFailedOpeningShowsWhyClosesAndSetsTheHandleBack) {
  struct Case {
    const char* progId;
    bool occupyTimeFormat;  // another sink holds the group's DATATIME connection
    const char* message;
  };
  const Case cases[] = {
      {"Pelkor.DataSample.FixedClientHandles", false, "Cannot change the Client Handle temporary."},
      {"Pelkor.DataSample.NoDataObject", false, "Cannot create an Advise Sinc class instance."},
      {"Pelkor.DataSample", true, "Cannot advise the callback handler."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    startConnected(c.progId);
    addGroup("G", {"Static.I4"});
    const OPCHANDLE serverHandle = itemNode("Static.I4")->hServer;
    NullCallback nobody;
    CDataAdviseSink* occupant = nullptr;
    DWORD connection = 0;
    if (c.occupyTimeFormat) {
      occupant = CDataAdviseSink::Create();
      ASSERT_EQ(occupant->ConnectToGroup(groupNode("G")->asyncIO, &nobody), S_OK);
      ASSERT_EQ(occupant->AdviseWithTime(&connection), S_OK);
    }
    adviseData(
        "Static.I4",
        [&](CAdviseDataDialog& dialog, DialogDriver& d) {
          EXPECT_TRUE(d.pumpUntil([&] { return d.ended(); })) << "the dialog closes by itself";
          EXPECT_EQ(dialog.callbackCount(), 0u);
        },
        [&] { modalScript().expectMessageBox(gui::IDOK, c.message); });
    // Only the expected box: a refused swap leaves nothing to restore.
    EXPECT_EQ(modalScript().messageBoxes().size(), 1u);
    EXPECT_EQ(serverClientHandle("G", serverHandle), 1u);
    EXPECT_EQ(itemNode("Static.I4")->hClient, 1u);
    if (occupant != nullptr) {
      occupant->UnadviseWithTime();
      occupant->DisconnectCallback();
      occupant->Release();
    }
    TearDown();
    SetUp();
  }
}

TEST_F(AdviseDataTest, AHandleThatCannotBeSetBackStaysInTheTree) {
  startConnected();
  addGroup("G", {"Static.I4", "Static.I2"});
  OPCHANDLE temporary = 0;
  adviseData("Static.I4", [&](CAdviseDataDialog& dialog, DialogDriver& d) {
    temporary = dialog.temporaryClientHandle();
    // The server loses the item while the dialog watches i
    OPCHANDLE serverHandle = itemNode("Static.I4")->hServer;
    HRESULT* errors = nullptr;
    ASSERT_EQ(groupNode("G")->itemMgt->RemoveItems(1, &serverHandle, &errors), S_OK);
    CoTaskMemFree(errors);
    modalScript().expectMessageBox(gui::IDOK,
                                   "Cannot restore the original Client Handle.\nThe temporary handle is still active");
    d.press(gui::IDOK);
  });
  EXPECT_EQ(itemNode("Static.I4")->hClient, temporary);
}

TEST_F(AdviseDataTest, ATemporaryHandleThatAnItemUsesIsPassedOver) {
  startConnected();
  addGroup("G", {"Static.I4", "Static.I2"});
  // Static.I2 carries the value the next draw would give.
  advise::SetNextTemporaryClientHandleForTesting(0x90000000);
  OPCHANDLE serverHandle = itemNode("Static.I2")->hServer;
  OPCHANDLE taken = 0x90000000;
  HRESULT* errors = nullptr;
  ASSERT_EQ(groupNode("G")->itemMgt->SetClientHandles(1, &serverHandle, &taken, &errors), S_OK);
  CoTaskMemFree(errors);
  privatePane()->RefreshGroupTree();
  adviseData("Static.I4", [&](CAdviseDataDialog& dialog, DialogDriver& d) {
    EXPECT_EQ(dialog.temporaryClientHandle(), 0x90000001u);
    d.press(gui::IDOK);
  });
}

}  // namespace
}  // namespace quillon::testing
