#include "ip_address_edit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace gui {

IpAddressEdit::IpAddressEdit(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  setFocusPolicy(Qt::StrongFocus);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(2, 0, 2, 0);
  layout->setSpacing(0);
  static const QRegularExpression kByte(QStringLiteral("(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])?"));
  for (int i = 0; i < 4; ++i) {
    auto* edit = new QLineEdit(this);
    edit->setFrame(false);
    edit->setAlignment(Qt::AlignCenter);
    edit->setMaxLength(3);
    edit->setValidator(new QRegularExpressionValidator(kByte, edit));
    edit->installEventFilter(this);
    fields_[i] = edit;
    layout->addWidget(edit, 1);
    if (i < 3) {
      auto* dot = new QLabel(QStringLiteral("."), this);
      dot->setAlignment(Qt::AlignCenter);
      layout->addWidget(dot);
    }
    connect(edit, &QLineEdit::textEdited, this, [this, i](const QString& text) {
      if (text.size() == 3 && i < 3) {
        fields_[i + 1]->setFocus();
        fields_[i + 1]->selectAll();
      }
    });
    connect(edit, &QLineEdit::textChanged, this, [this] {
      if (onChange_) onChange_();
    });
  }
  setFocusProxy(fields_[0]);
}

int IpAddressEdit::field(int index) const {
  const QString text = fields_[index]->text();
  return text.isEmpty() ? -1 : text.toInt();
}

void IpAddressEdit::setField(int index, int value) {
  fields_[index]->setText(value < 0 ? QString() : QString::number(qBound(0, value, 255)));
}

int IpAddressEdit::filledFieldCount() const {
  int count = 0;
  for (const QLineEdit* edit : fields_) count += edit->text().isEmpty() ? 0 : 1;
  return count;
}

void IpAddressEdit::clear() {
  for (QLineEdit* edit : fields_) edit->clear();
}

QString IpAddressEdit::text() const {
  QStringList parts;
  for (const QLineEdit* edit : fields_) parts << edit->text();
  return parts.join(QLatin1Char('.'));
}

void IpAddressEdit::setText(const QString& text) {
  const QStringList parts = text.split(QLatin1Char('.'));
  for (int i = 0; i < 4; ++i) {
    bool ok = false;
    const int value = i < parts.size() ? parts[i].trimmed().toInt(&ok) : -1;
    setField(i, ok ? value : -1);
  }
}

bool IpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QFrame::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  for (int i = 0; i < 4; ++i) {
    if (watched != fields_[i]) continue;
    if ((key->key() == Qt::Key_Period || key->key() == Qt::Key_Space) && i < 3) {
      if (!fields_[i]->text().isEmpty()) {
        fields_[i + 1]->setFocus();
        fields_[i + 1]->selectAll();
      }
      return true;
    }
    if (key->key() == Qt::Key_Backspace && fields_[i]->text().isEmpty() && i > 0) {
      fields_[i - 1]->setFocus();
      fields_[i - 1]->end(false);
      return true;
    }
  }
  return QFrame::eventFilter(watched, event);
}

}  // namespace gui
