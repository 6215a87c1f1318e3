#pragma once

// The server selection dialog (template 105), opened by the connect
// dialog's "Browse...": the machine tree on the left, on the right the OPC
// servers that the selected source lists ("OPC Browser": a machine's server
// list object; "Registry": this computer's registry), narrowed by server
// type and a ProgID pattern. OK gives the chosen row's ProgID and the
// machine it was found on.

#include <QString>

#include "com/interfaces/malloc.h"
#include "gui/dialog.h"
#include "select/machine_tree.h"

class CServerSelectDialog : public gui::Dialog {
 public:
  explicit CServerSelectDialog(gui::Window* owner = nullptr);
  ~CServerSelectDialog() override;

  // After OK.
  const QString& progId() const { return progId_; }
  const QString& machine() const { return machine_; }

  CMachineTree& machineTree() { return tree_; }

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
  void OnDestroy() override;
  void DoDataExchange(gui::DataExchange& exchange) override;

 private:
  void OnTreeSelectionChanged(gui::NotifyInfo& info);
  void OnListItemChanged(gui::NotifyInfo& info);
  void FillList();
  void ListFromServerList(IOPCServerList* serverList);
  void ListFromRegistry();
  void AppendRow(const QString& description, const QString& progId);
  bool Matches(const QByteArray& progId, bool present) const;
  QString MachineOfSelection() const;

  CMachineTree tree_;
  bool da10_ = false;
  bool da20_ = true;
  QString filter_;
  bool caseSensitive_ = false;
  int chosenRow_ = -1;
  IMalloc* taskAllocator_ = nullptr;
  // Notifications that arrive while the controls are being set up are not
  // acted on.
  bool started_ = false;
  QString progId_;
  QString machine_;
};
