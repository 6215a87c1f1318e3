#pragma once

// The server selection's tree of machines (control 1000 of its dialog):
// this computer with its "Registry" and "OPC Browser" sources, the network
// down to its servers, and one remote node added by address. A node's kind
// is its image index; an "OPC Browser" node owns its machine's server list
// object (item data), released when the tree's window goes.
//
// The dialog attaches the tree once its controls exist and passes it the
// tree's expansion and right-click notifications and its own destruction.
// The object reads the remote node from the settings when constructed and
// writes it back when destroyed.

#include <QString>

#include "gui/image_list.h"
#include "gui/notify_info.h"
#include "gui/tree_ctrl.h"
#include "opc/server_list.h"
#include "win/network.h"

namespace gui {
class Window;
}

// The node kinds by image index.
enum MachineNodeKind : int {
  kThisComputerNode = 0,
  kNetworkNode = 1,
  kNetworkObjectNode = 2,  // a network object without an image of its own, such as a provider
  kDomainNode = 3,
  kMachineNode = 4,        // a server of the network, or the remote node
  kGenericNode = 5,
  kShareNode = 6,
  kRegistryNode = 7,
  kServerListNode = 8,     // "OPC Browser"
  kPlaceholderNode = 9,
  kServerListSelectedImage = 10,
  kRegistrySelectedImage = 11,
  kNoServerListNode = 12,  // "There is no OPC Browser."
  kErrorNode = 13,         // the system's text of a failure
};

class CMachineTree {
 public:
  CMachineTree();
  ~CMachineTree();
  CMachineTree(const CMachineTree&) = delete;
  CMachineTree& operator=(const CMachineTree&) = delete;

  // Builds the tree in control `controlId` of `owner`: this computer with
  // its sources, joining COM for the server list object, and the network
  // root; selects "OPC Browser" (or "Registry").
  void Attach(gui::Window& owner, int controlId);
  // The tree's window is being destroyed: releases every server list object
  // and deletes the nodes.
  void OnDestroy();

  void OnItemExpanding(const gui::NotifyInfo& info);
  void OnRightClick(const gui::NotifyInfo& info);
  void OnAddRemoteNode();
  void OnRemoveRemoteNode();

  gui::TreeCtrl& tree() { return tree_; }
  // The node's kind (image index), -1 for none.
  int NodeKind(gui::TreeItem node) const;
  IOPCServerList* ServerList(gui::TreeItem node) const;
  const QString& computerFolderName() const { return computerFolderName_; }
  const QString& networkFolderName() const { return networkFolderName_; }
  const QString& remoteNodeText() const { return remoteNodeText_; }

 private:
  gui::TreeItem InsertNode(const QString& text, int kind, gui::TreeItem parent,
                           gui::TreeCtrl::Position position = gui::TreeCtrl::Position::Last);
  gui::TreeItem InsertMachineNode(const QString& text, gui::TreeItem parent, gui::TreeCtrl::Position position);
  // Creates the server list object on `machine` (null: this computer) and
  // inserts its "OPC Browser" node, or the error node, under `parent`.
  gui::TreeItem InsertServerListNode(gui::TreeItem parent, const QString* machine);
  void InsertErrorNode(gui::TreeItem parent, HRESULT failure);
  void EnumerateNetwork(NETRESOURCEA* resource, gui::TreeItem parent, int depth);
  void ReleaseServerLists(gui::TreeItem first);

  gui::Window* owner_ = nullptr;
  gui::TreeCtrl tree_;
  gui::ImageList images_;
  QString computerFolderName_;
  QString networkFolderName_;
  QString remoteNodeText_;
  bool joinedCom_ = false;
};
