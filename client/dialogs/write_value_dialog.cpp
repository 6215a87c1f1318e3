#include "dialogs/write_value_dialog.h"

#include <string>

#include "dialogs/combo_box_choice_list.h"
#include "format/choice_fillers.h"
#include "gui/message_box.h"
#include "resources/parameter_dialog_ids.h"
#include "session/to_wide_text.h"

using namespace quillon;

CWriteValueDialog::CWriteValueDialog(VARTYPE canonicalType, gui::Window* owner)
    : gui::Dialog(IDD_WRITE_VALUE, owner), variantFormat(canonicalType) {
  VariantInit(&value);
}

CWriteValueDialog::~CWriteValueDialog() { VariantClear(&value); }

bool CWriteValueDialog::OnInitDialog() {
  if (variantFormat & VT_ARRAY) {
    MessageBox("Cannot write arrays");
    EndDialog(gui::IDCANCEL);
    return false;
  }
  ComboBoxChoiceList types(comboBox(IDC_VARIANT_FORMAT));
  FillVarTypeList(types, variantFormat);
  return gui::Dialog::OnInitDialog();
}

void CWriteValueDialog::DoDataExchange(gui::DataExchange& exchange) {
  exchange.text(IDC_VALUE, valueText);
  if (!exchange.saveAndValidate()) return;
  variantFormat = VT_BSTR;
  exchange.comboItemData(IDC_VARIANT_FORMAT, variantFormat);
}

void CWriteValueDialog::OnOK() {
  if (!UpdateData(true)) return;
  VariantClear(&value);
  std::u16string wide;
  BSTR text = nullptr;
  if (SUCCEEDED(ToWideText(valueText.c_str(), wide))) {
    text = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  }
  if (text == nullptr) {
    gui::MessageBox(gui::IDP_FAILED_MEMORY_ALLOC, gui::MB_OK | gui::MB_ICONEXCLAMATION);
    return;
  }
  value.vt = VT_BSTR;
  value.bstrVal = text;
  if (FAILED(VariantChangeType(&value, &value, 0, variantFormat))) {
    MessageBox("Invalid value format");
    VariantClear(&value);
    GotoDlgCtrl(IDC_VALUE);
    return;
  }
  EndDialog(gui::IDOK);
}
