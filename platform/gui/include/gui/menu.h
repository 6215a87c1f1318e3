#pragma once

// A menu or menu bar, addressed by command id or by position as the desktop
// platform addresses its menus. A Menu either borrows a Qt menu (the frame's
// menu bar, a pop-up inside it) or owns one loaded from a menu resource for a
// context pop-up; copies share the loaded menu.

#include <QPointer>
#include <QWidget>
#include <QString>
#include <memory>

#include "gui/menu_resource.h"
#include "gui/types.h"

class QAction;
class QMenu;


namespace gui {

class Window;

// Flags of the menu calls.
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_SEPARATOR = 0x0800;
constexpr UINT kMenuNotFound = 0xFFFFFFFFu;

// Flags of TrackPopupMenu.
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_LEFTBUTTON = 0x0000;
constexpr UINT TPM_RIGHTBUTTON = 0x0002;
constexpr UINT TPM_RETURNCMD = 0x0100;

class Menu {
 public:
  Menu() = default;
  explicit Menu(QWidget* menuOrMenuBar);

  // Builds the menu resource as a context menu whose entries are the
  // resource's top-level entries. False when the resource does not exist.
  bool LoadMenu(UINT resourceId);
  void DestroyMenu();

  bool IsNull() const { return widget_.isNull(); }
  QWidget* widget() const { return widget_.data(); }

  int GetMenuItemCount() const;
  // The command id at a position: 0 for a separator, kMenuNotFound for a
  // pop-up entry or a position outside the menu.
  UINT GetMenuItemID(int position) const;
  Menu GetSubMenu(int position) const;
  QString GetMenuString(UINT item, UINT flags) const;
  // MF_GRAYED, MF_CHECKED and MF_POPUP of an entry, or kMenuNotFound.
  UINT GetMenuState(UINT item, UINT flags) const;
  // Both return the entry's previous state, or kMenuNotFound.
  UINT EnableMenuItem(UINT item, UINT flags);
  UINT CheckMenuItem(UINT item, UINT flags);
  bool RemoveMenu(UINT item, UINT flags);
  bool DeleteMenu(UINT item, UINT flags) { return RemoveMenu(item, flags); }

  // Shows this menu as a context pop-up at screen position (x, y). The chosen
  // command is sent to `target` as WM_COMMAND; with TPM_RETURNCMD it is
  // returned instead. Returns 0 when the user chose nothing. The interaction
  // goes through the modal seam, so tests choose the entry.
  UINT TrackPopupMenu(UINT flags, int x, int y, Window* target);

  // The entry named by id (searched through pop-ups too) or by position.
  QAction* action(UINT item, UINT flags) const;

  // Fills a Qt menu or menu bar with resource entries. Each command entry
  // carries its command id (see commandIdOf); pop-ups become sub-menus.
  static void build(QWidget* menuOrMenuBar, const std::vector<MenuItem>& items);
  // The command id of an entry built from a resource, or 0.
  static UINT commandIdOf(const QAction* action);

 private:
  QPointer<QWidget> widget_;
  std::shared_ptr<QMenu> owned_;
};

}  // namespace gui
