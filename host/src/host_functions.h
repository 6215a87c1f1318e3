#pragma once

// The host's services as the C functions a component calls: the slots of the
// init record and the functions bound by name.

#include <component/init_record.h>

namespace host {

// Fills the host's slots of a fresh record.
void fillHostSlots(ComponentInitRecord& record);

// The host function of that name, or null when the host has none.
ComponentFunction lookupHostFunction(const char* name);

}  // namespace host
