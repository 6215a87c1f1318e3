#pragma once

// The widget behind an IP address control: four number fields (0-255)
// separated by dots, framed like one text field. Typing a dot or the third
// digit moves on to the next field; Backspace in an empty field goes back.

#include <QFrame>
#include <array>
#include <functional>

class QLineEdit;

namespace gui {

class IpAddressEdit : public QFrame {
 public:
  explicit IpAddressEdit(QWidget* parent = nullptr);

  // A field's value, or -1 when it is blank.
  int field(int index) const;
  void setField(int index, int value);  // value < 0 blanks the field
  int filledFieldCount() const;
  void clear();
  QString text() const;
  void setText(const QString& text);
  QLineEdit* fieldEdit(int index) const { return fields_[index]; }

  // Called whenever a field's text changes.
  void setChangeHandler(std::function<void()> handler) { onChange_ = std::move(handler); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::array<QLineEdit*, 4> fields_{};
  std::function<void()> onChange_;
};

}  // namespace gui
