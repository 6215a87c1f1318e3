// Pins the published identifiers and the fixed stream layout: a wrong digit
// in an identifier or a padded field would make every peer disagree with us.

#include <cstddef>
#include <string>

#include <gtest/gtest.h>

#include "opc/opcda.h"

namespace {

std::string textOf(REFGUID guid) {
  OLECHAR wide[39];
  EXPECT_EQ(StringFromGUID2(guid, wide, 39), 39);
  return std::string(wide, wide + 38);
}

TEST(OpcDeclarations, IdentifiersHaveTheirPublishedValues) {
  struct Case {
    const GUID& guid;
    const char* text;
  };
  const Case cases[] = {
      {IID_IOPCServer, "{39C13A4D-011E-11D0-9675-0020AFD8ADB3}"},
      {IID_IOPCServerPublicGroups, "{39C13A4E-011E-11D0-9675-0020AFD8ADB3}"},
      {IID_IOPCBrowseServerAddressSpace, "{39C13A4F-011E-11D0-9675-0020AFD8ADB3}"},
      {IID_IOPCGroupStateMgt, "{39C13A50-011E-11D0-9675-0020AFD8ADB3}"},
      {IID_IOPCPublicGroupStateMgt, "{39C13A51-011E-11D0-9675-0020AFD8ADB3}"},
      {IID_IOPCSyncIO, "{39C13A52-011E-11D0-9675-0020AFD8ADB3}"},
      {IID_IOPCAsyncIO, "{39C13A53-011E-11D0-9675-0020AFD8ADB3}"},
      {IID_IOPCItemMgt, "{39C13A54-011E-11D0-9675-0020AFD8ADB3}"},
      {IID_IEnumOPCItemAttributes, "{39C13A55-011E-11D0-9675-0020AFD8ADB3}"},
      {IID_IOPCDataCallback, "{39C13A70-011E-11D0-9675-0020AFD8ADB3}"},
      {IID_IOPCAsyncIO2, "{39C13A71-011E-11D0-9675-0020AFD8ADB3}"},
      {IID_IOPCItemProperties, "{39C13A72-011E-11D0-9675-0020AFD8ADB3}"},
      {IID_IOPCCommon, "{F31DFDE2-07B6-11D2-B2D8-0060083BA1FB}"},
      {IID_IOPCShutdown, "{F31DFDE1-07B6-11D2-B2D8-0060083BA1FB}"},
      {IID_IOPCServerList, "{13486D50-4821-11D2-A494-3CB306C10000}"},
      {CLSID_OPCServerList, "{13486D51-4821-11D2-A494-3CB306C10000}"},
      {CATID_OPCDAServer10, "{63D5F430-CFE4-11D1-B2C8-0060083BA1FB}"},
      {CATID_OPCDAServer20, "{63D5F432-CFE4-11D1-B2C8-0060083BA1FB}"},
      {IID_IEnumGUID, "{0002E000-0000-0000-C000-000000000046}"},
  };
  for (const auto& c : cases) EXPECT_EQ(textOf(c.guid), c.text);
}

TEST(OpcDeclarations, StreamRecordsHaveTheWireLayout) {
  EXPECT_EQ(offsetof(OPCGROUPHEADER, dwItemCount), 4u);
  EXPECT_EQ(offsetof(OPCGROUPHEADER, hClientGroup), 8u);
  EXPECT_EQ(offsetof(OPCGROUPHEADER, dwTransactionID), 12u);
  EXPECT_EQ(offsetof(OPCGROUPHEADER, hrStatus), 16u);
  EXPECT_EQ(offsetof(OPCITEMHEADER1, dwValueOffset), 4u);
  EXPECT_EQ(offsetof(OPCITEMHEADER1, wQuality), 8u);
  EXPECT_EQ(offsetof(OPCITEMHEADER1, wReserved), 10u);
  EXPECT_EQ(offsetof(OPCITEMHEADER1, ftTimeStampItem), 12u);
  EXPECT_EQ(offsetof(OPCITEMHEADER2, wQuality), 8u);
  EXPECT_EQ(offsetof(OPCGROUPHEADERWRITE, hrStatus), 12u);
  EXPECT_EQ(offsetof(OPCITEMHEADERWRITE, dwError), 4u);
  EXPECT_EQ(offsetof(opc::StreamValue, value), 8u);
}

TEST(OpcDeclarations, ResultCodesAreInterfaceCodes) {
  for (HRESULT code : {OPC_E_INVALIDHANDLE, OPC_E_BADRIGHTS, OPC_E_UNKNOWNITEMID, OPC_E_DUPLICATENAME,
                       OPC_S_UNSUPPORTEDRATE, OPC_S_CLAMP, OPC_S_INUSE, OPC_E_INVALID_PID}) {
    EXPECT_EQ(HRESULT_FACILITY(code), static_cast<DWORD>(FACILITY_ITF));
  }
  EXPECT_TRUE(FAILED(OPC_E_NOTFOUND));
  EXPECT_TRUE(SUCCEEDED(OPC_S_INUSE));
}

}  // namespace
