#pragma once

// The client's 8-bit text (in the process code page) as the wide text that
// COM calls take.

#include <string>

#include "win/types.h"

// Converts the whole text; a null text reads as empty. S_OK on success,
// E_FAIL when the text holds bytes that are no characters of the code page
// (nothing is converted then), E_OUTOFMEMORY when there is no room.
HRESULT ToWideText(LPCSTR text, std::u16string& wide);
