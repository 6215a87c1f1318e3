#include "template_builder.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

#include "control_notifications.h"
#include "gui/dialog_units.h"
#include "gui/resources.h"
#include "gui/window.h"
#include "ip_address_edit.h"
#include "tree_widget.h"

namespace gui {
namespace {

constexpr const char* kSortedProperty = "gui.sorted";

Qt::Alignment textAlignment(unsigned style, Qt::Alignment vertical) {
  if (style & kCenter) return Qt::AlignHCenter | vertical;
  if (style & kRight) return Qt::AlignRight | vertical;
  return Qt::AlignLeft | vertical;
}

// Removes "&" mnemonics from a text shown where no mnemonic can work.
QString withoutMnemonics(const QString& text) {
  QString result;
  for (int i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('&') && i + 1 < text.size()) ++i;
    result += text[i];
  }
  return result;
}

bool takesFocus(ControlKind kind) {
  switch (kind) {
    case ControlKind::Edit:
    case ControlKind::ListBox:
    case ControlKind::ComboBox:
    case ControlKind::TreeView:
    case ControlKind::ListView:
    case ControlKind::IpAddress:
    case ControlKind::PushButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
    case ControlKind::BitmapButton:
      return true;
    default:
      return false;
  }
}

QLineEdit* makeLineEdit(const ControlTemplate& control, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setAlignment(textAlignment(control.style, Qt::AlignVCenter));
  if (control.style & kPassword) edit->setEchoMode(QLineEdit::Password);
  if (control.style & kNumber) {
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
  }
  if (control.style & kUppercase) {
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
      const QString upper = text.toUpper();
      if (upper == text) return;
      const int cursor = edit->cursorPosition();
      edit->setText(upper);
      edit->setCursorPosition(cursor);
    });
  }
  return edit;
}

