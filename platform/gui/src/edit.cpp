#include "gui/edit.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace gui {

void Edit::LimitText(int maxChars) {
  if (auto* line = qobject_cast<QLineEdit*>(widget())) line->setMaxLength(maxChars > 0 ? maxChars : 32767);
}

void Edit::SetSel(int start, int end) {
  if (auto* line = qobject_cast<QLineEdit*>(widget())) {
    const int length = line->text().size();
    const int last = end < 0 ? length : qMin(end, length);
    line->setSelection(qBound(0, start, length), last - qBound(0, start, length));
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget())) {
    QTextCursor cursor = plain->textCursor();
    const int length = plain->toPlainText().size();
    cursor.setPosition(qBound(0, start, length));
    cursor.setPosition(end < 0 ? length : qMin(end, length), QTextCursor::KeepAnchor);
    plain->setTextCursor(cursor);
  }
}

void Edit::ReplaceSel(const QString& text) {
  if (auto* line = qobject_cast<QLineEdit*>(widget())) {
    line->insert(text);
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget())) {
    plain->insertPlainText(text);
  }
}

void Edit::SetReadOnly(bool readOnly) {
  if (auto* line = qobject_cast<QLineEdit*>(widget())) {
    line->setReadOnly(readOnly);
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget())) {
    plain->setReadOnly(readOnly);
  }
}

bool Edit::IsReadOnly() const {
  if (auto* line = qobject_cast<const QLineEdit*>(widget())) return line->isReadOnly();
  if (auto* plain = qobject_cast<const QPlainTextEdit*>(widget())) return plain->isReadOnly();
  return false;
}

}  // namespace gui
