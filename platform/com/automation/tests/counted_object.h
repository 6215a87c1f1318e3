#pragma once

// A COM object for tests that only counts its references, so a test can see
// that values AddRef what they copy and Release what they drop.

#include "com/unknown.h"

namespace com::automation::testing {

class CountedObject : public IDispatch {
 public:
  // Supports IUnknown and, when asked for, IDispatch.
  explicit CountedObject(bool isDispatch = true) : isDispatch_(isDispatch) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || (isDispatch_ && riid == IID_IDispatch)) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }

  // References beyond the one the test itself holds.
  ULONG extraReferences() const { return references_ - 1; }

 private:
  bool isDispatch_;
  ULONG references_ = 1;
};

}  // namespace com::automation::testing
