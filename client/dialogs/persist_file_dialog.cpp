#include "dialogs/persist_file_dialog.h"

#include "resources/parameter_dialog_ids.h"

using namespace quillon;

namespace {

std::string& lastFileName() {
  static std::string name;
  return name;
}

}  // namespace

const std::string& LastConfigurationFileName() { return lastFileName(); }

void SetLastConfigurationFileName(std::string fileName) { lastFileName() = std::move(fileName); }

CPersistFileDialog::CPersistFileDialog(int mode, gui::Window* owner)
    : gui::Dialog(IDD_PERSIST_FILE, owner), fileName(LastConfigurationFileName()), mode_(mode) {}

bool CPersistFileDialog::OnInitDialog() {
  static const char* const kWords[] = {"Save", "SaveCompleted", "Load"};
  if (mode_ >= kSave && mode_ <= kLoad) SetWindowText(QStringLiteral("IPersistFile::") + kWords[mode_]);
  control(IDC_REMEMBER).ShowWindow(mode_ == kSave ? gui::SW_SHOW : gui::SW_HIDE);
  control(IDC_ACCESS_MODE_NOTE).ShowWindow(mode_ == kLoad ? gui::SW_SHOW : gui::SW_HIDE);
  return gui::Dialog::OnInitDialog();
}

void CPersistFileDialog::DoDataExchange(gui::DataExchange& exchange) {
  exchange.text(IDC_FILE_NAME, fileName);
  exchange.check(IDC_REMEMBER, remember);
}

void CPersistFileDialog::OnOK() {
  if (!UpdateData(true)) return;
  SetLastConfigurationFileName(fileName);
  EndDialog(gui::IDOK);
}
