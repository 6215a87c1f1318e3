#pragma once

// Names of the codes a server returns: value types, qualities, engineering-
// unit types and locales. Every code has a text; a code outside the tables
// gets the table's fallback text.

#include <string>

#include "com/oleauto.h"
#include "win/types.h"

// "VT_I4", "VT_ARRAY | VT_BSTR", "VT_BYREF | VT_I4"; "unknown VARTYPE" for a
// code outside the table (other flag bits included).
std::string VarTypeName(VARTYPE type);

// "Good: Non-specific, Limit: Not Limited, (00C0h)".
std::string QualityText(WORD quality);

// "OPC_NOENUM", "OPC_ANALOG", "OPC_ENUMERATED", else "Unknown".
std::string EuTypeName(DWORD euType);

// The three default locales by their role, any other by the system's
// language name, and "Locale Identifier 0x1234" when the system does not
// know it.
std::string LocaleText(LCID locale);
