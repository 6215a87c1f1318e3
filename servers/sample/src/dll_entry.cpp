// The entries of the sample server library (libpelkor_datasample.so): the
// class objects of the registered classes, whether the library may be
// unloaded, and its registration.

#include <string>

#include "com/object.h"
#include "com/server.h"
#include "opc/categories.h"
#include "server_classes.h"
#include "server_core.h"
#include "server_factory.h"

namespace sample {
namespace {

// The class object of one registered class: makes servers with the class's
// options.
class SampleClassFactory final : public com::Object<SampleClassFactory, IClassFactory> {
 public:
  explicit SampleClassFactory(const SampleClass& sampleClass) : class_(sampleClass) {}

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return createSampleServer(optionsFor(class_), riid, object, class_.clsid);
  }

  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      com::Module::lock();
    } else {
      com::Module::unlock();
    }
    return S_OK;
  }

 private:
  const SampleClass& class_;
};

std::vector<com::ServerClass> registrations() {
  std::vector<com::ServerClass> all;
  for (const auto& sampleClass : sampleClasses()) {
    com::ServerClass registration;
    registration.clsid = sampleClass.clsid;
    registration.description = sampleClass.description;
    registration.versionIndependentProgId = sampleClass.progId;
    registration.progId = std::string(sampleClass.progId) + ".1";
    registration.implementedCategories = {CATID_OPCDAServer10, CATID_OPCDAServer20};
    // Clients on other machines reach the sample through the DCOM host.
    registration.surrogate = true;
    // The mark by which OPC Data Access 1.0 clients find servers in the
    // registry.
    registration.extraValues = {{std::string(sampleClass.progId) + "\\OPC", "Vendor", "Pelkor"}};
    all.push_back(std::move(registration));
  }
  return all;
}

}  // namespace
}  // namespace sample

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  const sample::SampleClass* sampleClass = sample::findSampleClass(clsid);
  if (sampleClass == nullptr) return CLASS_E_CLASSNOTAVAILABLE;
  com::Ptr<sample::SampleClassFactory> factory = com::makeObject<sample::SampleClassFactory>(*sampleClass);
  if (!factory) return E_OUTOFMEMORY;
  return factory->QueryInterface(riid, object);
}

STDAPI DllCanUnloadNow() {
  // An update thread that is still ending runs code of this library.
  return com::Module::canUnload() && sample::liveUpdateThreads() == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
  try {
    return com::registerServer(sample::registrations());
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

STDAPI DllUnregisterServer() {
  try {
    return com::unregisterServer(sample::registrations());
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}
