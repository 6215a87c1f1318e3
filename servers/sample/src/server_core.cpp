#include "server_core.h"

#include "clock.h"
#include "group.h"
#include "opc/opcerror.h"

namespace sample {

ServerCore::ServerCore(const ServerOptions& serverOptions, const CLSID& serverClsid, FILETIME start,
                       std::shared_ptr<ShutdownSinks> sinks)
    : options(serverOptions),
      clsid(serverClsid),
      startTime(start),
      shared(std::make_shared<ServerShared>(AddressSpace::shared(serverOptions.manyItemCount), start)),
      shutdownSinks(std::move(sinks)),
      shutdownWatcher_(serverOptions.shutdownRequestFile) {}

std::shared_ptr<ServerCore> ServerCore::create(const ServerOptions& options, const CLSID& clsid,
                                               std::shared_ptr<ShutdownSinks> shutdownSinks) {
  std::shared_ptr<ServerCore> core(new ServerCore(options, clsid, fileTimeNow(), std::move(shutdownSinks)));
  try {
    core->addPublicGroup();
    std::lock_guard lock(core->threadMutex_);
    updateThreadStarting();
    try {
      core->thread_ = std::thread([self = core]() mutable {
        self->run();
        self.reset();  // may destroy the core; the thread counts as running until after that
        updateThreadEnded();
      });
    } catch (...) {
      updateThreadEnded();
      throw;
    }
  } catch (...) {
    core->shutdown();  // the public group holds the core: let it go
    throw;
  }
  return core;
}

ServerCore::~ServerCore() { shutdown(); }

void ServerCore::shutdown() {
  shared->signal.stop();
  {
    std::lock_guard lock(threadMutex_);
    if (thread_.joinable()) {
      if (thread_.get_id() == std::this_thread::get_id()) {
        // The last reference went from inside a callback on the update
        // thread itself; it ends on its own once the callback returns.
        thread_.detach();
      } else {
        thread_.join();
      }
    }
  }
  shutdownSinks->clear();
  std::vector<GroupEntry> removed = groups.takeAll();
  for (auto& entry : removed) detach(*entry.state);
  // The entries (and perhaps the groups) go here, with no lock held.
}

void ServerCore::detach(GroupState& state) {
  state.detached = true;
  // A sink often holds the group it is advised to; letting the sinks go
  // breaks that cycle even when the client never unadvises.
  std::vector<AdviseConnection> connections;
  com::Ptr<IOPCDataCallback> callback;
  {
    std::lock_guard lock(state.mutex);
    connections.swap(state.connections);
    callback = std::move(state.callback);
    state.callbackCookie = 0;
    state.pending.clear();
  }
  // Once the group is gone for its client, no callback of it may follow.
  state.waitForCallbacks();
}

void ServerCore::addPublicGroup() {
  GroupSettings settings;
  settings.active = true;
  settings.updateRate = 1000;
  settings.locale = LOCALE_SYSTEM_DEFAULT;
  settings.timeBias = localTimeBias();
  OPCHANDLE handle = 0;
  if (FAILED(createGroup(u"Public Simulation", settings, true, IID_NULL, nullptr, &handle))) return;
  auto entry = groups.find(handle);
  if (!entry) return;
  const AddressSpace& space = *shared->space;
  std::vector<GroupItem> items;
  OPCHANDLE clientHandle = 1;
  for (const char16_t* id : {u"Simulation.Ramp", u"Simulation.Sine", u"Simulation.Random", u"Simulation.Counter"}) {
    auto item = space.findItem(id);
    if (!item) continue;
    GroupItem added;
    added.clientHandle = clientHandle++;
    added.item = *item;
    added.active = true;
    items.push_back(std::move(added));
  }
  std::lock_guard lock(entry->state->mutex);
  entry->state->items.add(items, shared->itemHandles);
}

HRESULT ServerCore::createGroup(std::u16string name, const GroupSettings& settings, bool isPublic, REFIID riid,
                                IUnknown** object, OPCHANDLE* handle) {
  auto state = std::make_shared<GroupState>(shared, groups.reserveHandle(), settings);
  state->isPublic = isPublic;
  com::Ptr<Group> group = com::makeObject<Group>(shared_from_this(), state);
  if (!group) return E_OUTOFMEMORY;
  HRESULT hr = groups.add(std::move(name), group, state);
  if (FAILED(hr)) return hr;
  if (object != nullptr) {
    hr = group->QueryInterface(riid, reinterpret_cast<void**>(object));
    if (FAILED(hr)) {
      auto entry = groups.take(state->serverHandle);
      return hr;
    }
  }
  if (handle != nullptr) *handle = state->serverHandle;
  shared->markChanged();
  shared->signal.notify();
  return S_OK;
}

HRESULT ServerCore::removeGroup(OPCHANDLE handle, bool force, bool publicGroup) {
  auto found = groups.find(handle);
  if (!found) return E_INVALIDARG;
  if (found->state->isPublic.load() != publicGroup) return publicGroup ? E_INVALIDARG : OPC_E_PUBLIC;
  found.reset();
  std::optional<GroupEntry> entry = groups.take(handle);
  if (!entry) return E_INVALIDARG;  // removed by another call meanwhile
  // The table's reference is now ours; any other belongs to a client.
  const ULONG references = entry->group->AddRef();
  entry->group->Release();
  const bool inUse = references > 2;
  // A client that still holds the group finds it deleted: every call
  // through it fails from now on, and it goes with the last release. That
  // also lets its advise sinks go at once, which breaks the cycle of a sink
  // that holds its group.
  detach(*entry->state);
  shared->markChanged();
  return inUse && !force ? OPC_S_INUSE : S_OK;
}

}  // namespace sample
