// Keeps the objects this process holds alive on their machines: one ping set
// per machine, changed with ComplexPing when objects come and go and
// confirmed with SimplePing once per period. The same thread gives back the
// references of released objects, so that neither waits on the caller's
// thread for a machine that may not answer.

#include "runtime_internal.h"

namespace dcom::client {

Pinger::Pinger(std::chrono::milliseconds period) : period_(period), thread_([this] { run(); }) {}

Pinger::~Pinger() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void Pinger::add(const std::shared_ptr<Machine>& machine, Oid oid) {
  {
    std::lock_guard lock(mutex_);
    Set& set = sets_[machine.get()];
    set.machine = machine;
    set.removing.erase(oid);
    if (set.oids.insert(oid).second) set.adding.insert(oid);
  }
  wake_.notify_all();
}

void Pinger::remove(const std::shared_ptr<Machine>& machine, Oid oid) {
  {
    std::lock_guard lock(mutex_);
    auto found = sets_.find(machine.get());
    if (found == sets_.end() || found->second.oids.erase(oid) == 0) return;
    // An OID the server never heard of needs no removal.
    if (found->second.adding.erase(oid) == 0) found->second.removing.insert(oid);
  }
  wake_.notify_all();
}

void Pinger::release(const std::shared_ptr<Machine>& machine, Oxid oxid, std::vector<RemInterfaceRef> refs) {
  machine->queueRelease(oxid, std::move(refs));
  {
    std::lock_guard lock(mutex_);
    releases_.push_back(machine);
  }
  wake_.notify_all();
}

void Pinger::flush() {
  std::unique_lock lock(mutex_);
  // A pass that starts after this call has sent everything asked for before.
  std::uint64_t target = passes_ + (busy_ ? 2 : 1);
  flushing_ = true;
  wake_.notify_all();
  idle_.wait(lock, [&] { return passes_ >= target || stopping_; });
}

void Pinger::run() {
  auto nextTick = std::chrono::steady_clock::now() + period_;
  std::unique_lock lock(mutex_);
  for (;;) {
    auto pending = [this] {
      if (flushing_ || !releases_.empty()) return true;
      for (const auto& [key, set] : sets_) {
        if ((!set.adding.empty() || !set.removing.empty()) && !set.failed) return true;
      }
      return false;
    };
    wake_.wait_until(lock, nextTick, [&] { return stopping_ || pending(); });
    if (stopping_) break;
    bool due = std::chrono::steady_clock::now() >= nextTick;
    if (due) nextTick = std::chrono::steady_clock::now() + period_;
    busy_ = true;
    flushing_ = false;
    std::vector<std::shared_ptr<Machine>> releases = std::move(releases_);
    releases_.clear();
    lock.unlock();
    for (auto& machine : releases) machine->sendReleases();
    lock.lock();
    for (auto& [key, set] : sets_) ping(set, due);
    for (auto it = sets_.begin(); it != sets_.end();) {
      it = it->second.oids.empty() && it->second.removing.empty() ? sets_.erase(it) : std::next(it);
    }
    busy_ = false;
    ++passes_;
    idle_.notify_all();
  }
}

// Called with the lock held; lets go of it for the calls.
void Pinger::ping(Set& set, bool due) {
  bool changes = !set.adding.empty() || !set.removing.empty();
  if (!changes && (!due || set.id == 0)) return;
  // After a failure the machine is asked again at the next period only.
  if (set.failed && !due) return;
  std::shared_ptr<Machine> machine = set.machine;
  std::vector<std::uint8_t> request;
  ComplexPingIn complex;
  std::set<Oid> adding, removing;
  if (changes || set.id == 0) {
    adding = set.adding;
    removing = set.removing;
    complex.setId = set.id;
    complex.sequence = ++set.sequence;
    complex.add.assign(adding.begin(), adding.end());
    complex.remove.assign(removing.begin(), removing.end());
    ndr::encode(request, [&](auto& w) { walkIn(w, complex); });
  } else {
    SimplePingIn simple{set.id};
    ndr::encode(request, [&](auto& w) { walkIn(w, simple); });
  }
  auto op = changes || set.id == 0 ? ExporterOp::complexPing : ExporterOp::simplePing;
  mutex_.unlock();
  auto result = machine->resolverCall(kIidIObjectExporter, static_cast<std::uint16_t>(op), request);
  mutex_.lock();
  set.failed = result.status != rpc::ClientStatus::Ok;
  if (set.failed) return;
  if (op == ExporterOp::complexPing) {
    ComplexPingOut out;
    if (ndr::decode(result.stub, [&](auto& w) { walkOut(w, out); })) return;
    // OIDs the server does not know (OR_INVALID_OID) are dropped from the
    // request rather than sent again forever.
    set.id = out.setId;
    for (Oid oid : adding) set.adding.erase(oid);
    for (Oid oid : removing) set.removing.erase(oid);
    return;
  }
  StatusOut out;
  if (ndr::decode(result.stub, [&](auto& w) { walkOut(w, out); })) return;
  if (out.status == kOrInvalidSet) {
    // The server forgot the set (it restarted or we were late): build it
    // again with every OID still held.
    set.id = 0;
    set.adding = set.oids;
  }
}

}  // namespace dcom::client
