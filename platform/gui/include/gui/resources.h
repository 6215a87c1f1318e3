#pragma once

// The program's resources, looked up by id as the window layer needs them:
// menus, tool bars, accelerator tables, dialog templates, the string table and
// bitmaps and icons shipped as Qt resources. A program registers its tables
// once at start-up; registering an id again replaces the earlier entry.
// Used on the user-interface thread only.

#include <QIcon>
#include <QPixmap>
#include <QString>
#include <map>
#include <utility>
#include <vector>

#include "gui/accelerator_table.h"
#include "gui/dialog_template.h"
#include "gui/menu_resource.h"
#include "gui/tool_bar_resource.h"

namespace gui {

class Resources {
 public:
  static Resources& instance();

  void addMenu(UINT id, MenuResource menu);
  void addToolBar(UINT id, ToolBarResource toolBar);
  void addAccelerators(UINT id, AcceleratorTable table);
  void addDialog(DialogTemplate dialog);
  void addString(UINT id, QString text);
  void addStrings(std::initializer_list<std::pair<UINT, QString>> strings);
  // A bitmap or icon is a path into the Qt resources (":/...") or a file.
  void addBitmap(UINT id, QString path);
  void addIcon(UINT id, std::vector<QString> paths);  // one path per size

  const MenuResource* menu(UINT id) const;
  const ToolBarResource* toolBar(UINT id) const;
  const AcceleratorTable* accelerators(UINT id) const;
  const DialogTemplate* dialog(UINT id) const;
  // The string with this id; false when there is none. The framework's own
  // strings (idle prompt, indicators, validation prompts) are present unless
  // the program replaces them.
  bool string(UINT id, QString& text) const;
  QPixmap bitmap(UINT id) const;  // null pixmap when unknown or unreadable
  QIcon icon(UINT id) const;      // null icon when unknown

 private:
  Resources();

  std::map<UINT, MenuResource> menus_;
  std::map<UINT, ToolBarResource> toolBars_;
  std::map<UINT, AcceleratorTable> accelerators_;
  std::map<UINT, DialogTemplate> dialogs_;
  std::map<UINT, QString> strings_;
  std::map<UINT, QString> bitmaps_;
  std::map<UINT, std::vector<QString>> icons_;
};

// The string resource id, or an empty text when there is none.
QString LoadString(UINT id);
// Part `index` of a string whose parts are separated by "\n" (a command
// prompt: part 0 is the status-bar prompt, part 1 the tool tip).
QString StringPart(const QString& text, int index);
QPixmap LoadBitmap(UINT id);
QIcon LoadIcon(UINT id);

}  // namespace gui
