#include "gui/data_exchange.h"

#include <QComboBox>
#include <QRegularExpression>
#include <QRadioButton>
#include <cfloat>
#include <cmath>
#include <limits>

#include "gui/ids.h"
#include "gui/message_box.h"
#include "gui/resources.h"
#include "gui/window.h"

namespace gui {
namespace {

// Digits with an optional sign, blanks around them allowed.
bool parseInteger(const QString& text, bool allowMinus, long long& value) {
  static const QRegularExpression kSigned(QStringLiteral("^\\s*[+-]?[0-9]+\\s*$"));
  static const QRegularExpression kUnsigned(QStringLiteral("^\\s*\\+?[0-9]+\\s*$"));
  if (!(allowMinus ? kSigned : kUnsigned).match(text).hasMatch()) return false;
  bool ok = false;
  value = text.trimmed().toLongLong(&ok);
  return ok;
}

bool parseReal(const QString& text, double& value) {
  bool ok = false;
  value = text.trimmed().toDouble(&ok);
  return ok && std::isfinite(value);
}

}  // namespace

DataExchange::DataExchange(Window& window, bool saveAndValidate) : window_(window), save_(saveAndValidate) {}

QString DataExchange::controlText(int id) const { return window_.GetDlgItemText(id); }

void DataExchange::setControlText(int id, const QString& text) { window_.SetDlgItemText(id, text); }

void DataExchange::fail(int id, const QString& prompt) {
  if (failed_) return;
  MessageBox(&window_, prompt, {}, MB_OK | MB_ICONEXCLAMATION);
  window_.GotoDlgCtrl(id);
  failed_ = true;
}

void DataExchange::text(int id, QString& value) {
  if (!active()) return;
  if (save_) {
    value = controlText(id);
  } else {
    setControlText(id, value);
  }
}

void DataExchange::text(int id, std::string& value) {
  if (!active()) return;
  if (save_) {
    value = controlText(id).toStdString();
  } else {
    setControlText(id, QString::fromStdString(value));
  }
}

template <class T>
void DataExchange::integerText(int id, T& value, long long min, long long max, UINT promptId) {
  if (!active()) return;
  if (!save_) {
    setControlText(id, QString::number(value));
    return;
  }
  long long parsed = 0;
  if (!parseInteger(controlText(id), min < 0, parsed) || parsed < min || parsed > max) {
    fail(id, LoadString(promptId));
    return;
  }
  value = static_cast<T>(parsed);
}

void DataExchange::text(int id, int& value) {
  integerText(id, value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), IDP_PARSE_INT);
}

void DataExchange::text(int id, unsigned& value) {
  integerText(id, value, 0, std::numeric_limits<unsigned>::max(), IDP_PARSE_UINT);
}

void DataExchange::text(int id, short& value) {
  integerText(id, value, std::numeric_limits<short>::min(), std::numeric_limits<short>::max(), IDP_PARSE_INT);
}

void DataExchange::text(int id, BYTE& value) { integerText(id, value, 0, 255, IDP_PARSE_BYTE); }

void DataExchange::text(int id, double& value) {
  if (!active()) return;
  if (!save_) {
    setControlText(id, QString::number(value, 'g', DBL_DIG));
    return;
  }
  double parsed = 0;
  if (!parseReal(controlText(id), parsed)) {
    fail(id, LoadString(IDP_PARSE_REAL));
    return;
  }
  value = parsed;
}

void DataExchange::text(int id, float& value) {
  if (!active()) return;
  if (!save_) {
    setControlText(id, QString::number(static_cast<double>(value), 'g', FLT_DIG));
    return;
  }
  double parsed = 0;
  if (!parseReal(controlText(id), parsed) || std::fabs(parsed) > FLT_MAX) {
    fail(id, LoadString(IDP_PARSE_REAL));
    return;
  }
  value = static_cast<float>(parsed);
}

void DataExchange::check(int id, int& state) {
  if (!active()) return;
  if (save_) {
    state = window_.IsDlgButtonChecked(id);
  } else {
    window_.CheckDlgButton(id, state);
  }
}

void DataExchange::check(int id, bool& checked) {
  int state = checked ? BST_CHECKED : BST_UNCHECKED;
  check(id, state);
  if (save_ && active()) checked = state == BST_CHECKED;
}

