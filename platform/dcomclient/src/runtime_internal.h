#pragma once
// The parts of the DCOM client behind DcomActivator: a Machine per remote
// computer (its connections and the OXIDs it resolved), RemoteObject (one
// COM identity per remote OID), the Pinger (keep-alive pings and the
// releases sent in the background) and the Runtime that ties them together.

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "dcom/dual_string_array.h"
#include "dcom/ids.h"
#include "dcom/methods.h"
#include "dcomclient/proxy.h"
#include "dcomclient/runtime.h"
#include "rpc/client.h"

namespace dcom::client {

rpc::Uuid toUuid(const GUID& guid);
rpc::SyntaxId syntaxOf(const IID& iid);

// What resolving an OXID tells: where its exporter listens and the IPID of
// its IRemUnknown.
struct OxidInfo {
  DualStringArray bindings;
  Ipid remUnknown{};
};

class Machine {
public:
  Machine(std::string host, const RuntimeSettings& settings, std::optional<rpc::ClientSettings> client);

  const std::string& host() const { return host_; }
  bool hasCredentials() const { return client_.has_value(); }

  // A call on the resolver's port (activation, resolver, pings).
  rpc::ClientCallResult resolverCall(const IID& iid, std::uint16_t opnum, std::span<const std::uint8_t> stub);
  // A call on an interface of an object of oxid. References released
  // before it reach the server first, so that a server sees objects as the
  // client left them (a group released before RemoveGroup is not in use).
  rpc::ClientCallResult objectCall(Oxid oxid, const Ipid& ipid, const IID& iid, std::uint16_t opnum,
                                   std::span<const std::uint8_t> stub);
  // A call on the OXID's IRemUnknown2, or on IRemUnknown where the server
  // offers only that (the methods used here are IRemUnknown's).
  rpc::ClientCallResult remUnknownCall(Oxid oxid, RemUnknownOp op, std::span<const std::uint8_t> stub);
  // Queues references to give back with RemRelease; sendReleases sends what
  // is queued (the pinger's thread does so soon after, the next call at
  // the latest).
  void queueRelease(Oxid oxid, std::vector<RemInterfaceRef> refs);
  void sendReleases();
  // Ends the calls under way and refuses new ones (the process is ending).
  void close();
  // The OXID's bindings, from the cache or asked of the resolver.
  HRESULT resolve(Oxid oxid, OxidInfo& info);
  void remember(Oxid oxid, OxidInfo info);

private:
  using Connection = std::shared_ptr<rpc::ClientConnection>;
  const IID& remUnknownIid();
  rpc::ClientCallResult call(Oxid oxid, const Ipid& ipid, const IID& iid, std::uint16_t opnum,
                             std::span<const std::uint8_t> stub);
  // A usable connection to host:port, reconnecting when the last one broke.
  rpc::ClientStatus connectionTo(const std::string& host, std::uint16_t port, Connection& out);

  const std::string host_;
  const std::uint16_t resolverPort_;
  const std::optional<rpc::ClientSettings> client_;

  std::mutex mutex_;  // guards the maps
  std::map<std::string, Connection> connections_;  // by "host[port]"
  std::map<Oxid, OxidInfo> oxids_;
  std::map<Oxid, Connection> exporters_;  // the connection each OXID was last reached on
  std::string reachedAddress_;  // the numeric address the resolver answered on
  bool closed_ = false;
  bool onlyRemUnknown_ = false;  // the server refused IRemUnknown2
  std::vector<std::pair<Oxid, std::vector<RemInterfaceRef>>> releases_;

  // Held while releases are sent, so that a call waits for releases another
  // thread has taken from the queue but not yet sent.
  std::mutex sending_;
};

class Runtime;

// One remote object: the identity every interface proxy of it answers for.
class RemoteObject final : public IUnknown {
public:
  RemoteObject(std::shared_ptr<Runtime> runtime, std::shared_ptr<Machine> machine, Oxid oxid, Oid oid, bool pinged);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // Takes over refs public references on ipid (interface iid) and hands out
  // the interface with one local reference.
  HRESULT adopt(REFIID iid, const Ipid& ipid, std::uint32_t refs, void** object);
  // AddRef unless the object is already on its way out.
  bool tryAddRef();

  Machine& machine() { return *machine_; }
  Oxid oxid() const { return oxid_; }

private:
  ~RemoteObject();
  struct Entry {
    IID iid{};
    Ipid ipid{};
    std::uint32_t refs = 0;
    std::unique_ptr<ProxyBase> proxy;  // none for IUnknown
  };
  HRESULT queryRemote(REFIID riid, void** object);

  std::shared_ptr<Runtime> runtime_;
  std::shared_ptr<Machine> machine_;
  const Oxid oxid_;
  const Oid oid_;
  const bool pinged_;
  std::atomic<ULONG> references_{1};
  std::mutex mutex_;  // guards entries_
  std::vector<Entry> entries_;
};

class Pinger {
public:
  explicit Pinger(std::chrono::milliseconds period);
  ~Pinger();

  void add(const std::shared_ptr<Machine>& machine, Oid oid);
  void remove(const std::shared_ptr<Machine>& machine, Oid oid);
  void release(const std::shared_ptr<Machine>& machine, Oxid oxid, std::vector<RemInterfaceRef> refs);
  void flush();

private:
  struct Set {
    std::shared_ptr<Machine> machine;
    SetId id = 0;
    std::uint16_t sequence = 0;
    std::set<Oid> oids;
    std::set<Oid> adding;
    std::set<Oid> removing;
    bool failed = false;  // the last ping did not get through
  };

  void run();
  void ping(Set& set, bool due);

  const std::chrono::milliseconds period_;
  std::mutex mutex_;  // guards everything below
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::map<Machine*, Set> sets_;
  std::vector<std::shared_ptr<Machine>> releases_;  // machines with releases queued
  bool busy_ = false;
  bool flushing_ = false;
  std::uint64_t passes_ = 0;
  bool stopping_ = false;
  std::thread thread_;
};

class Runtime : public std::enable_shared_from_this<Runtime> {
public:
  explicit Runtime(RuntimeSettings settings);
  ~Runtime();

  std::shared_ptr<Machine> machine(const std::string& name);
  // An interface for an OBJREF that came from machine.
  HRESULT unmarshal(const std::shared_ptr<Machine>& machine, std::span<const std::uint8_t> objref, REFIID iid,
                    void** object);
  HRESULT createInstance(const std::string& machine, REFCLSID clsid, DWORD count, MULTI_QI* results);
  HRESULT getClassObject(const std::string& machine, REFCLSID clsid, REFIID riid, void** object);

  Pinger& pinger() { return pinger_; }
  void forget(RemoteObject* object, Machine* machine, Oid oid);
  std::size_t objectCount();

private:
  const RuntimeSettings settings_;
  Pinger pinger_;
  std::mutex mutex_;  // guards the maps
  std::map<std::string, std::shared_ptr<Machine>> machines_;
  std::map<std::pair<Machine*, Oid>, RemoteObject*> objects_;
};

}  // namespace dcom::client
