#pragma once

// com::ClassFactory<T>: the IClassFactory of a class T built on com::Object.
// A server's DllGetClassObject hands one out per class:
//
//   STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
//     if (IsEqualCLSID(clsid, CLSID_Sample)) return com::ClassFactory<Sample>::create(riid, object);
//     if (object != nullptr) *object = nullptr;
//     return CLASS_E_CLASSNOTAVAILABLE;
//   }
//
// T is default-constructed. If T has a member `HRESULT initialize()`, it runs
// after construction and its failure is the result of CreateInstance.
// Aggregation is not supported (CLASS_E_NOAGGREGATION).

#include <concepts>

#include "com/interfaces/class_factory.h"
#include "com/object.h"

namespace com {

template <class T>
concept HasInitialize = requires(T& object) {
  { object.initialize() } -> std::same_as<HRESULT>;
};

template <class T>
class ClassFactory final : public Object<ClassFactory<T>, IClassFactory> {
 public:
  static HRESULT create(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    Ptr<ClassFactory> factory = makeObject<ClassFactory>();
    if (!factory) return E_OUTOFMEMORY;
    return factory->QueryInterface(riid, object);
  }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    Ptr<T> instance = makeObject<T>();
    if (!instance) return E_OUTOFMEMORY;
    if constexpr (HasInitialize<T>) {
      HRESULT hr = instance->initialize();
      if (FAILED(hr)) return hr;
    }
    return instance->QueryInterface(riid, object);
  }

  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      Module::lock();
    } else {
      Module::unlock();
    }
    return S_OK;
  }
};

}  // namespace com
