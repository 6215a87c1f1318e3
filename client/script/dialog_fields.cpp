#include "script/dialog_fields.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include "gui/dialog.h"
#include "gui/resources.h"

namespace script {
namespace {

bool isInput(gui::ControlKind kind) {
  switch (kind) {
    case gui::ControlKind::Edit:
    case gui::ControlKind::CheckBox:
    case gui::ControlKind::RadioButton:
    case gui::ControlKind::ListBox:
    case gui::ControlKind::ComboBox:
    case gui::ControlKind::IpAddress:
      return true;
    default:
      return false;
  }
}

// Types a text as a user would: it replaces what is there, goes through the
// field's validator and length limit, and counts as an edit.
void typeInto(QLineEdit* edit, const QString& text) {
  edit->setFocus(Qt::OtherFocusReason);
  edit->selectAll();
  if (text.isEmpty()) {
    edit->del();
  } else {
    edit->insert(text);
  }
}

QString quotedList(const QStringList& texts) {
  QStringList quoted;
  for (const QString& text : texts) quoted << QLatin1Char('"') + text + QLatin1Char('"');
  return quoted.join(QStringLiteral(", "));
}

QStringList entriesOf(QWidget* widget) {
  QStringList entries;
  if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    for (int i = 0; i < combo->count(); ++i) entries << combo->itemText(i);
  } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
    for (int i = 0; i < list->count(); ++i) entries << list->item(i)->text();
  }
  return entries;
}

// At most this many entries are listed when a value is not among them.
constexpr int kListedEntries = 12;

QString entryListing(const QStringList& entries) {
  if (entries.isEmpty()) return QStringLiteral("it has no entries");
  QString text = QStringLiteral("its entries are ") + quotedList(entries.mid(0, kListedEntries));
  if (entries.size() > kListedEntries) text += QStringLiteral(" and %1 more").arg(entries.size() - kListedEntries);
  return text;
}

}  // namespace

QString PlainLabel(QString text) {
  text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  text.remove(QLatin1Char('&'));
  text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
  text = text.trimmed();
  if (text.endsWith(QLatin1Char(':'))) text.chop(1);
  return text.trimmed();
}

DialogFields::DialogFields(gui::Dialog& dialog) : dialog_(dialog) {
  template_ = gui::Resources::instance().dialog(dialog.templateId());
  if (template_ == nullptr) return;
  // The label that the next control takes: the last static text or group
  // box before it. A control takes it once; a radio group shares it.
  QString pending;
  int pendingId = gui::IDC_STATIC;  // the pending label's id when the dialog writes its text
  int radioGroup = -1;              // index of the open radio group's field
  // A text the dialog writes itself that labels no field is information of
  // its own (a version, a count): it counts among the dialog's contents.
  auto keepUnusedText = [&] {
    if (pendingId != gui::IDC_STATIC) fields_.push_back({QString(), gui::ControlKind::Label, {pendingId}});
    pendingId = gui::IDC_STATIC;
  };
  for (const gui::ControlTemplate& control : template_->controls) {
    const bool ownText = control.id != gui::IDC_STATIC;
    const QString shown = ownText ? dialog.GetDlgItemText(control.id) : control.text;
    if (control.kind == gui::ControlKind::Label || control.kind == gui::ControlKind::GroupBox) {
      keepUnusedText();
      pending = PlainLabel(shown);
      if (control.kind == gui::ControlKind::Label) pendingId = control.id;
      radioGroup = -1;
      continue;
    }
    if (!isInput(control.kind)) continue;
    if (control.kind == gui::ControlKind::RadioButton) {
      if (radioGroup >= 0 && (control.style & gui::kGroup) == 0) {
        fields_[static_cast<std::size_t>(radioGroup)].ids.push_back(control.id);
        continue;
      }
      fields_.push_back({pending, control.kind, {control.id}});
      radioGroup = static_cast<int>(fields_.size()) - 1;
      pending.clear();
      pendingId = gui::IDC_STATIC;
      continue;
    }
    radioGroup = -1;
    if (control.kind == gui::ControlKind::CheckBox && !PlainLabel(shown).isEmpty()) {
      fields_.push_back({PlainLabel(shown), control.kind, {control.id}});
      continue;
    }
    fields_.push_back({pending, control.kind, {control.id}});
    pending.clear();
    pendingId = gui::IDC_STATIC;
  }
  keepUnusedText();
}

