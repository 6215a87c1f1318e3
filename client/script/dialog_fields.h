#pragma once

// The fields of an open dialog as a script names them: by the label the
// dialog shows in front of each control (the static text or group box that
// precedes it in the dialog's template, as it reads now, since dialogs
// rewrite some labels for their mode), a check box by its own text, and a
// group of radio buttons by the label in front of the group. Values are
// entered as a user would enter them, through the real widgets.

#include <QString>
#include <QStringList>
#include <vector>

#include "gui/dialog_template.h"

namespace gui {
class Dialog;
}

namespace script {

struct DialogField {
  QString label;
  gui::ControlKind kind = gui::ControlKind::Edit;
  std::vector<int> ids;  // one control, or the radio buttons of a group
};

// A label as a script compares it: mnemonic markers, a closing colon and
// surrounding blanks left out.
QString PlainLabel(QString text);

class DialogFields {
 public:
  explicit DialogFields(gui::Dialog& dialog);

  // The dialog's caption as it shows it now.
  QString caption() const;
  const std::vector<DialogField>& fields() const { return fields_; }
  QStringList labels() const;

  // Enters `value` into the field labelled `label`; false with the reason
  // when there is no such field or the value does not fit it.
  bool answer(const QString& label, const QString& value, QString& reason);
  // What the dialog shows now, one line per field ("Label: value"), a
  // list's entries one a line; hidden fields are left out. For dialogs that
  // show live data, such as the data-advise dialog.
  QStringList contents() const;

  // Clicks the button with this text ("OK" and "Cancel" also find the
  // dialog's OK and Cancel buttons whatever their text).
  bool press(const QString& buttonText, QString& reason);

 private:
  bool enter(const DialogField& field, const QString& value, QString& reason);

  gui::Dialog& dialog_;
  const gui::DialogTemplate* template_ = nullptr;
  std::vector<DialogField> fields_;
};

}  // namespace script
