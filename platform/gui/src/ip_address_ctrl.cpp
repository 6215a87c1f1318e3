#include "gui/ip_address_ctrl.h"

#include "ip_address_edit.h"

namespace gui {
namespace {

IpAddressEdit* editOf(QWidget* widget) { return dynamic_cast<IpAddressEdit*>(widget); }

}  // namespace

int IpAddressCtrl::GetAddress(BYTE& field0, BYTE& field1, BYTE& field2, BYTE& field3) const {
  const IpAddressEdit* edit = editOf(widget());
  BYTE* fields[] = {&field0, &field1, &field2, &field3};
  for (int i = 0; i < 4; ++i) {
    const int value = edit == nullptr ? -1 : edit->field(i);
    *fields[i] = static_cast<BYTE>(value < 0 ? 0 : value);
  }
  return edit == nullptr ? 0 : edit->filledFieldCount();
}

int IpAddressCtrl::GetAddress(DWORD& address) const {
  BYTE f[4];
  const int filled = GetAddress(f[0], f[1], f[2], f[3]);
  address = (DWORD{f[0]} << 24) | (DWORD{f[1]} << 16) | (DWORD{f[2]} << 8) | DWORD{f[3]};
  return filled;
}

void IpAddressCtrl::SetAddress(BYTE field0, BYTE field1, BYTE field2, BYTE field3) {
  IpAddressEdit* edit = editOf(widget());
  if (edit == nullptr) return;
  const BYTE fields[] = {field0, field1, field2, field3};
  for (int i = 0; i < 4; ++i) edit->setField(i, fields[i]);
}

void IpAddressCtrl::SetAddress(DWORD address) {
  SetAddress(static_cast<BYTE>(address >> 24), static_cast<BYTE>(address >> 16),
             static_cast<BYTE>(address >> 8), static_cast<BYTE>(address));
}

void IpAddressCtrl::ClearAddress() {
  if (IpAddressEdit* edit = editOf(widget())) edit->clear();
}

bool IpAddressCtrl::IsBlank() const {
  const IpAddressEdit* edit = editOf(widget());
  return edit == nullptr || edit->filledFieldCount() == 0;
}

}  // namespace gui
