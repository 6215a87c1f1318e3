#pragma once
// What an interface proxy is made of. A remote object is one COM identity
// (its IUnknown) with one proxy per interface in use; each proxy implements
// its interface by encoding the method's [in] parameters with the method's
// description (walkIn), sending them through its Channel and decoding the
// answer (walkOut). Proxies are registered per IID; an interface without a
// registered proxy is not offered by remote objects (E_NOINTERFACE).

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "com/unknown.h"
#include "dcom/orpc.h"
#include "ndr/ole.h"
#include "ndr/walker.h"

namespace dcom::client {

// The way from one proxy to its remote interface.
class Channel {
public:
  virtual ~Channel() = default;
  // Sends a request stub (ORPCTHIS first) for opnum and returns the response
  // stub; a failed call returns its COM code (server unavailable, access
  // denied) and leaves response empty.
  virtual HRESULT call(std::uint16_t opnum, std::span<const std::uint8_t> request,
                       std::vector<std::uint8_t>& response) = 0;
  // Turns interfaces in parameters into OBJREFs and back.
  virtual ndr::InterfaceMarshaler& marshaler() = 0;
  // The remote object's identity: every proxy's IUnknown answers for it.
  virtual IUnknown* identity() = 0;
};

// The ORPCTHIS every call starts with: this side's version and a fresh
// causality id.
OrpcThis orpcThis();

// Calls opnum with the request encodeIn(walker) writes and decodes the
// answer with decodeOut(walker). Answers that do not decode give
// RPC_X_BAD_STUB_DATA as an HRESULT; otherwise the call's HRESULT is S_OK and
// what decodeOut filled holds the method's own result.
template <class EncodeIn, class DecodeOut>
HRESULT callMethod(Channel& channel, std::uint16_t opnum, EncodeIn&& encodeIn, DecodeOut&& decodeOut) {
  std::vector<std::uint8_t> request;
  if (ndr::encode(request, encodeIn, &channel.marshaler())) return E_INVALIDARG;
  std::vector<std::uint8_t> response;
  HRESULT hr = channel.call(opnum, request, response);
  if (FAILED(hr)) return hr;
  if (ndr::decode(response, decodeOut, nullptr, &channel.marshaler())) {
    return static_cast<HRESULT>(0x800706F7);  // RPC_X_BAD_STUB_DATA
  }
  return S_OK;
}

// The usual case: in walked by walkIn (with a fresh ORPCTHIS), out by
// walkOut with the extra arguments (such as the count of a returned array).
template <class In, class Out, class... Extra>
HRESULT invoke(Channel& channel, std::uint16_t opnum, In& in, Out& out, Extra&&... extra) {
  in.orpcThis = orpcThis();
  return callMethod(
      channel, opnum, [&](auto& w) { walkIn(w, in); }, [&](auto& w) { walkOut(w, out, extra...); });
}

// The base of every interface proxy: its lifetime is its remote object's.
class ProxyBase {
public:
  virtual ~ProxyBase() = default;
  // The interface pointer handed out for the proxy's IID.
  virtual IUnknown* pointer() = 0;
};

// Implements IUnknown for a proxy of Interface by handing every call to the
// remote object's identity.
template <class Interface>
class InterfaceProxy : public ProxyBase, public Interface {
public:
  explicit InterfaceProxy(std::shared_ptr<Channel> channel) : channel_(std::move(channel)) {}
  IUnknown* pointer() override { return static_cast<Interface*>(this); }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    return channel_->identity()->QueryInterface(riid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return channel_->identity()->AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return channel_->identity()->Release(); }

protected:
  Channel& channel() { return *channel_; }

private:
  std::shared_ptr<Channel> channel_;
};

using ProxyFactory = std::unique_ptr<ProxyBase> (*)(std::shared_ptr<Channel> channel);

// Registers the proxy of an interface for the whole process (before remote
// objects are used).
void registerProxy(const IID& iid, ProxyFactory factory);
ProxyFactory proxyFor(const IID& iid);

}  // namespace dcom::client