void DataExchange::radio(int firstId, int& index) {
  if (!active()) return;
  const auto& controls = window_.controls();
  auto it = controls.begin();
  while (it != controls.end() && it->id != firstId) ++it;
  if (it == controls.end()) return;
  if (save_) index = -1;
  int position = 0;
  for (auto at = it; at != controls.end(); ++at) {
    if (at != it && (at->style & kGroup)) break;  // the next group starts
    if (qobject_cast<QRadioButton*>(at->widget) == nullptr) continue;
    Button radio(at->widget);
    if (save_) {
      if (radio.GetCheck() == BST_CHECKED) index = position;
    } else {
      radio.SetCheck(position == index ? BST_CHECKED : BST_UNCHECKED);
    }
    ++position;
  }
}

void DataExchange::listIndex(int id, int& index) {
  if (!active()) return;
  if (save_) {
    index = window_.listBox(id).GetCurSel();
  } else {
    window_.listBox(id).SetCurSel(index);
  }
}

void DataExchange::listText(int id, QString& text) {
  if (!active()) return;
  ListBox list = window_.listBox(id);
  if (save_) {
    const int selected = list.GetCurSel();
    text = selected < 0 ? QString() : list.GetText(selected);
  } else {
    list.SetCurSel(list.FindStringExact(-1, text));
  }
}

void DataExchange::comboIndex(int id, int& index) {
  if (!active()) return;
  if (save_) {
    index = window_.comboBox(id).GetCurSel();
  } else {
    window_.comboBox(id).SetCurSel(index);
  }
}

void DataExchange::comboText(int id, QString& text) {
  if (!active()) return;
  ComboBox combo = window_.comboBox(id);
  if (save_) {
    text = combo.GetWindowText();
    return;
  }
  // Select the first entry that starts with the text, else show the text.
  if (combo.SelectString(-1, text) == CB_ERR || (combo.isEditable() && combo.GetWindowText() != text)) {
    if (combo.isEditable()) {
      combo.SetWindowText(text);
    } else {
      combo.SetCurSel(-1);
    }
  }
}

bool DataExchange::comboItemDataImpl(int id, DWORD_PTR& data) {
  if (!active()) return false;
  ComboBox combo = window_.comboBox(id);
  if (save_) {
    const int selected = combo.GetCurSel();
    if (selected < 0) return false;
    data = combo.GetItemData(selected);
    return true;
  }
  int found = CB_ERR;
  for (int i = 0; i < combo.GetCount() && found == CB_ERR; ++i) {
    if (combo.GetItemData(i) == data) found = i;
  }
  combo.SetCurSel(found);
  return true;
}

void DataExchange::maxChars(int id, const QString& value, int count) {
  if (!active()) return;
  if (!save_) {
    window_.edit(id).LimitText(count);
    window_.comboBox(id).LimitText(count);
    return;
  }
  if (value.size() > count) fail(id, LoadString(IDP_PARSE_STRING_SIZE).arg(count));
}

void DataExchange::maxChars(int id, const std::string& value, int count) {
  maxChars(id, QString::fromStdString(value), count);
}

void DataExchange::minMax(int id, int value, int min, int max) {
  if (active() && save_ && (value < min || value > max)) {
    fail(id, LoadString(IDP_PARSE_INT_RANGE).arg(min).arg(max));
  }
}

void DataExchange::minMax(int id, unsigned value, unsigned min, unsigned max) {
  if (active() && save_ && (value < min || value > max)) {
    fail(id, LoadString(IDP_PARSE_INT_RANGE).arg(min).arg(max));
  }
}

void DataExchange::minMax(int id, double value, double min, double max) {
  if (active() && save_ && (value < min || value > max)) {
    fail(id, LoadString(IDP_PARSE_REAL_RANGE)
                 .arg(QString::number(min, 'g', DBL_DIG), QString::number(max, 'g', DBL_DIG)));
  }
}

void DataExchange::minMax(int id, float value, float min, float max) {
  if (active() && save_ && (value < min || value > max)) {
    fail(id, LoadString(IDP_PARSE_REAL_RANGE)
                 .arg(QString::number(static_cast<double>(min), 'g', FLT_DIG),
                      QString::number(static_cast<double>(max), 'g', FLT_DIG)));
  }
}

}  // namespace gui
