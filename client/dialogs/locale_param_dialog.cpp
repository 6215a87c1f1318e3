#include "dialogs/locale_param_dialog.h"

#include "dialogs/choice_entries.h"
#include "resources/parameter_dialog_ids.h"
#include "win/locale.h"

using namespace quillon;

CLocaleParamDialog::CLocaleParamDialog(gui::Window* owner) : gui::Dialog(IDD_LOCALE_PARAM, owner) {}

bool CLocaleParamDialog::OnInitDialog() {
  FillDialogLocales(comboBox(IDC_LOCALE), LOCALE_NEUTRAL);
  return gui::Dialog::OnInitDialog();
}

void CLocaleParamDialog::DoDataExchange(gui::DataExchange& exchange) {
  if (!exchange.saveAndValidate()) return;
  locale = LOCALE_NEUTRAL;
  exchange.comboItemData(IDC_LOCALE, locale);
}
