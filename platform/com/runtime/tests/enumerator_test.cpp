#include "com/enumerator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com/data_enumerators.h"
#include "com/interfaces/persist.h"

namespace {

// Fetches up to count strings and frees them, returning what was fetched.
std::vector<std::u16string> next(IEnumString* enumerator, ULONG count, HRESULT expected) {
  std::vector<LPOLESTR> slots(count + 1, nullptr);
  ULONG fetched = 99;
  EXPECT_EQ(enumerator->Next(count, slots.data(), &fetched), expected);
  std::vector<std::u16string> strings;
  for (ULONG k = 0; k < fetched; ++k) {
    strings.emplace_back(slots[k]);
    CoTaskMemFree(slots[k]);
  }
  EXPECT_EQ(slots[fetched], nullptr) << "nothing written past the fetched items";
  return strings;
}

using Strings = std::vector<std::u16string>;

TEST(EnumString, FollowsTheNextSkipResetRules) {
  com::Ptr<IEnumString> strings;
  ASSERT_EQ(com::EnumString::create({u"a", u"b", u"c"}, strings.put()), S_OK);

  EXPECT_EQ(next(strings.get(), 2, S_OK), (Strings{u"a", u"b"}));
  EXPECT_EQ(next(strings.get(), 2, S_FALSE), (Strings{u"c"}));
  EXPECT_EQ(next(strings.get(), 1, S_FALSE), Strings{});
  EXPECT_EQ(strings->Reset(), S_OK);
  EXPECT_EQ(strings->Skip(2), S_OK);
  EXPECT_EQ(next(strings.get(), 5, S_FALSE), (Strings{u"c"}));
  EXPECT_EQ(strings->Reset(), S_OK);
  EXPECT_EQ(strings->Skip(4), S_FALSE);
  EXPECT_EQ(next(strings.get(), 1, S_FALSE), Strings{});
  EXPECT_EQ(strings->Reset(), S_OK);
  EXPECT_EQ(next(strings.get(), 0, S_OK), Strings{});
  EXPECT_EQ(next(strings.get(), 3, S_OK), (Strings{u"a", u"b", u"c"}));
}

TEST(EnumString, RejectsMissingOutParameters) {
  com::Ptr<IEnumString> strings;
  ASSERT_EQ(com::EnumString::create({u"a", u"b"}, strings.put()), S_OK);
  LPOLESTR slots[2] = {};
  EXPECT_EQ(strings->Next(2, slots, nullptr), E_INVALIDARG) << "fetched may be null only for one item";
  EXPECT_EQ(strings->Next(1, nullptr, nullptr), E_POINTER);
  ASSERT_EQ(strings->Next(1, slots, nullptr), S_OK);
  EXPECT_EQ(std::u16string(slots[0]), u"a");
  CoTaskMemFree(slots[0]);
  EXPECT_EQ(strings->Clone(nullptr), E_POINTER);
  EXPECT_EQ(com::EnumString::create({}, nullptr), E_POINTER);
}

TEST(EnumString, ClonesShareItemsButNotPosition) {
  com::Ptr<IEnumString> original;
  ASSERT_EQ(com::EnumString::create({u"a", u"b", u"c"}, original.put()), S_OK);
  ASSERT_EQ(original->Skip(1), S_OK);
  com::Ptr<IEnumString> clone;
  ASSERT_EQ(original->Clone(clone.put()), S_OK);
  original.reset();  // the clone keeps the items alive
  EXPECT_EQ(next(clone.get(), 5, S_FALSE), (Strings{u"b", u"c"}));
  ASSERT_EQ(clone->Reset(), S_OK);
  EXPECT_EQ(next(clone.get(), 1, S_OK), Strings{u"a"});
}

TEST(EnumString, EmptyEnumeratorEndsAtOnce) {
  com::Ptr<IEnumString> strings;
  ASSERT_EQ(com::EnumString::create({}, strings.put()), S_OK);
  EXPECT_EQ(next(strings.get(), 1, S_FALSE), Strings{});
  EXPECT_EQ(strings->Skip(1), S_FALSE);
}

// An object that counts its references, to see what the enumerator holds.
class Counted final : public com::Object<Counted, IPersist> {
 public:
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override {
    *clsid = GUID_NULL;
    return S_OK;
  }
  ULONG references() {
    AddRef();
    return Release();
  }
};

TEST(EnumUnknown, HandsOutReferencesAndReleasesItsOwn) {
  com::Ptr<Counted> a = com::makeObject<Counted>();
  com::Ptr<Counted> b = com::makeObject<Counted>();
  com::Ptr<IEnumUnknown> objects;
  ASSERT_EQ(com::EnumUnknown::create({com::Ptr<IUnknown>(a->identity()), com::Ptr<IUnknown>(b->identity())},
                                     objects.put()),
            S_OK);
  EXPECT_EQ(a->references(), 2u);

  IUnknown* fetched[2] = {};
  ULONG count = 0;
  ASSERT_EQ(objects->Next(2, fetched, &count), S_OK);
  ASSERT_EQ(count, 2u);
  EXPECT_EQ(fetched[0], a->identity());
  EXPECT_EQ(fetched[1], b->identity());
  EXPECT_EQ(a->references(), 3u);
  fetched[0]->Release();
  fetched[1]->Release();

  objects.reset();
  EXPECT_EQ(a->references(), 1u);
  EXPECT_EQ(b->references(), 1u);
}

TEST(EnumFORMATETC, CopiesTheTargetDeviceForEachCaller) {
  struct Device {
    DVTARGETDEVICE header;
    BYTE rest[7];
  } device{};
  device.header.tdSize = sizeof device;
  device.rest[6] = 0x5A;
  FORMATETC withDevice{0xC001, &device.header, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  FORMATETC plain{0xC002, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};

  com::Ptr<IEnumFORMATETC> formats;
  ASSERT_EQ(
      com::EnumFORMATETC::create({com::StoredFormat(withDevice), com::StoredFormat(plain)}, formats.put()),
      S_OK);
  device.rest[6] = 0;  // the enumerator kept its own copy

  FORMATETC out[2];
  ULONG count = 0;
  ASSERT_EQ(formats->Next(2, out, &count), S_OK);
  EXPECT_EQ(out[0].cfFormat, 0xC001);
  ASSERT_NE(out[0].ptd, nullptr);
  EXPECT_NE(out[0].ptd, &device.header);
  EXPECT_EQ(out[0].ptd->tdSize, sizeof device);
  EXPECT_EQ(reinterpret_cast<Device*>(out[0].ptd)->rest[6], 0x5A);
  EXPECT_EQ(out[1].ptd, nullptr);
  EXPECT_EQ(out[1].tymed, static_cast<DWORD>(TYMED_HGLOBAL));
  CoTaskMemFree(out[0].ptd);
}

TEST(EnumGUID, CopiesIdentifiers) {
  com::Ptr<IEnumGUID> guids;
  ASSERT_EQ(com::EnumGUID::create({IID_IUnknown, IID_IEnumGUID}, guids.put()), S_OK);
  GUID out[3];
  ULONG fetched = 0;
  EXPECT_EQ(guids->Next(3, out, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 2u);
  EXPECT_EQ(out[0], IID_IUnknown);
  EXPECT_EQ(out[1], IID_IEnumGUID);
}

}  // namespace
