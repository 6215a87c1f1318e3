// The exporter's tables and the rules for keeping and releasing objects.

#include "dcom/exporter.h"

#include <algorithm>
#include <cstring>

namespace dcom {
namespace {

std::uint64_t randomNonZero(std::mt19937_64& random) {
  std::uint64_t value = 0;
  while (value == 0) value = random();
  return value;
}

std::mt19937_64 seededRandom() {
  std::random_device source;
  std::seed_seq seed{source(), source(), source(), source()};
  return std::mt19937_64(seed);
}

Ipid newIpid() {
  Ipid ipid{};
  CoCreateGuid(&ipid);
  return ipid;
}

// Whether sequence is newer than last, in the 16-bit circle of numbers.
bool isNewer(std::uint16_t sequence, std::uint16_t last) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(sequence - last)) > 0;
}

}  // namespace

bool Exporter::lessIpid(const Ipid& a, const Ipid& b) { return std::memcmp(&a, &b, sizeof(Ipid)) < 0; }

Exporter::Exporter(ExporterSettings settings, Clock clock)
    : settings_(std::move(settings)),
      clock_(std::move(clock)),
      oxid_([] {
        auto random = seededRandom();
        return randomNonZero(random);
      }()),
      remUnknown_(newIpid()),
      random_(seededRandom()) {}

Exporter::~Exporter() {
  std::vector<com::Ptr<IUnknown>> released;
  std::lock_guard lock(mutex_);
  for (auto& [ipid, entry] : interfaces_) released.push_back(std::move(entry.pointer));
  for (auto& [oid, object] : objects_) released.push_back(std::move(object.identity));
  interfaces_.clear();
  objects_.clear();
}

std::chrono::steady_clock::duration Exporter::window() const {
  return std::chrono::duration_cast<std::chrono::steady_clock::duration>(settings_.pingPeriod) *
         std::max(1u, settings_.missedPings);
}

std::uint64_t Exporter::newIdLocked() {
  for (;;) {
    std::uint64_t id = randomNonZero(random_);
    if (!objects_.count(id) && !sets_.count(id)) return id;
  }
}

void Exporter::exportLocked(com::Ptr<IUnknown>& identity, com::Ptr<IUnknown>& pointer, REFIID iid,
                            const std::string& owner, std::uint32_t refs, bool noPing, StdObjRef& out) {
  const auto key = std::make_pair(identity.get(), owner);
  Oid oid = 0;
  auto known = identities_.find(key);
  if (known != identities_.end()) {
    oid = known->second;
  } else {
    oid = newIdLocked();
    Object object;
    object.identity = std::move(identity);
    object.owner = owner;
    object.noPing = noPing;
    objects_.emplace(oid, std::move(object));
    identities_.emplace(key, oid);
  }
  Object& object = objects_.at(oid);
  // A client that was just handed a reference gets a full window to add the
  // object to a ping set.
  object.lastKept = clock_();
  Ipid ipid{};
  bool found = false;
  for (const Ipid& candidate : object.interfaces) {
    if (interfaces_.at(candidate).iid == iid) {
      ipid = candidate;
      found = true;
      break;
    }
  }
  if (!found) {
    ipid = newIpid();
    Interface entry;
    entry.oid = oid;
    entry.iid = iid;
    entry.pointer = std::move(pointer);
    interfaces_.emplace(ipid, std::move(entry));
    object.interfaces.insert(ipid);
  }
  interfaces_.at(ipid).publicRefs += refs;
  out = {object.noPing ? kSorfNoPing : 0, refs, oxid_, oid, ipid};
}

HRESULT Exporter::exportInterface(IUnknown* object, REFIID iid, const std::string& owner, std::uint32_t refs,
                                  StdObjRef& out, bool noPing) {
  if (!object) return E_POINTER;
  if (refs == 0) refs = settings_.publicRefsPerMarshal;
  // The objects are asked outside the lock: they may call back.
  com::Ptr<IUnknown> identity, pointer;
  HRESULT hr = object->QueryInterface(IID_IUnknown, identity.putVoid());
  if (FAILED(hr)) return hr;
  hr = object->QueryInterface(iid, pointer.putVoid());
  if (FAILED(hr)) return hr;
  std::lock_guard lock(mutex_);
  exportLocked(identity, pointer, iid, owner, refs, noPing, out);
  return S_OK;
}

ObjRef Exporter::objRefFor(const StdObjRef& std, REFIID iid) const {
  ObjRef ref;
  ref.kind = kObjRefStandard;
  ref.iid = iid;
  ref.std = std;
  ref.resolverAddress = settings_.resolverBindings;
  return ref;
}

HRESULT Exporter::marshal(IUnknown* object, REFIID iid, const std::string& owner, std::vector<std::uint8_t>& objref) {
  StdObjRef std;
  HRESULT hr = exportInterface(object, iid, owner, 0, std);
  if (FAILED(hr)) return hr;
  objref = encodeObjRef(objRefFor(std, iid));
  return S_OK;
}

