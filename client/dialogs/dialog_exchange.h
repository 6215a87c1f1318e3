#pragma once

// Data exchange for the controls that several parameter dialogs share.

#include "gui/data_exchange.h"

// The "Active" / "Inactive" radio pair that starts at `activeId`: checks
// "Active" for true and "Inactive" for false; reads back true when "Active"
// is checked. With neither checked the flag keeps its value.
void ExchangeActiveRadio(gui::DataExchange& exchange, int activeId, bool& active);
