// IDataObject of a group: the OPC DA 1.0 data-advise connections. A client
// advises a sink for one of the three stream formats (one connection per
// format), unless a DA 2.0 callback is connected; the update thread then
// sends it data changes or asynchronous results in that format. The data object hands out no data of its own
// (GetData and friends are not implemented).

#include <algorithm>

#include "com/data_enumerators.h"
#include "group.h"
#include "task_memory.h"

namespace sample {
namespace {

bool streamFormatOf(CLIPFORMAT clipboardFormat, StreamFormat& format) {
  const StreamFormats& formats = StreamFormats::get();
  if (clipboardFormat == formats.data) {
    format = StreamFormat::Data;
  } else if (clipboardFormat == formats.dataTime) {
    format = StreamFormat::DataTime;
  } else if (clipboardFormat == formats.writeComplete) {
    format = StreamFormat::WriteComplete;
  } else {
    return false;
  }
  return true;
}

FORMATETC formatEtcOf(StreamFormat format) {
  const StreamFormats& formats = StreamFormats::get();
  const CLIPFORMAT clipboardFormat = format == StreamFormat::Data       ? formats.data
                                     : format == StreamFormat::DataTime ? formats.dataTime
                                                                        : formats.writeComplete;
  return FORMATETC{clipboardFormat, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

}  // namespace

HRESULT Group::GetData(FORMATETC*, STGMEDIUM* medium) {
  if (medium != nullptr) medium->tymed = TYMED_NULL;
  return E_NOTIMPL;
}

HRESULT Group::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }
HRESULT Group::QueryGetData(FORMATETC*) { return E_NOTIMPL; }
HRESULT Group::GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) { return E_NOTIMPL; }
HRESULT Group::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }

HRESULT Group::EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) {
  if (formats == nullptr) return E_POINTER;
  *formats = nullptr;
  if (direction != DATADIR_GET) return E_NOTIMPL;
  if (!attached()) return E_FAIL;
  return guarded([&] {
    std::vector<com::StoredFormat> all;
    for (StreamFormat format : {StreamFormat::Data, StreamFormat::DataTime, StreamFormat::WriteComplete}) {
      all.emplace_back(formatEtcOf(format));
    }
    return com::EnumFORMATETC::create(std::move(all), formats);
  });
}

HRESULT Group::DAdvise(FORMATETC* format, DWORD advf, IAdviseSink* sink, DWORD* connection) {
  if (connection == nullptr) return E_POINTER;
  *connection = 0;
  if (format == nullptr || sink == nullptr) return E_INVALIDARG;
  StreamFormat streamFormat;
  if (!streamFormatOf(format->cfFormat, streamFormat)) return DV_E_FORMATETC;
  if ((format->tymed & TYMED_HGLOBAL) == 0) return DV_E_TYMED;
  if (format->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (format->lindex != -1) return DV_E_LINDEX;
  if (!attached()) return E_FAIL;
  return guarded([&] {
    std::lock_guard lock(state_->mutex);
    // A group connected to a DA 2.0 callback takes no advise (see
    // data_callback.cpp).
    if (state_->callback) return CONNECT_E_ADVISELIMIT;
    for (const auto& existing : state_->connections) {
      if (existing.format == streamFormat) return CONNECT_E_ADVISELIMIT;
    }
    if (++state_->lastConnection == 0) ++state_->lastConnection;
    state_->connections.push_back(AdviseConnection{state_->lastConnection, streamFormat, advf, com::Ptr(sink)});
    *connection = state_->lastConnection;
    // A new subscriber gets every active item at the next update.
    if (streamFormat != StreamFormat::WriteComplete) state_->resendAll();
    return S_OK;
  });
}

HRESULT Group::DUnadvise(DWORD connection) {
  if (!attached()) return E_FAIL;
  com::Ptr<IAdviseSink> leaving;  // released after the lock: the sink may call back
  {
    std::lock_guard lock(state_->mutex);
    auto& connections = state_->connections;
    auto found = std::find_if(connections.begin(), connections.end(),
                              [&](const AdviseConnection& candidate) { return candidate.connection == connection; });
    if (found == connections.end()) return OLE_E_NOCONNECTION;
    leaving = std::move(found->sink);
    connections.erase(found);
  }
  // A callback already on its way to the sink returns before the sink is
  // the client's alone again.
  state_->waitForCallbacks();
  return S_OK;
}

HRESULT Group::EnumDAdvise(IEnumSTATDATA** connections) {
  if (connections == nullptr) return E_POINTER;
  *connections = nullptr;
  if (!attached()) return E_FAIL;
  return guarded([&] {
    std::vector<com::StoredStatData> all;
    {
      std::lock_guard lock(state_->mutex);
      for (const auto& connection : state_->connections) {
        all.push_back(com::StoredStatData{com::StoredFormat(formatEtcOf(connection.format)), connection.advf,
                                          connection.sink, connection.connection});
      }
    }
    return com::EnumSTATDATA::create(std::move(all), connections);
  });
}

}  // namespace sample
