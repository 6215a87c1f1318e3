// Feeds arbitrary bytes to the decoders of what DCOM peers send: NDR values,
// the OLE wire types, OBJREFs, activation property blobs, the request stubs
// of the system interfaces, and those stubs through the interfaces'
// handlers (which activate a stand-in class). The first byte picks the
// decoder, the rest is its input. Whatever the input, a decoder returns a value or an error
// and leaves nothing allocated behind.

#include <cstddef>
#include <cstdint>
#include <span>

#include "dcom/activation_properties.h"
#include "dcom/methods.h"
#include "dcom/objref.h"
#include "dcom/service.h"
#include "ndr/ole.h"

namespace {

void decodeVariants(std::span<const std::uint8_t> data) {
  VARIANT values[2];
  VariantInit(&values[0]);
  VariantInit(&values[1]);
  ndr::decode(data, [&](auto& w) {
    w.param(values[0]);
    w.param(values[1]);
  });
  VariantClear(&values[0]);
  VariantClear(&values[1]);
}

void decodeStrings(std::span<const std::uint8_t> data) {
  BSTR text = nullptr;
  std::u16string wide;
  std::vector<std::uint32_t> numbers;
  ndr::decode(data, [&](auto& w) {
    ndr::bstr(w, text);
    w.wideString(wide);
    w.conformantArray(numbers, 4);
  });
  SysFreeString(text);
}

void decodeObjRef(std::span<const std::uint8_t> data) {
  auto ref = dcom::decodeObjRef(data);
  if (ref && ref->kind == dcom::kObjRefCustom) {
    dcom::ActivationProperties properties;
    dcom::decodeActivationProperties(ref->objectData, properties);
  }
}

void decodeActivationBlob(std::span<const std::uint8_t> data) {
  dcom::ActivationProperties properties;
  dcom::decodeActivationProperties(data, properties);
}

template <class T>
void decodeRequest(std::span<const std::uint8_t> data) {
  T in;
  ndr::decode(data, [&](auto& w) { walkIn(w, in); });
}

// A class every CLSID names, whose objects answer IUnknown only.
class AnyClass : public dcom::ClassProvider {
 public:
  HRESULT createInstance(REFCLSID, const std::string&, IUnknown** object) override {
    *object = new Object;
    return S_OK;
  }
  HRESULT getClassObject(REFCLSID clsid, const std::string& user, IUnknown** factory) override {
    return createInstance(clsid, user, factory);
  }

 private:
  struct Object final : IUnknown {
    ULONG refs = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
      if (iid != IID_IUnknown) {
        *out = nullptr;
        return E_NOINTERFACE;
      }
      AddRef();
      *out = this;
      return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override {
      if (--refs == 0) {
        delete this;
        return 0;
      }
      return refs;
    }
  };
};

// The stub through one system interface's handler; the opnum is the
// input's first byte.
void callHandler(int which, std::span<const std::uint8_t> data) {
  if (data.empty()) return;
  auto exporter = std::make_shared<dcom::Exporter>(dcom::ExporterSettings{});
  auto classes = std::make_shared<AnyClass>();
  std::shared_ptr<rpc::InterfaceHandler> handler;
  switch (which) {
    case 0: handler = dcom::makeScmActivatorHandler(exporter, classes, {}); break;
    case 1: handler = dcom::makeActivationHandler(exporter, classes, {}); break;
    case 2: handler = dcom::makeResolverHandler(exporter, {}); break;
    default: handler = dcom::makeRemUnknownHandler(exporter); break;
  }
  rpc::CallContext context;
  context.opnum = data[0] % 8;
  context.localAddress = "127.0.0.1";
  context.object = dcom::toUuid(exporter->remUnknown());
  handler->call(context, data.subspan(1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size == 0) return 0;
  std::span<const std::uint8_t> data(bytes + 1, size - 1);
  switch (bytes[0] % 15) {
    case 0: decodeVariants(data); break;
    case 1: decodeStrings(data); break;
    case 2: decodeObjRef(data); break;
    case 3: decodeActivationBlob(data); break;
    case 4: decodeRequest<dcom::RemoteCreateInstanceIn>(data); break;
    case 5: decodeRequest<dcom::RemoteActivationIn>(data); break;
    case 6: decodeRequest<dcom::ResolveOxidIn>(data); break;
    case 7: decodeRequest<dcom::ComplexPingIn>(data); break;
    case 8: decodeRequest<dcom::RemQueryInterfaceIn>(data); break;
    case 9: decodeRequest<dcom::RemRefsIn>(data); break;
    case 10: decodeRequest<dcom::RemQueryInterface2In>(data); break;
    default: callHandler(bytes[0] % 15 - 11, data); break;
  }
  return 0;
}
