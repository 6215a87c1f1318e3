#pragma once

// The IP address control: four fields of 0 to 255.

#include "gui/control.h"

namespace gui {

class IpAddressCtrl : public Control {
 public:
  using Control::Control;

  // Reads the four fields (blank fields read 0); returns how many are filled.
  int GetAddress(BYTE& field0, BYTE& field1, BYTE& field2, BYTE& field3) const;
  // The address with field 0 in the most significant byte.
  int GetAddress(DWORD& address) const;
  void SetAddress(BYTE field0, BYTE field1, BYTE field2, BYTE field3);
  void SetAddress(DWORD address);
  void ClearAddress();
  bool IsBlank() const;
};

}  // namespace gui
