#include "group_state.h"

#include <cmath>

#include "clock.h"
#include "com/clipboard.h"
#include "item_io.h"
#include "opc/quality.h"
#include "value_convert.h"

namespace sample {

const StreamFormats& StreamFormats::get() {
  static const StreamFormats formats{
      static_cast<CLIPFORMAT>(RegisterClipboardFormatW(OPCSTMFORMATDATA_NAME)),
      static_cast<CLIPFORMAT>(RegisterClipboardFormatW(OPCSTMFORMATDATATIME_NAME)),
      static_cast<CLIPFORMAT>(RegisterClipboardFormatW(OPCSTMFORMATWRITECOMPLETE_NAME)),
  };
  return formats;
}

namespace {

CLIPFORMAT clipboardFormat(StreamFormat format) {
  const StreamFormats& formats = StreamFormats::get();
  switch (format) {
    case StreamFormat::Data:
      return formats.data;
    case StreamFormat::DataTime:
      return formats.dataTime;
    case StreamFormat::WriteComplete:
      return formats.writeComplete;
  }
  return 0;
}

}  // namespace

void CallbackCall::addValue(OPCHANDLE clientHandle, Variant&& value, WORD quality, FILETIME timeStamp,
                            HRESULT error) {
  clientHandles.push_back(clientHandle);
  qualities.push_back(quality);
  timeStamps.push_back(timeStamp);
  errors.push_back(error);
  values.emplace_back();
  value.moveTo(&values.back());
}

void CallbackCall::call() {
  const auto count = static_cast<DWORD>(clientHandles.size());
  bool allGood = true;
  for (WORD quality : qualities) allGood = allGood && (quality & OPC_QUALITY_MASK) == OPC_QUALITY_GOOD;
  bool noErrors = true;
  for (HRESULT error : errors) noErrors = noErrors && error == S_OK;
  const HRESULT masterQuality = allGood ? S_OK : S_FALSE;
  const HRESULT masterError = noErrors ? S_OK : S_FALSE;
  switch (method) {
    case Method::DataChange:
      sink->OnDataChange(transactionId, clientGroup, masterQuality, masterError, count, clientHandles.data(),
                         values.data(), qualities.data(), timeStamps.data(), errors.data());
      break;
    case Method::ReadComplete:
      sink->OnReadComplete(transactionId, clientGroup, masterQuality, masterError, count, clientHandles.data(),
                           values.data(), qualities.data(), timeStamps.data(), errors.data());
      break;
    case Method::WriteComplete:
      sink->OnWriteComplete(transactionId, clientGroup, masterError, count, clientHandles.data(), errors.data());
      break;
    case Method::CancelComplete:
      sink->OnCancelComplete(transactionId, clientGroup);
      break;
  }
}

void Delivery::deliver() {
  if (callback) {
    callback->call();
    return;
  }
  FORMATETC format{this->format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = block;
  medium.pUnkForRelease = nullptr;
  // The medium stays the server's: the sink reads it during the call only.
  sink->OnDataChange(&format, &medium);
}

namespace {

// The group whose callbacks this thread is making, if any.
thread_local const GroupState* deliveringGroup = nullptr;

}  // namespace

void GroupState::waitForCallbacks() {
  if (deliveringGroup == this) return;
  std::lock_guard gate(callbackGate);
}

bool GroupState::update(SteadyClock::time_point now, std::vector<Delivery>& deliveries,
                        SteadyClock::time_point& nextWake) {
  std::lock_guard gate(callbackGate);
  if (detached) return false;
  {
    std::lock_guard lock(mutex);
    collect(now, deliveries, nextWake);
  }
  if (deliveries.empty()) return false;
  struct Delivering {
    explicit Delivering(const GroupState* group) { deliveringGroup = group; }
    ~Delivering() { deliveringGroup = nullptr; }
  } delivering(this);
  for (auto& delivery : deliveries) {
    // A callback may have removed the group; nothing more goes out then.
    if (detached) break;
    if (stillWanted(delivery)) delivery.deliver();
  }
  // The sinks are let go before the gate opens, so that a client that has
  // ended a connection no longer finds the server holding its sink.
  deliveries.clear();
  return true;
}

GroupState::GroupState(std::shared_ptr<ServerShared> owner, OPCHANDLE handle, GroupSettings initial)
    : server(std::move(owner)), serverHandle(handle), settings(initial), nextUpdate(SteadyClock::now()) {}

void GroupState::resendAll() {
  items.forEach([](GroupItem& item) { item.sent = false; });
  nextUpdate = SteadyClock::now();
  server->signal.notify();
}

const AdviseConnection* GroupState::findConnection(DWORD connection) const {
  for (const auto& candidate : connections) {
    if (candidate.connection == connection) return &candidate;
  }
  return nullptr;
}

bool GroupState::stillWanted(const Delivery& delivery) const {
  // A callback may have ended the connection, or turned the group's own
  // data changes off, while later calls were waiting in the same round.
  const CallbackCall* call = delivery.callback.get();
  if (call == nullptr) return true;
  if (call->cookie != callbackCookie.load()) return false;
  return !call->subscription || callbackEnabled.load();
}

std::unique_ptr<CallbackCall> GroupState::newCall(CallbackCall::Method method, DWORD transactionId) const {
  auto call = std::make_unique<CallbackCall>();
  call->method = method;
  call->sink = callback;
  call->cookie = callbackCookie.load();
  call->transactionId = transactionId;
  call->clientGroup = settings.clientHandle;
  return call;
}

bool GroupState::hasDataConnection() const {
  if (callback) return callbackEnabled.load();
  for (const auto& connection : connections) {
    if (connection.format != StreamFormat::WriteComplete) return true;
  }
  return false;
}

void GroupState::collect(SteadyClock::time_point now, std::vector<Delivery>& deliveries,
                         SteadyClock::time_point& nextWake) {
  while (!pending.empty()) {
    AsyncRequest request = std::move(pending.front());
    pending.pop_front();
    answer(request, deliveries);
  }
  if (!settings.active || !hasDataConnection()) return;
  if (now >= nextUpdate) {
    collectDataChange(deliveries);
    const auto rate = std::chrono::milliseconds(settings.updateRate);
    // Keep the group's rhythm, but never try to catch up with missed updates.
    nextUpdate += rate;
    if (nextUpdate <= now) nextUpdate = now + rate;
  }
  if (nextUpdate < nextWake) nextWake = nextUpdate;
}

void GroupState::collectDataChange(std::vector<Delivery>& deliveries) {
  const AddressSpace& space = *server->space;
  const double deadband = settings.deadband / 100.0;
  std::vector<StreamItem> changed;
  std::vector<HRESULT> errors;
  {
    ValueStore::Reading values(server->values);
    items.forEach([&](GroupItem& item) {
      if (!item.active) return;
      const ItemDefinition& definition = space.item(item.item);
      if (!definition.readable()) return;
      const Sample& sample = values[item.item];
      if (item.sent && sample.version == item.sentVersion) return;
      const auto number = numericValue(sample.value.get());
      if (item.sent && sample.quality == item.sentQuality && definition.analog() && deadband > 0 && number &&
          std::fabs(*number - item.sentNumber) <= deadband * (definition.units.high - definition.units.low)) {
        return;  // within the deadband of what the client last got
      }
      ItemReading reading;
      readItem(values, space.basics(item.item), item, false, true, settings.locale, reading);
      item.sent = true;
      item.sentVersion = sample.version;
      item.sentQuality = sample.quality;
      item.sentNumber = number.value_or(0);
      changed.push_back(StreamItem{item.clientHandle, reading.quality, reading.timeStamp, std::move(reading.value)});
      errors.push_back(reading.error);
    });
  }
  if (changed.empty()) return;
  if (callback) {
    auto call = newCall(CallbackCall::Method::DataChange, 0);
    call->subscription = true;
    for (size_t index = 0; index < changed.size(); ++index) {
      StreamItem& item = changed[index];
      call->addValue(item.clientHandle, std::move(item.value), item.quality, item.timeStamp, errors[index]);
    }
    deliveries.emplace_back(std::move(call));
    return;
  }
  deliverData(StreamHeader{settings.clientHandle, 0, S_OK}, changed, nullptr, deliveries);
}

void GroupState::deliverData(const StreamHeader& header, std::vector<StreamItem>& streamItems,
                             const AdviseConnection* only, std::vector<Delivery>& deliveries) {
  for (const auto& connection : connections) {
    if (connection.format == StreamFormat::WriteComplete) continue;
    if (only != nullptr && only != &connection) continue;
    HGLOBAL block = writeDataStream(connection.format, header, streamItems);
    if (block != nullptr) deliveries.emplace_back(connection.sink, clipboardFormat(connection.format), block);
  }
}

void GroupState::answerByCallback(AsyncRequest& request, std::vector<Delivery>& deliveries) {
  if (!callback) return;  // unadvised since: nobody to tell
  const AddressSpace& space = *server->space;
  using Method = CallbackCall::Method;
  switch (request.kind) {
    case AsyncRequest::Kind::Cancelled:
      deliveries.emplace_back(newCall(Method::CancelComplete, request.transactionId));
      return;
    case AsyncRequest::Kind::Write: {
      auto call = newCall(Method::WriteComplete, request.transactionId);
      ValueStore::Writing values(server->values);
      const FILETIME now = fileTimeNow();
      for (size_t index = 0; index < request.handles.size(); ++index) {
        const GroupItem* item = items.find(request.handles[index]);
        if (item == nullptr) continue;  // removed since the request
        call->clientHandles.push_back(item->clientHandle);
        call->errors.push_back(writeItem(values, space, item->item, request.values[index].get(), settings.locale, now));
      }
      deliveries.emplace_back(std::move(call));
      return;
    }
    case AsyncRequest::Kind::Read:
    case AsyncRequest::Kind::Refresh: {
      const bool refresh = request.kind == AsyncRequest::Kind::Refresh;
      auto call = newCall(refresh ? Method::DataChange : Method::ReadComplete, request.transactionId);
      const bool fromCache = refresh && request.source == OPC_DS_CACHE;
      ValueStore::Reading values(server->values);
      auto add = [&](const GroupItem& item) {
        ItemReading reading;
        readItem(values, space.basics(item.item), item, fromCache, settings.active, settings.locale, reading);
        call->addValue(item.clientHandle, std::move(reading.value), reading.quality, reading.timeStamp,
                       reading.error);
      };
      if (refresh) {
        items.forEach([&](const GroupItem& item) {
          if (item.active && space.item(item.item).readable()) add(item);
        });
      } else {
        for (OPCHANDLE handle : request.handles) {
          if (const GroupItem* item = items.find(handle)) add(*item);
        }
      }
      deliveries.emplace_back(std::move(call));
      return;
    }
  }
}

void GroupState::answer(AsyncRequest& request, std::vector<Delivery>& deliveries) {
  if (request.viaCallback) {
    answerByCallback(request, deliveries);
    return;
  }
  const AdviseConnection* connection = findConnection(request.connection);
  if (connection == nullptr) return;  // unadvised since: nobody to tell
  const AddressSpace& space = *server->space;
  const StreamHeader header{settings.clientHandle, request.transactionId, S_OK};

  if (request.kind == AsyncRequest::Kind::Write) {
    std::vector<WriteOutcome> outcomes;
    bool allGood = true;
    {
      ValueStore::Writing values(server->values);
      const FILETIME now = fileTimeNow();
      for (size_t index = 0; index < request.handles.size(); ++index) {
        const GroupItem* item = items.find(request.handles[index]);
        if (item == nullptr) continue;  // removed since the request
        const HRESULT error =
            writeItem(values, space, item->item, request.values[index].get(), settings.locale, now);
        allGood = allGood && SUCCEEDED(error);
        outcomes.push_back(WriteOutcome{item->clientHandle, error});
      }
    }
    HGLOBAL block = writeWriteCompleteStream(StreamHeader{header.clientGroup, header.transactionId,
                                                          allGood ? S_OK : S_FALSE},
                                             outcomes);
    if (block != nullptr) deliveries.emplace_back(connection->sink, clipboardFormat(connection->format), block);
    return;
  }

  std::vector<StreamItem> streamItems;
  const bool fromCache = request.source == OPC_DS_CACHE;
  {
    ValueStore::Reading values(server->values);
    auto add = [&](const GroupItem& item) {
      ItemReading reading;
      readItem(values, space.basics(item.item), item, fromCache, settings.active, settings.locale, reading);
      streamItems.push_back(StreamItem{item.clientHandle, reading.quality, reading.timeStamp, std::move(reading.value)});
    };
    if (request.kind == AsyncRequest::Kind::Refresh) {
      items.forEach([&](const GroupItem& item) {
        if (item.active && space.item(item.item).readable()) add(item);
      });
    } else {
      for (OPCHANDLE handle : request.handles) {
        if (const GroupItem* item = items.find(handle)) add(*item);
      }
    }
  }
  deliverData(header, streamItems, connection, deliveries);
}

}  // namespace sample
