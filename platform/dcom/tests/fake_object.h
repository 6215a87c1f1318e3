#pragma once

// A COM object for the exporter's tests: it answers IUnknown and one more
// interface, and counts its references, so a test sees when the exporter
// lets go of it.

#include <atomic>

#include "com/unknown.h"

namespace dcom::testing {

DEFINE_GUID(kIidSampleItf, 0x39C13A4D, 0x011E, 0x11D0, 0x96, 0x75, 0x00, 0x20, 0xAF, 0xD8, 0xAD, 0xB3);
DEFINE_GUID(kIidMissing, 0x12345678, 0x1234, 0x1234, 0x12, 0x34, 0x12, 0x34, 0x12, 0x34, 0x12, 0x34);

class FakeObject : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid != IID_IUnknown && iid != kIidSampleItf) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    *out = static_cast<IUnknown*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
  // References beyond the one the test holds.
  ULONG held() const { return refs_ - 1; }

 private:
  std::atomic<ULONG> refs_{1};
};

}  // namespace dcom::testing
