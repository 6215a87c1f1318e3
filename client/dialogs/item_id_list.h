#pragma once

// The list of item identifiers that the item dialogs offer.

#include "gui/combo_box.h"

class CServerSession;

// Fills `list` with the identifiers of a flat browse of the whole address
// space (no filter, any type, any access) and selects the first, when the
// session's server can browse; otherwise leaves the list empty.
void FillItemIdList(gui::ComboBox list, const CServerSession& session);
