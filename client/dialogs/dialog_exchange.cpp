#include "dialogs/dialog_exchange.h"

void ExchangeActiveRadio(gui::DataExchange& exchange, int activeId, bool& active) {
  int index = active ? 0 : 1;
  exchange.radio(activeId, index);
  if (exchange.saveAndValidate() && !exchange.failed() && index >= 0) active = index == 0;
}
