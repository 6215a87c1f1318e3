#include "server_classes.h"

#include "server_factory.h"

namespace sample {
namespace {

DEFINE_GUID(CLSID_PelkorDataSampleMinimal, 0x005816D8, 0xC5A3, 0x47EB, 0xB9, 0x08, 0x92, 0x84, 0x6F, 0x9D, 0xE5, 0x89);
DEFINE_GUID(CLSID_PelkorDataSampleNoGroupEnumerator, 0xB9E2B183, 0x20D3, 0x4B31, 0xB8, 0x67, 0x52, 0xD7, 0x21, 0xF0,
            0x4E, 0xD3);
DEFINE_GUID(CLSID_PelkorDataSampleNoBrowsePosition, 0xF4F4FAD6, 0x3F68, 0x4A46, 0xA2, 0x7C, 0xB6, 0xD3, 0x60, 0x27,
            0x44, 0x04);
DEFINE_GUID(CLSID_PelkorDataSampleFixedClientHandles, 0x917C9FCA, 0x7ED4, 0x4A4C, 0x85, 0x66, 0xE2, 0xCB, 0xC5,
            0x01, 0x11, 0x9D);
DEFINE_GUID(CLSID_PelkorDataSampleFailingStatus, 0xFFCC2702, 0x4AC2, 0x4F25, 0xBD, 0xB2, 0xBF, 0x73, 0xD1, 0x2E, 0x0D,
            0x56);
DEFINE_GUID(CLSID_PelkorDataSampleLimitedGroups, 0x09AA8069, 0x4EC8, 0x4CE0, 0xBE, 0xB1, 0xA6, 0x5C, 0xD2, 0xDC, 0xEB,
            0x41);
DEFINE_GUID(CLSID_PelkorDataSampleStatelessGroups, 0x93AFDF7B, 0x98CD, 0x4256, 0x95, 0xEE, 0xB9, 0x47, 0x50, 0x01,
            0xA0, 0x7C);
DEFINE_GUID(CLSID_PelkorDataSampleNoDataObject, 0x5E0C3B41, 0x7D2A, 0x4F6E, 0x9A, 0x13, 0x2C, 0x84, 0xB7, 0x51, 0xE0,
            0x6D);

DEFINE_GUID(CLSID_PelkorDataSampleEmptyEnumerations, 0xAD9C2137, 0x6B7C, 0x4B4D, 0x81, 0xCA, 0xA3, 0x38, 0x07, 0xAB,
            0x99, 0xEB);

// A client polls GetStatus every two seconds, so the fifth call fails some
// eight seconds after connecting.
constexpr uint32_t kFailingStatusCall = 5;

const SampleClass kClasses[] = {
    {CLSID_PelkorDataSample, "Pelkor.DataSample", "Pelkor Data Sample Server", [](ServerOptions&) {}},
    {CLSID_PelkorDataSampleMinimal, "Pelkor.DataSample.Minimal",
     "Pelkor Data Sample Server without optional interfaces",
     [](ServerOptions& o) { o.omittedInterfaces = kAllOptionalServerInterfaces; }},
    {CLSID_PelkorDataSampleNoGroupEnumerator, "Pelkor.DataSample.NoGroupEnumerator",
     "Pelkor Data Sample Server without group enumerators",
     [](ServerOptions& o) { o.groupEnumeratorNotImplemented = true; }},
    {CLSID_PelkorDataSampleNoBrowsePosition, "Pelkor.DataSample.NoBrowsePosition",
     "Pelkor Data Sample Server that cannot name its browse position",
     [](ServerOptions& o) { o.failItemIdOfBrowsePosition = true; }},
    {CLSID_PelkorDataSampleFixedClientHandles, "Pelkor.DataSample.FixedClientHandles",
     "Pelkor Data Sample Server that refuses new client handles",
     [](ServerOptions& o) { o.refuseClientHandles = true; }},
    {CLSID_PelkorDataSampleFailingStatus, "Pelkor.DataSample.FailingStatus",
     "Pelkor Data Sample Server whose status fails after a while",
     [](ServerOptions& o) { o.failStatusFromCall = kFailingStatusCall; }},
    {CLSID_PelkorDataSampleLimitedGroups, "Pelkor.DataSample.LimitedGroups",
     "Pelkor Data Sample Server with groups without I/O",
     [](ServerOptions& o) {
       o.omittedGroupInterfaces = kGroupSyncIO | kGroupAsyncIO | kGroupDataObject | kGroupPublicStateMgt |
                                  kGroupAsyncIO2 | kGroupConnectionPoints;
     }},
    {CLSID_PelkorDataSampleStatelessGroups, "Pelkor.DataSample.StatelessGroups",
     "Pelkor Data Sample Server with groups without state management",
     [](ServerOptions& o) { o.omittedGroupInterfaces = kGroupStateMgt; }},
    {CLSID_PelkorDataSampleEmptyEnumerations, "Pelkor.DataSample.EmptyEnumerations",
     "Pelkor Data Sample Server that enumerates nothing with S_OK",
     [](ServerOptions& o) { o.emptyEnumerationsSucceed = true; }},
    {CLSID_PelkorDataSampleNoDataObject, "Pelkor.DataSample.NoDataObject",
     "Pelkor Data Sample Server with groups without data advise",
     [](ServerOptions& o) { o.omittedGroupInterfaces = kGroupDataObject; }},
};

}  // namespace

std::span<const SampleClass> sampleClasses() { return kClasses; }

const SampleClass* findSampleClass(REFCLSID clsid) {
  for (const auto& sampleClass : kClasses) {
    if (IsEqualCLSID(sampleClass.clsid, clsid)) return &sampleClass;
  }
  return nullptr;
}

ServerOptions optionsFor(const SampleClass& sampleClass) {
  ServerOptions options;
  options.manyItemCount = configuredManyItemCount();
  sampleClass.configure(options);
  return options;
}

}  // namespace sample
