// Remote objects: one identity per OID, interface proxies made on demand,
// the remote references they hold given back when the last local reference
// goes.

#include <sys/random.h>

#include "runtime_internal.h"

namespace dcom::client {
namespace {

std::mutex& registryMutex() {
  static std::mutex mutex;
  return mutex;
}
std::vector<std::pair<IID, ProxyFactory>>& registry() {
  static std::vector<std::pair<IID, ProxyFactory>> factories;  // guarded by registryMutex()
  return factories;
}

// Public references asked for with each interface a QueryInterface fetches.
constexpr std::uint32_t kRefsPerInterface = 5;

// The channel of one interface proxy.
class ObjectChannel final : public Channel, public ndr::InterfaceMarshaler {
public:
  ObjectChannel(RemoteObject& object, std::shared_ptr<Runtime> runtime, IID iid, Ipid ipid)
      : object_(object), runtime_(std::move(runtime)), iid_(iid), ipid_(ipid) {}

  HRESULT call(std::uint16_t opnum, std::span<const std::uint8_t> request,
               std::vector<std::uint8_t>& response) override {
    auto result = object_.machine().objectCall(object_.oxid(), ipid_, iid_, opnum, request);
    if (result.status != rpc::ClientStatus::Ok) return hresultOf(result.status, result.faultStatus);
    response = std::move(result.stub);
    return S_OK;
  }
  ndr::InterfaceMarshaler& marshaler() override { return *this; }
  IUnknown* identity() override { return &object_; }

  // Local objects cannot be handed to the server until it can call back.
  HRESULT marshal(IUnknown*, REFIID, std::vector<std::uint8_t>&) override { return E_NOTIMPL; }
  HRESULT unmarshal(std::span<const std::uint8_t> objref, REFIID iid, IUnknown** object) override {
    std::shared_ptr<Machine> machine = runtime_->machine(object_.machine().host());
    return runtime_->unmarshal(machine, objref, iid, reinterpret_cast<void**>(object));
  }

private:
  RemoteObject& object_;
  std::shared_ptr<Runtime> runtime_;
  const IID iid_;
  const Ipid ipid_;
};

}  // namespace

OrpcThis orpcThis() {
  // Causality ids only need to differ between calls: a random base per
  // thread and a counter, without a system call per call.
  thread_local GUID base = [] {
    GUID random{};
    if (::getrandom(&random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) random = GUID{};
    return random;
  }();
  thread_local std::uint32_t counter = 0;
  OrpcThis value;
  value.version = kServerVersion;
  value.cid = base;
  value.cid.Data1 ^= ++counter;
  return value;
}

void registerProxy(const IID& iid, ProxyFactory factory) {
  std::lock_guard lock(registryMutex());
  for (auto& [known, existing] : registry()) {
    if (IsEqualIID(known, iid)) {
      existing = factory;
      return;
    }
  }
  registry().emplace_back(iid, factory);
}

ProxyFactory proxyFor(const IID& iid) {
  std::lock_guard lock(registryMutex());
  for (const auto& [known, factory] : registry()) {
    if (IsEqualIID(known, iid)) return factory;
  }
  return nullptr;
}

RemoteObject::RemoteObject(std::shared_ptr<Runtime> runtime, std::shared_ptr<Machine> machine, Oxid oxid, Oid oid,
                           bool pinged)
    : runtime_(std::move(runtime)), machine_(std::move(machine)), oxid_(oxid), oid_(oid), pinged_(pinged) {
  if (pinged_) runtime_->pinger().add(machine_, oid_);
}

RemoteObject::~RemoteObject() {
  std::vector<RemInterfaceRef> refs;
  for (const auto& entry : entries_) {
    if (entry.refs > 0) refs.push_back({entry.ipid, entry.refs, 0});
  }
  // Sent in the background: a client letting go of an object must not wait
  // for a machine that may not answer.
  if (!refs.empty()) runtime_->pinger().release(machine_, oxid_, std::move(refs));
  if (pinged_) runtime_->pinger().remove(machine_, oid_);
}

HRESULT RemoteObject::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(riid, IID_IUnknown)) {
    *object = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  {
    std::lock_guard lock(mutex_);
    for (auto& entry : entries_) {
      if (IsEqualIID(entry.iid, riid) && entry.proxy) {
        *object = entry.proxy->pointer();
        AddRef();
        return S_OK;
      }
    }
  }
  if (!proxyFor(riid)) return E_NOINTERFACE;
  return queryRemote(riid, object);
}

HRESULT RemoteObject::queryRemote(REFIID riid, void** object) {
  Ipid known{};
  {
    std::lock_guard lock(mutex_);
    if (entries_.empty()) return E_NOINTERFACE;
    known = entries_.front().ipid;
  }
  RemQueryInterfaceIn in;
  in.orpcThis = orpcThis();
  in.ipid = known;
  in.refs = kRefsPerInterface;
  in.iids = {riid};
  std::vector<std::uint8_t> request;
  ndr::encode(request, [&](auto& w) { walkIn(w, in); });
  auto result = machine_->remUnknownCall(oxid_, RemUnknownOp::remQueryInterface, request);
  if (result.status != rpc::ClientStatus::Ok) return hresultOf(result.status, result.faultStatus);
  RemQueryInterfaceOut out;
  if (ndr::decode(result.stub, [&](auto& w) { walkOut(w, out, std::uint16_t{1}); })) {
    return static_cast<HRESULT>(0x800706F7);
  }
  if (FAILED(out.result) && out.results.empty()) return out.result;
  if (out.results.size() != 1) return static_cast<HRESULT>(0x800706F7);
  if (FAILED(out.results[0].result)) return out.results[0].result;
  return adopt(riid, out.results[0].std.ipid, out.results[0].std.publicRefs, object);
}

HRESULT RemoteObject::adopt(REFIID iid, const Ipid& ipid, std::uint32_t refs, void** object) {
  std::unique_lock lock(mutex_);
  for (auto& entry : entries_) {
    if (IsEqualIID(entry.iid, iid)) {
      entry.refs += refs;
      *object = entry.proxy ? entry.proxy->pointer() : static_cast<IUnknown*>(this);
      AddRef();
      return S_OK;
    }
  }
  Entry entry{iid, ipid, refs, nullptr};
  if (!IsEqualIID(iid, IID_IUnknown)) {
    ProxyFactory factory = proxyFor(iid);
    if (!factory) {
      // Without a proxy the interface cannot be used; its references go
      // back at once.
      lock.unlock();
      if (refs > 0) runtime_->pinger().release(machine_, oxid_, {{ipid, refs, 0}});
      return E_NOINTERFACE;
    }
    entry.proxy = factory(std::make_shared<ObjectChannel>(*this, runtime_, iid, ipid));
  }
  *object = entry.proxy ? entry.proxy->pointer() : static_cast<IUnknown*>(this);
  entries_.push_back(std::move(entry));
  AddRef();
  return S_OK;
}

ULONG RemoteObject::AddRef() { return references_.fetch_add(1, std::memory_order_relaxed) + 1; }

bool RemoteObject::tryAddRef() {
  ULONG current = references_.load(std::memory_order_relaxed);
  while (current != 0) {
    if (references_.compare_exchange_weak(current, current + 1, std::memory_order_acq_rel)) return true;
  }
  return false;
}

ULONG RemoteObject::Release() {
  ULONG left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (left == 0) {
    runtime_->forget(this, machine_.get(), oid_);
    delete this;
  }
  return left;
}

}  // namespace dcom::client