QWidget* makeEdit(const ControlTemplate& control, QWidget* parent) {
  QWidget* widget;
  if (control.style & kMultiLine) {
    auto* plain = new QPlainTextEdit(parent);
    plain->setLineWrapMode((control.style & kAutoHScroll) ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
    plain->setReadOnly(control.style & kReadOnly);
    plain->setTabChangesFocus(true);
    widget = plain;
  } else {
    QLineEdit* line = makeLineEdit(control, parent);
    line->setReadOnly(control.style & kReadOnly);
    widget = line;
  }
  if (control.style & kReadOnly) {
    // Read-only fields show the dialog's face colour, as on the desktop platform.
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    widget->setPalette(palette);
  }
  return widget;
}

QComboBox* makeComboBox(const ControlTemplate& control, QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setEditable((control.style & kDropDown) != 0);
  combo->setInsertPolicy(QComboBox::NoInsert);
  if (combo->isEditable()) combo->setCompleter(nullptr);
  combo->setProperty(kSortedProperty, (control.style & kSort) != 0);
  return combo;
}

TreeWidget* makeTree(const ControlTemplate& control, QWidget* parent) {
  auto* tree = new TreeWidget(parent);
  tree->setLineStyle(control.style & kHasLines, control.style & kHasButtons, control.style & kLinesAtRoot);
  return tree;
}

TreeWidget* makeListView(const ControlTemplate& control, QWidget* parent, const DialogUnits& units) {
  auto* list = new TreeWidget(parent);
  list->setRootIsDecorated(false);
  list->setItemsExpandable(false);
  list->setHeaderHidden(false);
  list->setAllColumnsShowFocus(true);
  list->header()->setStretchLastSection(false);
  list->header()->setSectionsMovable(false);
  list->setSelectionMode((control.style & kSingleSelection) ? QAbstractItemView::SingleSelection
                                                            : QAbstractItemView::ExtendedSelection);
  list->setProperty("gui.listView", true);
  if (!control.columns.empty()) {
    QStringList labels;
    for (const ListViewColumn& column : control.columns) labels << column.header;
    list->setHeaderLabels(labels);
    for (int i = 0; i < static_cast<int>(control.columns.size()); ++i) {
      list->setColumnWidth(i, units.toPixelsX(control.columns[i].width));
    }
    list->setProperty("gui.columns", static_cast<int>(labels.size()));
  }
  return list;
}

QWidget* makeControl(const ControlTemplate& control, QWidget* parent, const DialogUnits& units) {
  switch (control.kind) {
    case ControlKind::Label: {
      auto* label = new QLabel(control.text, parent);
      label->setTextFormat(Qt::PlainText);
      label->setWordWrap((control.style & kNoWrap) == 0);
      label->setAlignment(textAlignment(control.style, Qt::AlignTop));
      if (control.style & kSunken) label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      return label;
    }
    case ControlKind::Edit:
      return makeEdit(control, parent);
    case ControlKind::PushButton: {
      auto* button = new QPushButton(control.text, parent);
      button->setDefault(control.style & kDefaultButton);
      return button;
    }
    case ControlKind::BitmapButton: {
      auto* button = new QPushButton(parent);
      const QPixmap image = LoadBitmap(control.imageId);
      button->setIcon(QIcon(image));
      button->setIconSize(image.size());
      return button;
    }
    case ControlKind::CheckBox:
      return new QCheckBox(control.text, parent);
    case ControlKind::RadioButton: {
      auto* radio = new QRadioButton(control.text, parent);
      radio->setAutoExclusive(false);  // grouped by the template's groups instead
      return radio;
    }
    case ControlKind::GroupBox:
      return new QGroupBox(control.text, parent);
    case ControlKind::ListBox: {
      auto* list = new QListWidget(parent);
      list->setProperty(kSortedProperty, (control.style & kSort) != 0);
      list->setHorizontalScrollBarPolicy((control.style & kHScroll) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
      list->setUniformItemSizes(true);
      return list;
    }
    case ControlKind::ComboBox:
      return makeComboBox(control, parent);
    case ControlKind::TreeView:
      return makeTree(control, parent);
    case ControlKind::ListView:
      return makeListView(control, parent, units);
    case ControlKind::IpAddress:
      return new IpAddressEdit(parent);
    case ControlKind::Picture: {
      auto* picture = new QLabel(parent);
      picture->setPixmap(LoadBitmap(control.imageId));
      return picture;
    }
    case ControlKind::Icon: {
      auto* icon = new QLabel(parent);
      icon->setPixmap(LoadIcon(control.imageId).pixmap(32, 32));
      return icon;
    }
  }
  return new QWidget(parent);
}

// Where the control goes: the template rectangle, except where the platform
// sizes a control itself.
QRect placementOf(const ControlTemplate& control, QWidget* widget, const DialogUnits& units) {
  QRect rect = units.toPixels(control.rect);
  switch (control.kind) {
    case ControlKind::ComboBox: {
      // The template height includes the dropped-down list.
      const int closed = qMin(rect.height(), widget->sizeHint().height());
      auto* combo = static_cast<QComboBox*>(widget);
      const int itemHeight = qMax(1, combo->fontMetrics().height() + 2);
      combo->setMaxVisibleItems(qMax(4, (rect.height() - closed) / itemHeight));
      rect.setHeight(closed);
      break;
    }
    case ControlKind::Label: {
      // A label sized for one line keeps its text on that line. Where the
      // font is a little wider than the one the template was made with, the
      // label grows to the right instead of wrapping into a clipped second line.
      auto* label = static_cast<QLabel*>(widget);
      const QFontMetrics metrics(label->font());
      if (rect.height() < 2 * metrics.height() && !(control.style & (kCenter | kRight))) {
        label->setWordWrap(false);
        rect.setWidth(qMax(rect.width(), metrics.horizontalAdvance(label->text()) + 1));
      }
      break;
    }
    case ControlKind::Picture:
    case ControlKind::Icon: {
      const QSize size = static_cast<QLabel*>(widget)->pixmap().size();
      if (!size.isEmpty()) rect.setSize(size);
      break;
    }
    default:
      break;
  }
  return rect;
}

}  // namespace

QSize buildFromTemplate(const DialogTemplate& dialog, QWidget* parent, Window& owner) {
  const QFont font = DialogUnits::templateFont(dialog.font);
  parent->setFont(font);
  const DialogUnits units(font);

  std::vector<QWidget*> widgets;
  QButtonGroup* radioGroup = nullptr;
  for (const ControlTemplate& control : dialog.controls) {
    QWidget* widget = makeControl(control, parent, units);
    widget->setGeometry(placementOf(control, widget, units));
    widget->setProperty(kControlIdProperty, control.id);
    if (control.id != IDC_STATIC) widget->setObjectName(QString::number(control.id));
    widget->setEnabled((control.style & kDisabled) == 0);
    widget->setVisible((control.style & kHidden) == 0);
    if (takesFocus(control.kind) && (control.style & kTabStop) == 0) widget->setFocusPolicy(Qt::ClickFocus);

    // Radio buttons are exclusive within a template group: from a control
    // marked as starting a group up to the next one.
    if (control.style & kGroup) radioGroup = nullptr;
    if (control.kind == ControlKind::RadioButton) {
      if (radioGroup == nullptr) radioGroup = new QButtonGroup(parent);
      radioGroup->addButton(static_cast<QRadioButton*>(widget));
    }

    owner.registerControl(control.id, control.style, widget);
    connectControlNotifications(widget, control.kind, control.id, owner);
    widgets.push_back(widget);
  }

  for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
    const ControlTemplate& control = dialog.controls[i];
    if (control.kind == ControlKind::GroupBox) widgets[i]->lower();  // frames stay behind what they frame
    if (control.kind != ControlKind::Label || !control.text.contains(QLatin1Char('&'))) continue;
    // A label's mnemonic moves the focus to the next control that takes it;
    // a label shows "&" as a mnemonic only when it has such a buddy.
    auto* label = static_cast<QLabel*>(widgets[i]);
    QWidget* buddy = nullptr;
    for (std::size_t j = i + 1; j < dialog.controls.size() && buddy == nullptr; ++j) {
      if (takesFocus(dialog.controls[j].kind)) buddy = widgets[j];
    }
    if (buddy != nullptr) {
      label->setBuddy(buddy);
    } else {
      label->setText(withoutMnemonics(control.text));
    }
  }
  return units.toPixels(dialog.cx, dialog.cy);
}

}  // namespace gui
