#pragma once

// The error-string dialog of IOPCServer (template 2006): an error code typed
// as a hexadecimal number and the locale in which the server should describe
// it.

#include <string>

#include "gui/dialog.h"
#include "win/types.h"

class CServerErrorStringDialog : public gui::Dialog {
 public:
  explicit CServerErrorStringDialog(gui::Window* owner = nullptr);

  // "Specify the error code as hex value": the code read from the typed text;
  // 0 when the text does not start with a hexadecimal number (nothing is said
  // then, the server is asked about 0).
  HRESULT errorCode = 0;
  // "The locale of the returned string": the chosen entry's locale;
  // LOCALE_SYSTEM_DEFAULT when none is chosen.
  LCID locale = 0x800;

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(gui::DataExchange& exchange) override;

 private:
  std::string errorCodeText_;
};
