#include "format/choice_fillers.h"

#include <array>
#include <string>

#include "format/code_text.h"
#include "format/enum_strings.h"

namespace {

// In the order the dialogs offer them.
constexpr std::array<VARTYPE, 20> kRequestableTypes = {
    VT_EMPTY, VT_NULL, VT_I1,   VT_I2,   VT_I4,       VT_R4,    VT_R8,     VT_UI1,   VT_UI2,  VT_UI4,
    VT_BOOL,  VT_CY,   VT_DATE, VT_BSTR, VT_DISPATCH, VT_ERROR, VT_UNKNOWN, VT_INT, VT_UINT, VT_DECIMAL,
};

// Index of the first entry carrying `data`, or -1. A sorted list moves
// entries, so positions are found by their data, not by insertion order.
int findData(const format::ChoiceList& list, DWORD_PTR data) {
  const int count = list.count();
  for (int index = 0; index < count; ++index) {
    if (list.itemData(index) == data) return index;
  }
  return -1;
}

void addEntry(format::ChoiceList& list, const std::string& text, DWORD_PTR data) {
  const int index = list.addString(text);
  if (index < 0) return;
  if (!list.setItemData(index, data)) list.removeAt(index);
}

}  // namespace

void FillVarTypeList(format::ChoiceList& list, VARTYPE preselected) {
  for (VARTYPE type : kRequestableTypes) addEntry(list, VarTypeName(type), type);
  int selected = findData(list, preselected);
  if (selected < 0) selected = findData(list, VT_EMPTY);
  list.select(selected);
}

void FillLocaleList(format::ChoiceList& list, DWORD count, const LCID* locales, LCID preselected) {
  for (DWORD i = 0; locales != nullptr && i < count; ++i) addEntry(list, LocaleText(locales[i]), locales[i]);
  list.select(findData(list, preselected));
}

void FillListFromEnum(format::ChoiceList& list, IEnumString* enumerator, const CServerSession& session) {
  if (enumerator == nullptr) return;
  for (const std::string& text : EnumStringsToList(enumerator, session)) list.addString(text);
  enumerator->Release();
  if (list.count() > 0) list.select(0);
}
