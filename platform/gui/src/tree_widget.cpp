#include "tree_widget.h"

#include <QHeaderView>
#include <QPainter>

namespace gui {
namespace {

// Dotted lines in the desktop platform's manner: one pixel on, one off,
// aligned to the viewport so that neighbouring rows join up.
void dottedVertical(QPainter* painter, int x, int top, int bottom) {
  for (int y = top + ((top + x) & 1); y <= bottom; y += 2) painter->drawPoint(x, y);
}

void dottedHorizontal(QPainter* painter, int y, int left, int right) {
  for (int x = left + ((left + y) & 1); x <= right; x += 2) painter->drawPoint(x, y);
}

bool hasNextSibling(const QTreeWidgetItem* item, const QTreeWidget* tree) {
  if (const QTreeWidgetItem* parent = item->parent()) {
    return parent->indexOfChild(const_cast<QTreeWidgetItem*>(item)) < parent->childCount() - 1;
  }
  return tree->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) < tree->topLevelItemCount() - 1;
}

}  // namespace

TreeWidget::TreeWidget(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setIndentation(19);
  setIconSize(QSize(16, 16));
  setExpandsOnDoubleClick(true);
  header()->setStretchLastSection(true);
}

void TreeWidget::setImageList(const ImageList& images) {
  images_ = images;
  icons_.clear();
  if (!images.IsNull()) setIconSize(images.imageSize());
  QTreeWidgetItemIterator it(this);
  for (; *it != nullptr; ++it) applyImage(*it);
}

void TreeWidget::applyImage(QTreeWidgetItem* item) const {
  if (auto* entry = dynamic_cast<TreeEntry*>(item)) {
    entry->iconChanged();
    return;
  }
  const QVariant image = item->data(0, kImageRole);
  if (!image.isValid() || images_.IsNull()) {
    item->setIcon(0, QIcon());
    return;
  }
  item->setIcon(0, iconFor(image.toInt(), item->data(0, kSelectedImageRole).toInt()));
}

QIcon TreeWidget::iconFor(int image, int selectedImage) const {
  if (images_.IsNull()) return QIcon();
  const std::pair<int, int> key(image, selectedImage);
  auto icon = icons_.find(key);
  if (icon == icons_.end()) icon = icons_.emplace(key, images_.icon(image, selectedImage)).first;
  return icon->second;
}

TreeEntry::TreeEntry(const QString& text, int image, int selectedImage, DWORD_PTR data)
    : QTreeWidgetItem(QStringList(text)), image_(image), selectedImage_(selectedImage), data_(data) {}

TreeEntry::TreeEntry(TreeTextCallback text, int image, int selectedImage, DWORD_PTR data)
    : image_(image), selectedImage_(selectedImage), data_(data), textCallback_(text) {}

QVariant TreeEntry::data(int column, int role) const {
  if (column == 0) {
    switch (role) {
      case Qt::DisplayRole:
      case Qt::EditRole:
        if (textCallback_ != nullptr) return textCallback_(data_);
        break;
      case kImageRole:
        return image_;
      case kSelectedImageRole:
        return selectedImage_;
      case kItemDataRole:
        return QVariant::fromValue<qulonglong>(data_);
      case Qt::DecorationRole:
        if (const auto* tree = dynamic_cast<const TreeWidget*>(treeWidget())) return tree->iconFor(image_, selectedImage_);
        return QVariant();
      default:
        break;
    }
  }
  return QTreeWidgetItem::data(column, role);
}

void TreeEntry::setData(int column, int role, const QVariant& value) {
  if (column == 0) {
    switch (role) {
      case Qt::DisplayRole:
      case Qt::EditRole:
        // From now on the entry shows the text it was given.
        textCallback_ = nullptr;
        break;
      case kImageRole:
        image_ = value.toInt();
        emitDataChanged();
        return;
      case kSelectedImageRole:
        selectedImage_ = value.toInt();
        emitDataChanged();
        return;
      case kItemDataRole:
        data_ = static_cast<DWORD_PTR>(value.toULongLong());
        return;
      case Qt::DecorationRole:
        // The icon follows the images; it is not set on its own.
        return;
      default:
        break;
    }
  }
  QTreeWidgetItem::setData(column, role, value);
}

void TreeWidget::setLineStyle(bool hasLines, bool hasButtons, bool linesAtRoot) {
  hasLines_ = hasLines;
  hasButtons_ = hasButtons;
  linesAtRoot_ = linesAtRoot;
  setRootIsDecorated(linesAtRoot);
  viewport()->update();
}

void TreeWidget::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const {
  if (!hasLines_) {
    if (hasButtons_) QTreeWidget::drawBranches(painter, rect, index);
    return;
  }
  const QTreeWidgetItem* item = itemFromIndex(index);
  if (item == nullptr) return;

  // The chain of entries whose branch columns this row shows, outermost first.
  std::vector<const QTreeWidgetItem*> chain;
  for (const QTreeWidgetItem* at = item; at != nullptr; at = at->parent()) chain.insert(chain.begin(), at);
  if (!rootIsDecorated()) chain.erase(chain.begin());
  if (chain.empty()) return;

  const int indent = indentation();
  const int slotCount = static_cast<int>(chain.size());
  const int rowTop = rect.top();
  const int rowBottom = rect.bottom();
  const int middleY = rect.center().y();

  painter->save();
  painter->setPen(palette().color(QPalette::Mid));
  for (int i = 0; i < slotCount; ++i) {
    const int slotLeft = rect.right() + 1 - (slotCount - i) * indent;
    const int middleX = slotLeft + indent / 2;
    const QTreeWidgetItem* entry = chain[i];
    if (i < slotCount - 1) {
      // An outer level: its line continues past this row when it has more entries below.
      if (hasNextSibling(entry, this)) dottedVertical(painter, middleX, rowTop, rowBottom);
      continue;
    }
    const bool firstAtTop = entry->parent() == nullptr && indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(entry)) == 0;
    const int lineTop = firstAtTop ? middleY : rowTop;
    const int lineBottom = hasNextSibling(entry, this) ? rowBottom : middleY;
    dottedVertical(painter, middleX, lineTop, lineBottom);
    dottedHorizontal(painter, middleY, middleX, slotLeft + indent - 2);

    const bool expandable = entry->childCount() > 0 ||
                            entry->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator;
    if (hasButtons_ && expandable) {
      const QRect box(middleX - 4, middleY - 4, 8, 8);
      painter->fillRect(box, palette().color(QPalette::Base));
      painter->setPen(palette().color(QPalette::Dark));
      painter->drawRect(box);
      painter->setPen(palette().color(QPalette::Text));
      painter->drawLine(middleX - 2, middleY, middleX + 2, middleY);
      if (!entry->isExpanded()) painter->drawLine(middleX, middleY - 2, middleX, middleY + 2);
      painter->setPen(palette().color(QPalette::Mid));
    }
  }
  painter->restore();
}

}  // namespace gui