QString DialogFields::caption() const { return dialog_.GetWindowText(); }

QStringList DialogFields::labels() const {
  QStringList labels;
  for (const DialogField& field : fields_) {
    // Fields the dialog hides for its mode are not there for the user.
    // Nor can a user type into a read-only field.
    const QWidget* widget = dialog_.GetDlgItem(field.ids.front());
    const bool shown = widget == nullptr || widget->isVisibleTo(widget->window());
    const auto* line = qobject_cast<const QLineEdit*>(widget);
    const bool readOnly = line != nullptr && line->isReadOnly();
    if (!field.label.isEmpty() && shown && !readOnly) labels << field.label;
  }
  return labels;
}

QStringList DialogFields::contents() const {
  QStringList lines;
  for (const DialogField& field : fields_) {
    const QString prefix = field.label.isEmpty() ? QString() : field.label + QStringLiteral(": ");
    if (field.kind == gui::ControlKind::RadioButton) {
      for (int id : field.ids) {
        auto* radio = qobject_cast<QAbstractButton*>(dialog_.GetDlgItem(id));
        if (radio != nullptr && radio->isChecked()) lines << prefix + PlainLabel(radio->text());
      }
      continue;
    }
    QWidget* widget = dialog_.GetDlgItem(field.ids.front());
    if (widget == nullptr || !widget->isVisibleTo(widget->window())) continue;
    if (field.kind == gui::ControlKind::Label) {
      lines << dialog_.GetDlgItemText(field.ids.front());
    } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
      if (!prefix.isEmpty()) lines << field.label + QLatin1Char(':');
      lines << entriesOf(list);
    } else if (auto* box = qobject_cast<QAbstractButton*>(widget)) {
      lines << prefix + (box->isChecked() ? QStringLiteral("on") : QStringLiteral("off"));
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
      lines << prefix + combo->currentText();
    } else {
      lines << prefix + dialog_.GetDlgItemText(field.ids.front());
    }
  }
  return lines;
}

bool DialogFields::answer(const QString& label, const QString& value, QString& reason) {
  const QString wanted = PlainLabel(label);
  for (const DialogField& field : fields_) {
    if (!field.label.isEmpty() && field.label == wanted) return enter(field, value, reason);
  }
  reason = QStringLiteral("the dialog \"%1\" has no field \"%2\"; its fields are %3")
               .arg(caption(), label, quotedList(labels()));
  return false;
}

