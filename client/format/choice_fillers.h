#pragma once

// Fillers of the dialogs' choice lists: value types, locales, and the strings
// of a server's string enumerator.

#include "com/interfaces/enumerators.h"
#include "com/oleauto.h"
#include "format/choice_list.h"

class CServerSession;

// Adds the twenty value types a client may request (VT_VARIANT is not one),
// each with its type code as item data, and selects the one equal to
// `preselected`, else "VT_EMPTY". Flags count: an array type selects
// "VT_EMPTY". An entry whose item data cannot be set is removed again.
void FillVarTypeList(format::ChoiceList& list, VARTYPE preselected);

// Adds LocaleText of each locale in order, with the locale as item data, and
// selects the entry equal to `preselected`; none when no entry is.
void FillLocaleList(format::ChoiceList& list, DWORD count, const LCID* locales, LCID preselected);

// Adds the enumerator's strings as EnumStringsToList reads them, releases
// the enumerator (the caller's reference passes to this call), and selects
// the first entry when there is one.
void FillListFromEnum(format::ChoiceList& list, IEnumString* enumerator, const CServerSession& session);
