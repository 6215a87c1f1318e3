#include "gui/button.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QIcon>

#include "gui/resources.h"

namespace gui {

int Button::GetCheck() const {
  if (auto* check = qobject_cast<const QCheckBox*>(widget())) {
    switch (check->checkState()) {
      case Qt::Checked: return BST_CHECKED;
      case Qt::PartiallyChecked: return BST_INDETERMINATE;
      default: return BST_UNCHECKED;
    }
  }
  auto* button = qobject_cast<const QAbstractButton*>(widget());
  return button != nullptr && button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void Button::SetCheck(int check) {
  if (auto* box = qobject_cast<QCheckBox*>(widget())) {
    box->setCheckState(check == BST_CHECKED ? Qt::Checked
                       : check == BST_INDETERMINATE ? Qt::PartiallyChecked
                                                    : Qt::Unchecked);
    return;
  }
  auto* button = qobject_cast<QAbstractButton*>(widget());
  if (button == nullptr || !button->isCheckable()) return;
  QButtonGroup* group = button->group();
  if (check != BST_CHECKED && group != nullptr && group->exclusive() && button->isChecked()) {
    // An exclusive group refuses to clear its checked button directly.
    group->setExclusive(false);
    button->setChecked(false);
    group->setExclusive(true);
    return;
  }
  button->setChecked(check == BST_CHECKED);
}

void Button::Click() {
  if (auto* button = qobject_cast<QAbstractButton*>(widget())) button->click();
}

bool BitmapButton::LoadBitmaps(UINT normalId, UINT selectedId, UINT focusId, UINT disabledId) {
  auto* button = qobject_cast<QAbstractButton*>(widget());
  const QPixmap normal = LoadBitmap(normalId);
  if (button == nullptr || normal.isNull()) return false;
  QIcon icon(normal);
  if (selectedId != 0) icon.addPixmap(LoadBitmap(selectedId), QIcon::Active, QIcon::On);
  if (focusId != 0) icon.addPixmap(LoadBitmap(focusId), QIcon::Active);
  if (disabledId != 0) icon.addPixmap(LoadBitmap(disabledId), QIcon::Disabled);
  button->setIcon(icon);
  button->setIconSize(normal.size());
  button->setText(QString());
  return true;
}

}  // namespace gui
