#pragma once

// The state of one group, shared by the group's COM object (group.h), the
// server's group table and the update thread: the group's settings, its
// items, its data-advise connections (DA 1.0) or its callback (DA 2.0) and
// the asynchronous requests waiting to be answered.
//
// Threads: `mutex` guards every member below it. Client calls on the group
// and the update thread take it; nobody holds it while calling out of the
// server (collect() only gathers Deliveries, which the update thread makes
// after letting go), so a client may call the server from inside a
// callback. With it held, a thread may take the value store's lock, never
// the server's group-table lock.
//
// `callbackGate` is held by the update thread while it gathers and makes
// this group's callbacks (never while it holds another group's gate). A
// client call after which no callback may arrive (removing the group or
// items, ending a connection) waits for it once it has changed the state,
// so that a callback gathered before the change has returned by then. A
// call made from inside one of this group's callbacks does not wait: the
// update thread looks at the state again before each further callback.

#include <atomic>
#include <chrono>
#include <deque>
#include <memory>
#include <vector>

#include "com/objidl.h"
#include "com/ptr.h"
#include "group_items.h"
#include "opc/group.h"
#include "server_shared.h"
#include "stream_writer.h"

namespace sample {

using SteadyClock = std::chrono::steady_clock;

inline constexpr DWORD kMinimumUpdateRate = 10;  // milliseconds

struct GroupSettings {
  bool active = true;
  DWORD updateRate = 1000;  // milliseconds, already revised
  LONG timeBias = 0;
  FLOAT deadband = 0;  // percent
  LCID locale = 0;
  OPCHANDLE clientHandle = 0;
};

struct AdviseConnection {
  DWORD connection = 0;
  StreamFormat format = StreamFormat::Data;
  DWORD advf = 0;
  com::Ptr<IAdviseSink> sink;
};

// A request of IOPCAsyncIO (answered through an advise connection) or of
// IOPCAsyncIO2 (answered through the group's callback).
struct AsyncRequest {
  // Cancelled: an IOPCAsyncIO2 request that Cancel2 stopped; it is answered
  // with OnCancelComplete.
  enum class Kind { Read, Write, Refresh, Cancelled };
  Kind kind = Kind::Read;
  bool viaCallback = false;  // an IOPCAsyncIO2 request
  // IOPCAsyncIO: the ID the server handed out; IOPCAsyncIO2: the client's.
  DWORD transactionId = 0;
  DWORD cancelId = 0;    // IOPCAsyncIO2 only: the server's ID for Cancel2
  DWORD connection = 0;  // IOPCAsyncIO only
  OPCDATASOURCE source = OPC_DS_CACHE;
  std::vector<OPCHANDLE> handles;
  std::vector<Variant> values;  // Write only, one per handle
};

// One call of an IOPCDataCallback method with the arrays it passes. The
// values are cleared when the call goes.
struct CallbackCall {
  enum class Method { DataChange, ReadComplete, WriteComplete, CancelComplete };
  Method method = Method::DataChange;
  // A data change of the group's own (transaction 0), which SetEnable
  // turns off; a refresh's answer is not one, whatever its ID.
  bool subscription = false;
  com::Ptr<IOPCDataCallback> sink;
  DWORD cookie = 0;  // of the connection it was gathered for
  DWORD transactionId = 0;
  OPCHANDLE clientGroup = 0;
  std::vector<OPCHANDLE> clientHandles;
  std::vector<VARIANT> values;
  std::vector<WORD> qualities;
  std::vector<FILETIME> timeStamps;
  std::vector<HRESULT> errors;

