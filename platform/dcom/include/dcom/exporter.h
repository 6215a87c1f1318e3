#pragma once

// The object exporter: the tables behind every exported interface.
//
//   OXID  this exporter (one per serving process)
//   OID   an exported object, per owner (the authenticated user it was
//         handed to), holding the object's identity (its IUnknown)
//   IPID  one interface of one OID, with its public references and each
//         caller's private references
//   SETID a client's ping set: the OIDs it keeps alive by pinging
//
// A client that stops pinging loses its objects: a set not pinged for
// pingPeriod x missedPings is dropped, and an OID that no set keeps and that
// was not pinged within that window either is released with all its
// interfaces. Objects exported without pinging (SORF_NOPING) live until
// their references are released.
//
// Every call is safe from any thread. Interfaces of released objects are let
// go of outside the exporter's lock, so an object's destructor may call back
// into the exporter.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "com/ptr.h"
#include "dcom/dual_string_array.h"
#include "dcom/ids.h"
#include "dcom/methods.h"
#include "dcom/objref.h"

namespace dcom {

struct ExporterSettings {
  // How often clients ping, and how many pings may be missed before their
  // objects are released.
  std::chrono::seconds pingPeriod{120};
  unsigned missedPings = 3;
  // Public references handed out with each marshalled interface.
  std::uint32_t publicRefsPerMarshal = 5;
  // Where the resolver can be reached, written into every OBJREF.
  DualStringArray resolverBindings;
};

class Exporter {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  explicit Exporter(ExporterSettings settings, Clock clock = std::chrono::steady_clock::now);
  ~Exporter();
  Exporter(const Exporter&) = delete;
  Exporter& operator=(const Exporter&) = delete;

  Oxid oxid() const { return oxid_; }
  // The IPID of the exporter's IRemUnknown and IRemUnknown2.
  const Ipid& remUnknown() const { return remUnknown_; }
  const ExporterSettings& settings() const { return settings_; }

  // Exports object's interface iid for owner with refs public references
  // (0: the setting). The same object for the same owner keeps one OID, and
  // one IPID per interface. E_NOINTERFACE when the object lacks iid.
  HRESULT exportInterface(IUnknown* object, REFIID iid, const std::string& owner, std::uint32_t refs,
                          StdObjRef& out, bool noPing = false);
  // The same as a standard OBJREF with the resolver's bindings.
  HRESULT marshal(IUnknown* object, REFIID iid, const std::string& owner, std::vector<std::uint8_t>& objref);

  // The interface a call on ipid reaches, with a reference of its own.
  // RPC_E_INVALID_IPID for an unknown IPID (or the IRemUnknown one, which
  // the exporter answers itself), E_ACCESSDENIED for an IPID of another
  // owner's object.
  struct Target {
    com::Ptr<IUnknown> object;  // the interface of the IPID
    IID iid{};
    Oid oid = 0;
  };
  HRESULT resolve(const Ipid& ipid, const std::string& caller, Target& out);

  // IRemUnknown and IRemUnknown2, for caller.
  HRESULT remQueryInterface(const Ipid& ipid, std::uint32_t refs, const std::vector<IID>& iids,
                            const std::string& caller, std::vector<RemQiResult>& results);
  HRESULT remAddRef(const std::vector<RemInterfaceRef>& refs, const std::string& caller,
                    std::vector<HRESULT>& results);
  HRESULT remRelease(const std::vector<RemInterfaceRef>& refs, const std::string& caller);
  HRESULT remQueryInterface2(const Ipid& ipid, const std::vector<IID>& iids, const std::string& caller,
                             std::vector<HRESULT>& results,
                             std::vector<std::unique_ptr<ndr::InterfacePointer>>& interfaces);

  // IObjectExporter's pings; each returns the call's status.
  std::uint32_t simplePing(SetId set, const std::string& caller);
  // setId 0 creates a set (and returns its id). A call whose sequence
  // number is not newer than the last one seen is ignored. OIDs to add that
  // are unknown or another owner's are skipped and make the status
  // OR_INVALID_OID; the others are added.
  std::uint32_t complexPing(SetId& set, std::uint16_t sequence, const std::vector<Oid>& add,
                            const std::vector<Oid>& remove, const std::string& caller);

