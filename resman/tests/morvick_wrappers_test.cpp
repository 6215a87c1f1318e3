// Every library-call wrapper through its parameter record, as the control
// program calls it through the host.

#include "morvick_fixture.h"

#include <cstring>
#include <functional>

namespace {

using morvick_test::MorvickTest;
using morvick_test::rsm;

using Wrappers = MorvickTest;

constexpr uint16_t kUntouched = 0xBEEF;

TEST_F(Wrappers, EachWrapperCallsItsFunctionAndFillsTheReturnSlot) {
  uint16_t result = kUntouched;
  RsmClassCreateFktParameters create{&morvick_test::unregisteringFree, 0, &result, 0};
  ASSERT_TRUE(host->callWrapper("rsm_classcreatefkt", &create));
  ASSERT_NE(create.classHandle, 0u);
  EXPECT_EQ(result, RSM_RESULT_OK);
  const uintptr_t cls = create.classHandle;

  RsmRegisterParameters reg{cls, 0x55, &result, 0};
  ASSERT_TRUE(host->callWrapper("rsm_register", &reg));
  const uintptr_t object = reg.object;
  ASSERT_NE(object, 0u);
  RsmRegisterParameters second{cls, 0x66, &result, 0};
  host->callWrapper("rsm_register", &second);

  RsmClassInfo classInfo{};
  RsmInfo info{};
  RsmGetClassInfoParameters getClassInfo{cls, &classInfo, kUntouched};
  RsmSetParentParameters setParent{second.object, object, kUntouched};
  RsmGetParentParameters getParent{second.object, &result, 0};
  RsmGetClassParameters getClass{object, &result, 0};
  RsmGetInfoParameters getInfo{&info, kUntouched};
  RsmCheckParameters check{object, &result, 0};
  RsmGetSupplierVersionParameters version{0x7F, kUntouched};
  RsmUnregisterParameters unregisterChild{second.object, kUntouched};
  RsmClassFreeParameters classFree{cls, kUntouched};
  RsmClassDeleteParameters classDelete{cls, kUntouched};

  struct Case {
    const char* wrapper;
    void* record;
    std::function<void()> verify;
  };
  const Case cases[] = {
      {"rsm_getclassinfo", &getClassInfo,
       [&] {
         EXPECT_EQ(getClassInfo.result, RSM_RESULT_OK);
         EXPECT_EQ(classInfo.capacity, 20u);
         EXPECT_EQ(classInfo.registered, 2u);
         EXPECT_EQ(classInfo.freeFunction, &morvick_test::unregisteringFree);
       }},
      {"rsm_setparent", &setParent, [&] { EXPECT_EQ(setParent.result, RSM_RESULT_OK); }},
      {"rsm_getparent", &getParent,
       [&] {
         EXPECT_EQ(getParent.parent, object);
         EXPECT_EQ(result, RSM_RESULT_OK);
       }},
      {"rsm_getclass", &getClass, [&] { EXPECT_EQ(getClass.classHandle, cls); }},
      {"rsm_getinfo", &getInfo,
       [&] {
         EXPECT_EQ(getInfo.result, RSM_RESULT_OK);
         EXPECT_EQ(info.marker, 0xFFFFFFFFu);
         EXPECT_EQ(info.classCount, 1u);
       }},
      {"rsm_check", &check,
       [&] {
         EXPECT_EQ(check.resource, 0x55u);
         EXPECT_EQ(result, RSM_RESULT_OK);
       }},
      {"rsm_getsupplierversion", &version,
       [&] {
         EXPECT_EQ(version.version, 1u);
         EXPECT_EQ(version.ignored, 0x7F) << "the input byte stays";
       }},
      {"rsm_unregister", &unregisterChild, [&] { EXPECT_EQ(unregisterChild.result, RSM_RESULT_OK); }},
      {"rsm_classfree", &classFree,
       [&] {
         EXPECT_EQ(classFree.result, RSM_RESULT_OK);
         EXPECT_EQ(rsm.check(object, &result), 0u) << "the parentless object was freed";
       }},
      {"rsm_classdelete", &classDelete, [&] { EXPECT_EQ(classDelete.result, RSM_RESULT_OK); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wrapper);
    result = kUntouched;
    ASSERT_TRUE(host->callWrapper(c.wrapper, c.record));
    c.verify();
  }
}

TEST_F(Wrappers, CheckDiffersFromTheApiFunctionForNullAndFreeEntries) {
  uintptr_t cls = createClass();
  uintptr_t object = registerObject(cls, 9);
  rsm.unregisterObject(object);

  uint16_t result = kUntouched;
  RsmCheckParameters check{0, &result, 0x1234};
  host->callWrapper("rsm_check", &check);
  EXPECT_EQ(result, RSM_RESULT_NULL_HANDLE);
  EXPECT_EQ(check.resource, 0x1234u) << "the return slot stays untouched";
  check.result = nullptr;
  host->callWrapper("rsm_check", &check);  // no result pointer: nothing written

  check = RsmCheckParameters{object, &result, 0x1234};
  host->callWrapper("rsm_check", &check);
  EXPECT_EQ(check.resource, 0u);
  EXPECT_EQ(result, RSM_RESULT_OK) << "a free entry is no error here";
  EXPECT_EQ(rsm.check(object, &result), 0u);
  EXPECT_EQ(result, RSM_RESULT_INVALID) << "but it is for RSM_Check";

  check = RsmCheckParameters{object + 1, &result, 0x1234};
  host->callWrapper("rsm_check", &check);
  EXPECT_EQ(check.resource, 0u);
  EXPECT_EQ(result, RSM_RESULT_INVALID) << "a garbage handle";
  rsm.classDelete(cls);
}

TEST_F(Wrappers, SixteenBitResultsLeaveTheRestOfTheirSlot) {
  struct Record {
    RsmGetSupplierVersionParameters parameters;
    uint32_t after;
  } record;
  std::memset(&record, 0xCC, sizeof record);
  host->callWrapper("rsm_getsupplierversion", &record.parameters);
  unsigned char bytes[sizeof record];
  std::memcpy(bytes, &record, sizeof record);
  EXPECT_EQ(bytes[0], 0xCC);
  EXPECT_EQ(bytes[1], 0xCC);
  uint16_t version;
  std::memcpy(&version, bytes + 2, 2);
  EXPECT_EQ(version, 1u);
  EXPECT_EQ(record.after, 0xCCCCCCCCu);

  RsmUnregisterParameters unregisterRecord;
  std::memset(&unregisterRecord, 0xCC, sizeof unregisterRecord);
  unregisterRecord.object = 0;
  host->callWrapper("rsm_unregister", &unregisterRecord);
  EXPECT_EQ(unregisterRecord.result, RSM_RESULT_INVALID);
  unsigned char tail[sizeof unregisterRecord];
  std::memcpy(tail, &unregisterRecord, sizeof tail);
  for (size_t i = offsetof(RsmUnregisterParameters, result) + 2; i < sizeof tail; ++i) EXPECT_EQ(tail[i], 0xCC);
  EXPECT_TRUE(host->callWrapper("rsm_register", nullptr)) << "a null record is ignored";
}

}  // namespace
