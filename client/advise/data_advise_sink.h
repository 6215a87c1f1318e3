#pragma once

// The COM object a group's IDataObject calls with its data-change streams
// (OPC DA 1.0 data advise). It decodes each stream and hands the result to
// an AdviseCallback.
//
// The sink is reference counted: its creator holds the first reference and
// the server holds its own while a subscription lasts. When the last
// reference goes, every connection still open is cancelled and the data
// object released.
//
// The callback is not owned. Its owner detaches it (DisconnectCallback)
// before it goes away: from then on no call reaches it, and a call already
// on its way has returned, whatever the server still does with the sink.

#include <atomic>
#include <shared_mutex>

#include "advise/advise_callback.h"
#include "com/interfaces/data_object.h"

class CDataAdviseSink final : public IAdviseSink {
 public:
  // A sink with one reference, or null when memory runs out.
  static CDataAdviseSink* Create();

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IAdviseSink
  void STDMETHODCALLTYPE OnDataChange(FORMATETC* format, STGMEDIUM* medium) override;
  void STDMETHODCALLTYPE OnViewChange(DWORD, LONG) override {}
  void STDMETHODCALLTYPE OnRename(IMoniker*) override {}
  void STDMETHODCALLTYPE OnSave() override {}
  void STDMETHODCALLTYPE OnClose() override {}

  // Keeps the callback and takes the group's IDataObject (`group` is any of
  // the group's interfaces). On failure the sink stays unconnected.
  HRESULT ConnectToGroup(IUnknown* group, AdviseCallback* callback);
  // Subscribes to "OPCSTMFORMATDATATIME" and returns the connection number.
  HRESULT AdviseWithTime(DWORD* connection);
  // Cancels that subscription; S_OK when there was none.
  HRESULT UnadviseWithTime();
  // Stops calling the callback; waits for a call in progress to return.
  void DisconnectCallback();

  // The registered numbers of the three stream formats.
  CLIPFORMAT dataFormat() const { return formats_[kData]; }
  CLIPFORMAT dataTimeFormat() const { return formats_[kDataTime]; }
  CLIPFORMAT writeCompleteFormat() const { return formats_[kWriteComplete]; }

 private:
  enum Format { kData, kDataTime, kWriteComplete, kFormatCount };

  CDataAdviseSink();
  ~CDataAdviseSink();

  void DecodeData(BYTE* block, SIZE_T size, Format format, AdviseCallback& callback);
  void DecodeWriteComplete(BYTE* block, SIZE_T size, AdviseCallback& callback);

  std::atomic<ULONG> references_{1};
  CLIPFORMAT formats_[kFormatCount] = {};
  // Connection numbers, 0 when not advised; used by the user-interface
  // thread and by the last release only.
  DWORD connections_[kFormatCount] = {};
  IDataObject* dataObject_ = nullptr;
  // Guards callback_: callbacks read it shared for the length of their call,
  // attaching and detaching write it exclusively.
  std::shared_mutex callbackLock_;
  AdviseCallback* callback_ = nullptr;
};
