#include "dialogs/server_error_string_dialog.h"

#include "dialogs/choice_entries.h"
#include "dialogs/hex_code_text.h"
#include "resources/parameter_dialog_ids.h"
#include "win/locale.h"

using namespace quillon;

CServerErrorStringDialog::CServerErrorStringDialog(gui::Window* owner)
    : gui::Dialog(IDD_SERVER_ERROR_STRING, owner) {}

bool CServerErrorStringDialog::OnInitDialog() {
  FillDialogLocales(comboBox(IDC_LOCALE), LOCALE_NEUTRAL);
  return gui::Dialog::OnInitDialog();
}

void CServerErrorStringDialog::DoDataExchange(gui::DataExchange& exchange) {
  exchange.text(IDC_ERROR_CODE, errorCodeText_);
  if (!exchange.saveAndValidate()) return;
  DWORD code = 0;
  ReadHexCode(errorCodeText_, code);
  errorCode = static_cast<HRESULT>(code);
  locale = LOCALE_SYSTEM_DEFAULT;
  exchange.comboItemData(IDC_LOCALE, locale);
}
