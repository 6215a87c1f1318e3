// A small in-process server for the activation tests: one class, TestWidget,
// that implements IPersistFile (and so IPersist) and registers a ProgID, a
// version-independent ProgID, a category and one extra value.

#include "com/allocator.h"
#include "com/class_factory.h"
#include "com/interfaces/persist.h"
#include "com/server.h"
#include "test_server_ids.h"

namespace {

class Widget final : public com::Object<Widget, IPersistFile> {
 public:
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override {
    if (clsid == nullptr) return E_POINTER;
    *clsid = CLSID_TestWidget;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE Load(LPCOLESTR, DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Save(LPCOLESTR, BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SaveCompleted(LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR* fileName) override {
    if (fileName == nullptr) return E_POINTER;
    *fileName = static_cast<LPOLESTR>(CoTaskMemAlloc(sizeof(OLECHAR)));
    if (*fileName == nullptr) return E_OUTOFMEMORY;
    **fileName = u'\0';
    return S_FALSE;
  }
};

const std::vector<com::ServerClass>& serverClasses() {
  static const std::vector<com::ServerClass> classes = {{
      .clsid = CLSID_TestWidget,
      .description = "Velmora Test Widget",
      .progId = kTestWidgetProgId,
      .versionIndependentProgId = kTestWidgetIndependentProgId,
      .implementedCategories = {CATID_TestCategory},
      .extraValues = {{kTestWidgetExtraKey, "Colour", "blue"}},
  }};
  return classes;
}

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object) {
  if (IsEqualCLSID(clsid, CLSID_TestWidget)) return com::ClassFactory<Widget>::create(riid, object);
  if (object != nullptr) *object = nullptr;
  return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return com::Module::canUnloadNow(); }
STDAPI DllRegisterServer() { return com::registerServer(serverClasses()); }
STDAPI DllUnregisterServer() { return com::unregisterServer(serverClasses()); }
