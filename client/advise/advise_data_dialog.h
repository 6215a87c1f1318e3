#pragma once

// The data-advise dialog: it watches one item of a group through the
// group's IDataObject and shows, live, the latest value, quality and time
// stamp the server sends for it, with the number of callbacks that carried
// it.
//
// While the dialog is open the item carries a temporary client handle, by
// which the dialog finds it in the streams; the item's own handle is set
// back when the dialog object goes. Callbacks arrive on the server's
// threads: they store the item's data under a lock and post the dialog a
// display request, so the controls are only touched on the user-interface
// thread.

#include <vector>

#include "advise/advise_callback.h"
#include "advise/data_advise_sink.h"
#include "advise/watched_item.h"
#include "gui/dialog.h"
#include "opc/group.h"
#include "opc/records.h"

class CServerSession;

class CAdviseDataDialog : public gui::Dialog, public AdviseCallback {
 public:
  // Takes a reference on `asyncIO` and `itemMgt`. `item` is the item's
  // record in the group pane, borrowed for the dialog's lifetime; its
  // hClient is the handle set back at the end. `groupClientHandles` are
  // the client handles the group's items carry, which the temporary handle
  // must differ from. `session` (may be null) describes result codes.
  CAdviseDataDialog(IOPCAsyncIO* asyncIO, IOPCItemMgt* itemMgt, OPCITEMATTRIBUTES* item, float percentDeadband,
                    std::vector<OPCHANDLE> groupClientHandles, const CServerSession* session,
                    gui::Window* parent = nullptr);
  ~CAdviseDataDialog() override;

  // AdviseCallback; only the time-stamped format is shown.
  void OnData(const OPCGROUPHEADER*, const OPCITEMHEADER2*, const VARIANT*) override {}
  void OnDataWithTime(const OPCGROUPHEADER* header, const OPCITEMHEADER1* items, const VARIANT* values) override;
  void OnWriteComplete(const OPCGROUPHEADERWRITE*, const OPCITEMHEADERWRITE*) override {}

  OPCHANDLE temporaryClientHandle() const { return watched_.clientHandle(); }
  DWORD callbackCount() const { return watched_.callbackCount(); }

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
  void OnDestroy() override;
  void DoDataExchange(gui::DataExchange& exchange) override;

 private:
  // Shows a message box and asks the dialog to close.
  void FailOpening(const QString& message);
  void OnDisplayRequest();
  void AddResultCodeText(HRESULT code);
  // Sets the item's own client handle back, if the server took another.
  void RestoreClientHandle();
  void FreeServerMemory(void* block) const;

  DWORD shownCount_ = 0;  // the count as last displayed (data exchange)
  float percentDeadband_;
  CDataAdviseSink* sink_ = nullptr;
  IOPCAsyncIO* asyncIO_;
  IOPCItemMgt* itemMgt_;
  OPCITEMATTRIBUTES* item_;
  DWORD connection_ = 0;
  // Whether the server took the temporary handle.
  bool swapped_ = false;
  std::vector<OPCHANDLE> groupClientHandles_;
  const CServerSession* session_;
  advise::WatchedItem watched_;
};