bool DialogFields::enter(const DialogField& field, const QString& value, QString& reason) {
  auto usable = [&](QWidget* widget) {
    if (widget == nullptr) {
      reason = QStringLiteral("the field \"%1\" has no control").arg(field.label);
      return false;
    }
    if (!widget->isEnabled() || !widget->isVisibleTo(widget->window())) {
      reason = QStringLiteral("the field \"%1\" is %2; a user cannot change it")
                   .arg(field.label, widget->isEnabled() ? QStringLiteral("hidden") : QStringLiteral("greyed"));
      return false;
    }
    return true;
  };

  if (field.kind == gui::ControlKind::RadioButton) {
    QStringList texts;
    for (int id : field.ids) {
      auto* radio = qobject_cast<QAbstractButton*>(dialog_.GetDlgItem(id));
      if (radio == nullptr) continue;
      const QString text = PlainLabel(radio->text());
      texts << text;
      if (text != PlainLabel(value)) continue;
      if (!usable(radio)) return false;
      if (!radio->isChecked()) radio->click();
      return true;
    }
    reason = QStringLiteral("\"%1\" is none of the choices of \"%2\" (%3)").arg(value, field.label, quotedList(texts));
    return false;
  }

  QWidget* widget = dialog_.GetDlgItem(field.ids.front());
  if (!usable(widget)) return false;

  if (field.kind == gui::ControlKind::CheckBox) {
    auto* box = qobject_cast<QAbstractButton*>(widget);
    bool on = false;
    const QString lower = value.toLower();
    if (lower == QLatin1String("on")) {
      on = true;
    } else if (lower != QLatin1String("off")) {
      reason = QStringLiteral("the check box \"%1\" takes on or off, not \"%2\"").arg(field.label, value);
      return false;
    }
    if (box != nullptr && box->isChecked() != on) box->click();
    return true;
  }

  if (auto* line = qobject_cast<QLineEdit*>(widget)) {
    if (line->isReadOnly()) {
      reason = QStringLiteral("the field \"%1\" is read-only").arg(field.label);
      return false;
    }
    typeInto(line, value);
    // Fields that turn letters into capitals take the text all the same;
    // a validator or length limit that refuses part of it does not.
    if (line->text().compare(value, Qt::CaseInsensitive) != 0) {
      reason = QStringLiteral("the field \"%1\" does not take \"%2\" (it shows \"%3\")").arg(field.label, value,
                                                                                           line->text());
      return false;
    }
    return true;
  }
  if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
    if (plain->isReadOnly()) {
      reason = QStringLiteral("the field \"%1\" is read-only").arg(field.label);
      return false;
    }
    plain->setPlainText(value);
    return true;
  }
  if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    const int index = combo->findText(value, Qt::MatchExactly);
    if (index >= 0) {
      combo->setCurrentIndex(index);
      return true;
    }
    if (combo->lineEdit() != nullptr) {
      // An editable drop-down takes any text, as typed.
      typeInto(combo->lineEdit(), value);
      return true;
    }
    reason = QStringLiteral("the drop-down \"%1\" has no entry \"%2\"; %3")
                 .arg(field.label, value, entryListing(entriesOf(combo)));
    return false;
  }
  if (auto* list = qobject_cast<QListWidget*>(widget)) {
    const QList<QListWidgetItem*> found = list->findItems(value, Qt::MatchExactly);
    if (found.isEmpty()) {
      reason = QStringLiteral("the list \"%1\" has no entry \"%2\"; %3")
                   .arg(field.label, value, entryListing(entriesOf(list)));
      return false;
    }
    list->setCurrentItem(found.front());
    return true;
  }
  dialog_.SetDlgItemText(field.ids.front(), value);
  return true;
}

bool DialogFields::press(const QString& buttonText, QString& reason) {
  QStringList texts;
  int id = 0;
  if (template_ != nullptr) {
    for (const gui::ControlTemplate& control : template_->controls) {
      if (control.kind != gui::ControlKind::PushButton && control.kind != gui::ControlKind::BitmapButton) continue;
      const QString text = PlainLabel(dialog_.GetDlgItemText(control.id));
      if (!text.isEmpty()) texts << text;
      if (id == 0 && !text.isEmpty() && text == PlainLabel(buttonText)) id = control.id;
    }
  }
  if (id == 0 && buttonText == QLatin1String("OK")) id = gui::IDOK;
  if (id == 0 && buttonText == QLatin1String("Cancel")) id = gui::IDCANCEL;
  auto* button = qobject_cast<QAbstractButton*>(dialog_.GetDlgItem(id));
  if (id == 0 || button == nullptr) {
    reason = QStringLiteral("the dialog \"%1\" has no button \"%2\"; its buttons are %3")
                 .arg(caption(), buttonText, quotedList(texts));
    return false;
  }
  if (!button->isEnabled() || !button->isVisibleTo(button->window())) {
    reason = QStringLiteral("the button \"%1\" of the dialog \"%2\" is greyed").arg(buttonText, caption());
    return false;
  }
  button->click();
  return true;
}

}  // namespace script
