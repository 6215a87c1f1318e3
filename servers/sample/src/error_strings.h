#pragma once

// The texts of result codes in the server's locales (IOPCServer::
// GetErrorString, IOPCCommon::GetErrorString): the OPC codes in English and
// German, every other code with the system's message text.

#include <optional>
#include <string>

#include "win/types.h"

namespace sample {

// The text of code in a supported locale (0x409 or 0x407), or nothing when
// the code has no text.
std::optional<std::u16string> errorText(HRESULT code, LCID locale);

}  // namespace sample