  CallbackCall() = default;
  CallbackCall(const CallbackCall&) = delete;
  CallbackCall& operator=(const CallbackCall&) = delete;
  ~CallbackCall() {
    for (auto& value : values) VariantClear(&value);
  }
  void addValue(OPCHANDLE clientHandle, Variant&& value, WORD quality, FILETIME timeStamp, HRESULT error);
  void call();
};

// One call into a client's sink, made by the update thread without holding
// the group's lock: IAdviseSink::OnDataChange with a stream block (the
// block is freed after the call, or when the delivery is dropped), or an
// IOPCDataCallback method.
struct Delivery {
  com::Ptr<IAdviseSink> sink;
  CLIPFORMAT format = 0;
  HGLOBAL block = nullptr;
  std::unique_ptr<CallbackCall> callback;

  Delivery() = default;
  Delivery(com::Ptr<IAdviseSink> s, CLIPFORMAT f, HGLOBAL b) : sink(std::move(s)), format(f), block(b) {}
  explicit Delivery(std::unique_ptr<CallbackCall> c) : callback(std::move(c)) {}
  Delivery(Delivery&& other) noexcept
      : sink(std::move(other.sink)),
        format(other.format),
        block(std::exchange(other.block, nullptr)),
        callback(std::move(other.callback)) {}
  Delivery& operator=(Delivery&&) = delete;
  ~Delivery() {
    if (block != nullptr) GlobalFree(block);
  }
  void deliver();
};

class GroupState {
 public:
  GroupState(std::shared_ptr<ServerShared> server, OPCHANDLE serverHandle, GroupSettings settings);

  const std::shared_ptr<ServerShared> server;
  const OPCHANDLE serverHandle;
  std::atomic<bool> isPublic{false};
  // Set when the group was removed, or its server went away: its
  // interfaces then fail with E_FAIL.
  std::atomic<bool> detached{false};

  std::mutex callbackGate;

  // Returns once no callback of this group is under way, or at once on the
  // update thread inside one of this group's callbacks. Needs neither lock
  // held.
  void waitForCallbacks();

  // Update thread: answers the queued asynchronous requests and, when the
  // group is due, sends the data-change update; lowers nextWake to when
  // the group is due next. Takes both locks itself. Returns whether any
  // callback was made.
  bool update(SteadyClock::time_point now, std::vector<Delivery>& deliveries, SteadyClock::time_point& nextWake);

  std::mutex mutex;
  GroupSettings settings;
  ItemTable items;
  std::vector<AdviseConnection> connections;
  DWORD lastConnection = 0;
  // The DA 2.0 callback, at most one; its cookie is 0 while there is none.
  // The cookie and the enable flag are also read by the update thread
  // without the lock, just before each call.
  com::Ptr<IOPCDataCallback> callback;
  std::atomic<DWORD> callbackCookie{0};
  DWORD lastCallbackCookie = 0;
  std::atomic<bool> callbackEnabled{true};  // IOPCAsyncIO2::SetEnable
  std::deque<AsyncRequest> pending;
  SteadyClock::time_point nextUpdate;

  // The following need the lock held.

  // The next data-change update sends every active item again (after the
  // group or an item was activated, a new advise, a new requested type).
  void resendAll();
  const AdviseConnection* findConnection(DWORD connection) const;
  bool hasDataConnection() const;

  // What update() gathers with the lock held.
  void collect(SteadyClock::time_point now, std::vector<Delivery>& deliveries,
               SteadyClock::time_point& nextWake);

 private:
  void answer(AsyncRequest& request, std::vector<Delivery>& deliveries);
  void answerByCallback(AsyncRequest& request, std::vector<Delivery>& deliveries);
  std::unique_ptr<CallbackCall> newCall(CallbackCall::Method method, DWORD transactionId) const;
  // Whether a delivery gathered earlier may still go out now.
  bool stillWanted(const Delivery& delivery) const;
  void collectDataChange(std::vector<Delivery>& deliveries);
  void deliverData(const StreamHeader& header, std::vector<StreamItem>& items, const AdviseConnection* only,
                   std::vector<Delivery>& deliveries);
};

// Revises a requested update rate to one the server supports.
inline DWORD reviseUpdateRate(DWORD requested) { return requested < kMinimumUpdateRate ? kMinimumUpdateRate : requested; }

}  // namespace sample