  // Drops the sets whose client stopped pinging and releases the objects no
  // client keeps any longer. Returns the number of objects released.
  std::size_t expire();

  std::size_t objectCount() const;
  std::size_t interfaceCount() const;
  std::size_t setCount() const;
  bool hasObject(Oid oid) const;

 private:
  struct Interface {
    Oid oid = 0;
    IID iid{};
    com::Ptr<IUnknown> pointer;
    std::uint64_t publicRefs = 0;
    std::map<std::string, std::uint64_t> privateRefs;
  };
  struct Object {
    com::Ptr<IUnknown> identity;
    std::string owner;
    bool noPing = false;
    std::set<Ipid, bool (*)(const Ipid&, const Ipid&)> interfaces{&lessIpid};
    std::size_t setRefs = 0;  // ping sets that hold the OID
    std::chrono::steady_clock::time_point lastKept;
  };
  struct PingSet {
    std::string owner;
    std::set<Oid> oids;
    std::uint16_t sequence = 0;
    std::chrono::steady_clock::time_point lastPing;
  };
  static bool lessIpid(const Ipid& a, const Ipid& b);

  std::chrono::steady_clock::duration window() const;
  std::uint64_t newIdLocked();
  // Under the lock: finds or makes the OID of identity for owner and the
  // IPID of iid, and adds refs. Pointers the tables take are moved out of
  // identity and pointer; the caller lets go of the rest after unlocking.
  void exportLocked(com::Ptr<IUnknown>& identity, com::Ptr<IUnknown>& pointer, REFIID iid, const std::string& owner,
                    std::uint32_t refs, bool noPing, StdObjRef& out);
  void dropInterfaceLocked(const Ipid& ipid, std::vector<com::Ptr<IUnknown>>& released);
  void dropObjectLocked(Oid oid, std::vector<com::Ptr<IUnknown>>& released);
  ObjRef objRefFor(const StdObjRef& std, REFIID iid) const;

  const ExporterSettings settings_;
  const Clock clock_;
  const Oxid oxid_;
  const Ipid remUnknown_;

  mutable std::mutex mutex_;  // guards everything below
  std::map<Oid, Object> objects_;
  std::map<Ipid, Interface, bool (*)(const Ipid&, const Ipid&)> interfaces_{&lessIpid};
  std::map<SetId, PingSet> sets_;
  std::map<std::pair<IUnknown*, std::string>, Oid> identities_;
  std::mt19937_64 random_;
};

// Interfaces inside values a server sends (VT_UNKNOWN, VT_DISPATCH) are
// exported for the caller the reply goes to. Interfaces a client sends in
// need a proxy manager, which a server does not have: they are refused.
class ExportingMarshaler : public ndr::InterfaceMarshaler {
 public:
  ExportingMarshaler(Exporter& exporter, std::string owner) : exporter_(exporter), owner_(std::move(owner)) {}
  HRESULT marshal(IUnknown* object, REFIID iid, std::vector<std::uint8_t>& objref) override {
    return exporter_.marshal(object, iid, owner_, objref);
  }
  HRESULT unmarshal(std::span<const std::uint8_t>, REFIID, IUnknown**) override { return E_NOTIMPL; }

 private:
  Exporter& exporter_;
  const std::string owner_;
};

// Runs Exporter::expire() every interval on a thread of its own until it is
// destroyed.
class ExpiryTimer {
 public:
  ExpiryTimer(Exporter& exporter, std::chrono::milliseconds interval);
  ~ExpiryTimer();
  ExpiryTimer(const ExpiryTimer&) = delete;
  ExpiryTimer& operator=(const ExpiryTimer&) = delete;

 private:
  Exporter& exporter_;
  const std::chrono::milliseconds interval_;
  std::mutex mutex_;  // guards stop_
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace dcom