HRESULT Exporter::resolve(const Ipid& ipid, const std::string& caller, Target& out) {
  std::lock_guard lock(mutex_);
  auto found = interfaces_.find(ipid);
  if (found == interfaces_.end()) return kRpcEInvalidIpid;
  if (objects_.at(found->second.oid).owner != caller) return E_ACCESSDENIED;
  out.object = found->second.pointer;
  out.iid = found->second.iid;
  out.oid = found->second.oid;
  return S_OK;
}

HRESULT Exporter::remQueryInterface(const Ipid& ipid, std::uint32_t refs, const std::vector<IID>& iids,
                                    const std::string& caller, std::vector<RemQiResult>& results) {
  results.assign(iids.size(), RemQiResult{E_NOINTERFACE, {}});
  com::Ptr<IUnknown> identity;
  bool noPing = false;
  {
    std::lock_guard lock(mutex_);
    auto found = interfaces_.find(ipid);
    if (found == interfaces_.end()) return kRpcEInvalidObject;
    const Object& object = objects_.at(found->second.oid);
    if (object.owner != caller) return E_ACCESSDENIED;
    identity = object.identity;
    noPing = object.noPing;
  }
  if (refs == 0) refs = 1;
  bool any = false;
  for (std::size_t i = 0; i < iids.size(); ++i) {
    com::Ptr<IUnknown> pointer;
    com::Ptr<IUnknown> key = identity;
    results[i].result = identity->QueryInterface(iids[i], pointer.putVoid());
    if (FAILED(results[i].result)) continue;
    std::lock_guard lock(mutex_);
    exportLocked(key, pointer, iids[i], caller, refs, noPing, results[i].std);
    any = true;
  }
  return any || iids.empty() ? S_OK : E_NOINTERFACE;
}

HRESULT Exporter::remAddRef(const std::vector<RemInterfaceRef>& refs, const std::string& caller,
                            std::vector<HRESULT>& results) {
  results.assign(refs.size(), S_OK);
  HRESULT overall = S_OK;
  std::lock_guard lock(mutex_);
  for (std::size_t i = 0; i < refs.size(); ++i) {
    auto found = interfaces_.find(refs[i].ipid);
    if (found == interfaces_.end()) {
      results[i] = kCoEObjNotReg;
    } else if (objects_.at(found->second.oid).owner != caller) {
      results[i] = E_ACCESSDENIED;
    } else {
      found->second.publicRefs += refs[i].publicRefs;
      if (refs[i].privateRefs) found->second.privateRefs[caller] += refs[i].privateRefs;
    }
    if (FAILED(results[i]) && SUCCEEDED(overall)) overall = results[i];
  }
  return overall;
}

HRESULT Exporter::remRelease(const std::vector<RemInterfaceRef>& refs, const std::string& caller) {
  std::vector<com::Ptr<IUnknown>> released;
  HRESULT overall = S_OK;
  std::lock_guard lock(mutex_);
  for (const RemInterfaceRef& ref : refs) {
    auto found = interfaces_.find(ref.ipid);
    if (found == interfaces_.end() || objects_.at(found->second.oid).owner != caller) {
      overall = E_INVALIDARG;
      continue;
    }
    Interface& entry = found->second;
    entry.publicRefs -= std::min<std::uint64_t>(entry.publicRefs, ref.publicRefs);
    // Private references count only against the caller that took them.
    auto own = entry.privateRefs.find(caller);
    if (own != entry.privateRefs.end()) {
      own->second -= std::min<std::uint64_t>(own->second, ref.privateRefs);
      if (own->second == 0) entry.privateRefs.erase(own);
    }
    if (entry.publicRefs == 0 && entry.privateRefs.empty()) dropInterfaceLocked(ref.ipid, released);
  }
  return overall;
}

HRESULT Exporter::remQueryInterface2(const Ipid& ipid, const std::vector<IID>& iids, const std::string& caller,
                                     std::vector<HRESULT>& results,
                                     std::vector<std::unique_ptr<ndr::InterfacePointer>>& interfaces) {
  std::vector<RemQiResult> answers;
  HRESULT hr = remQueryInterface(ipid, settings_.publicRefsPerMarshal, iids, caller, answers);
  results.assign(iids.size(), hr);
  interfaces.clear();
  interfaces.resize(iids.size());
  if (hr == kRpcEInvalidObject || hr == E_ACCESSDENIED) return hr;
  for (std::size_t i = 0; i < iids.size(); ++i) {
    results[i] = answers[i].result;
    if (FAILED(answers[i].result)) continue;
    interfaces[i] = std::make_unique<ndr::InterfacePointer>();
    interfaces[i]->data = encodeObjRef(objRefFor(answers[i].std, iids[i]));
  }
  return hr;
}

