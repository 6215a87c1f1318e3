#include "dialogs/group_state_dialog.h"

#include "dialogs/choice_entries.h"
#include "dialogs/dialog_exchange.h"
#include "resources/parameter_dialog_ids.h"

using namespace quillon;

CGroupStateDialog::CGroupStateDialog(DWORD updateRate, bool active, LONG timeBias, float percentDeadband,
                                     LCID locale, DWORD clientHandle, gui::Window* owner)
    : gui::Dialog(IDD_GROUP_STATE, owner),
      requestedUpdateRate(updateRate),
      clientHandle(clientHandle),
      timeBias(timeBias),
      percentDeadband(percentDeadband),
      active(active),
      locale(locale) {}

bool CGroupStateDialog::OnInitDialog() {
  // A locale that is not among the five leaves the list without a choice.
  FillDialogLocales(comboBox(IDC_LOCALE), locale);
  return gui::Dialog::OnInitDialog();
}

void CGroupStateDialog::DoDataExchange(gui::DataExchange& exchange) {
  exchange.text(IDC_UPDATE_RATE, requestedUpdateRate);
  exchange.text(IDC_PROVIDED_HANDLE, clientHandle);
  exchange.text(IDC_TIME_BIAS, timeBias);
  exchange.text(IDC_PERCENT_DEADBAND, percentDeadband);
  exchange.minMax(IDC_PERCENT_DEADBAND, percentDeadband, 0.0f, 100.0f);
  ExchangeActiveRadio(exchange, IDC_ACTIVE, active);
  if (exchange.saveAndValidate()) exchange.comboItemData(IDC_LOCALE, locale);
}
