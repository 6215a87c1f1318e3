#include "gui/resources.h"

#include "gui/ids.h"
#include "standard_strings.h"

// Qt resources compiled into a static library need an explicit registration;
// it must be called from the global namespace.
static void registerGuiImages() { Q_INIT_RESOURCE(gui_images); }

namespace gui {

Resources& Resources::instance() {
  static Resources resources;
  return resources;
}

Resources::Resources() {
  registerGuiImages();
  for (const auto& [id, text] : standardStrings()) strings_[id] = text;
}

void Resources::addMenu(UINT id, MenuResource menu) { menus_[id] = std::move(menu); }
void Resources::addToolBar(UINT id, ToolBarResource toolBar) { toolBars_[id] = std::move(toolBar); }
void Resources::addAccelerators(UINT id, AcceleratorTable table) { accelerators_[id] = std::move(table); }
void Resources::addDialog(DialogTemplate dialog) {
  const UINT id = dialog.id;
  dialogs_[id] = std::move(dialog);
}
void Resources::addString(UINT id, QString text) { strings_[id] = std::move(text); }
void Resources::addStrings(std::initializer_list<std::pair<UINT, QString>> strings) {
  for (const auto& [id, text] : strings) strings_[id] = text;
}
void Resources::addBitmap(UINT id, QString path) { bitmaps_[id] = std::move(path); }
void Resources::addIcon(UINT id, std::vector<QString> paths) { icons_[id] = std::move(paths); }

template <class Map>
static const typename Map::mapped_type* find(const Map& map, UINT id) {
  const auto it = map.find(id);
  return it == map.end() ? nullptr : &it->second;
}

const MenuResource* Resources::menu(UINT id) const { return find(menus_, id); }
const ToolBarResource* Resources::toolBar(UINT id) const { return find(toolBars_, id); }
const AcceleratorTable* Resources::accelerators(UINT id) const { return find(accelerators_, id); }
const DialogTemplate* Resources::dialog(UINT id) const { return find(dialogs_, id); }

bool Resources::string(UINT id, QString& text) const {
  const QString* found = find(strings_, id);
  if (found == nullptr) return false;
  text = *found;
  return true;
}

QPixmap Resources::bitmap(UINT id) const {
  const QString* path = find(bitmaps_, id);
  return path == nullptr ? QPixmap() : QPixmap(*path);
}

QIcon Resources::icon(UINT id) const {
  const auto* paths = find(icons_, id);
  QIcon icon;
  if (paths != nullptr) {
    for (const QString& path : *paths) icon.addFile(path);
  }
  return icon;
}

QString LoadString(UINT id) {
  QString text;
  Resources::instance().string(id, text);
  return text;
}

QString StringPart(const QString& text, int index) {
  const QStringList parts = text.split(QLatin1Char('\n'));
  return index < parts.size() ? parts[index] : QString();
}

QPixmap LoadBitmap(UINT id) { return Resources::instance().bitmap(id); }
QIcon LoadIcon(UINT id) { return Resources::instance().icon(id); }

}  // namespace gui