void Exporter::dropInterfaceLocked(const Ipid& ipid, std::vector<com::Ptr<IUnknown>>& released) {
  auto found = interfaces_.find(ipid);
  if (found == interfaces_.end()) return;
  const Oid oid = found->second.oid;
  released.push_back(std::move(found->second.pointer));
  interfaces_.erase(found);
  auto object = objects_.find(oid);
  if (object == objects_.end()) return;
  object->second.interfaces.erase(ipid);
  if (object->second.interfaces.empty()) dropObjectLocked(oid, released);
}

void Exporter::dropObjectLocked(Oid oid, std::vector<com::Ptr<IUnknown>>& released) {
  auto found = objects_.find(oid);
  if (found == objects_.end()) return;
  Object& object = found->second;
  for (const Ipid& ipid : object.interfaces) {
    auto entry = interfaces_.find(ipid);
    if (entry == interfaces_.end()) continue;
    released.push_back(std::move(entry->second.pointer));
    interfaces_.erase(entry);
  }
  identities_.erase(std::make_pair(object.identity.get(), object.owner));
  released.push_back(std::move(object.identity));
  objects_.erase(found);
}

std::uint32_t Exporter::simplePing(SetId set, const std::string& caller) {
  std::lock_guard lock(mutex_);
  auto found = sets_.find(set);
  if (found == sets_.end()) return kOrInvalidSet;
  if (found->second.owner != caller) return 5;  // ERROR_ACCESS_DENIED
  found->second.lastPing = clock_();
  return 0;
}

std::uint32_t Exporter::complexPing(SetId& set, std::uint16_t sequence, const std::vector<Oid>& add,
                                    const std::vector<Oid>& remove, const std::string& caller) {
  std::lock_guard lock(mutex_);
  const auto now = clock_();
  PingSet* target = nullptr;
  if (set == 0) {
    set = newIdLocked();
    PingSet fresh;
    fresh.owner = caller;
    fresh.sequence = sequence;
    fresh.lastPing = now;
    target = &sets_.emplace(set, std::move(fresh)).first->second;
  } else {
    auto found = sets_.find(set);
    if (found == sets_.end()) return kOrInvalidSet;
    target = &found->second;
    if (target->owner != caller) return 5;  // ERROR_ACCESS_DENIED
    // A late or replayed call changes nothing.
    if (!isNewer(sequence, target->sequence)) return 0;
    target->sequence = sequence;
    target->lastPing = now;
  }
  std::uint32_t status = 0;
  for (Oid oid : add) {
    auto object = objects_.find(oid);
    if (object == objects_.end() || object->second.owner != caller) {
      status = kOrInvalidOid;
      continue;
    }
    if (target->oids.insert(oid).second) ++object->second.setRefs;
  }
  for (Oid oid : remove) {
    if (!target->oids.erase(oid)) continue;
    auto object = objects_.find(oid);
    if (object == objects_.end()) continue;
    --object->second.setRefs;
    object->second.lastKept = now;
  }
  return status;
}

std::size_t Exporter::expire() {
  std::vector<com::Ptr<IUnknown>> released;
  std::lock_guard lock(mutex_);
  const auto now = clock_();
  const auto limit = window();
  for (auto set = sets_.begin(); set != sets_.end();) {
    if (now - set->second.lastPing <= limit) {
      ++set;
      continue;
    }
    for (Oid oid : set->second.oids) {
      auto object = objects_.find(oid);
      if (object == objects_.end()) continue;
      --object->second.setRefs;
      object->second.lastKept = std::max(object->second.lastKept, set->second.lastPing);
    }
    set = sets_.erase(set);
  }
  std::vector<Oid> lapsed;
  for (const auto& [oid, object] : objects_) {
    if (!object.noPing && object.setRefs == 0 && now - object.lastKept > limit) lapsed.push_back(oid);
  }
  for (Oid oid : lapsed) dropObjectLocked(oid, released);
  return lapsed.size();
}

std::size_t Exporter::objectCount() const {
  std::lock_guard lock(mutex_);
  return objects_.size();
}

std::size_t Exporter::interfaceCount() const {
  std::lock_guard lock(mutex_);
  return interfaces_.size();
}

std::size_t Exporter::setCount() const {
  std::lock_guard lock(mutex_);
  return sets_.size();
}

bool Exporter::hasObject(Oid oid) const {
  std::lock_guard lock(mutex_);
  return objects_.count(oid) != 0;
}

ExpiryTimer::ExpiryTimer(Exporter& exporter, std::chrono::milliseconds interval)
    : exporter_(exporter), interval_(interval), thread_([this] {
        std::unique_lock lock(mutex_);
        while (!wake_.wait_for(lock, interval_, [this] { return stop_; })) {
          lock.unlock();
          exporter_.expire();
          lock.lock();
        }
      }) {}

ExpiryTimer::~ExpiryTimer() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

}  // namespace dcom
