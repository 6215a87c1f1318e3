// The commands of the "IPersist&File" pop-up: the server's configuration
// file.

#include "commands/command_frame.h"
#include "commands/server_commands.h"
#include "dialogs/persist_file_dialog.h"
#include "format/wide_text.h"
#include "gui/ids.h"
#include "session/server_session.h"

namespace commands {
namespace {

IPersistFile* persistFile(ServerCommandContext& context) {
  return RequireInterface(context, context.session.GetPersistFile(), "IPersistFile");
}

}  // namespace

void IsDirty(ServerCommandContext& context) {
  IPersistFile* file = persistFile(context);
  if (file == nullptr) return;
  context.result.functionName = "IPersistFile::IsDirty";
  // The answer is the return code itself: S_OK changed, S_FALSE unchanged.
  SetReturnCode(context, file->IsDirty());
  Show(context);
}

void Load(ServerCommandContext& context) {
  IPersistFile* file = persistFile(context);
  if (file == nullptr) return;
  CPersistFileDialog dialog(CPersistFileDialog::kLoad, context.owner);
  if (dialog.DoModal() != gui::IDOK) return;
  std::u16string name;
  if (!WideArgument(context, dialog.fileName, name)) return;
  context.result.functionName = "IPersistFile::Load";
  // Access mode 0: the server's default.
  SetReturnCode(context, file->Load(name.c_str(), 0));
  Show(context);
}

void Save(ServerCommandContext& context) {
  IPersistFile* file = persistFile(context);
  if (file == nullptr) return;
  CPersistFileDialog dialog(CPersistFileDialog::kSave, context.owner);
  if (dialog.DoModal() != gui::IDOK) return;
  std::u16string name;
  if (!WideArgument(context, dialog.fileName, name)) return;
  context.result.functionName = "IPersistFile::Save";
  SetReturnCode(context, file->Save(name.c_str(), dialog.remember ? TRUE : FALSE));
  Show(context);
}

void SaveCompleted(ServerCommandContext& context) {
  IPersistFile* file = persistFile(context);
  if (file == nullptr) return;
  CPersistFileDialog dialog(CPersistFileDialog::kSaveCompleted, context.owner);
  if (dialog.DoModal() != gui::IDOK) return;
  std::u16string name;
  if (!WideArgument(context, dialog.fileName, name)) return;
  context.result.functionName = "IPersistFile::SaveCompleted";
  SetReturnCode(context, file->SaveCompleted(name.c_str()));
  Show(context);
}

void GetCurFile(ServerCommandContext& context) {
  IPersistFile* file = persistFile(context);
  if (file == nullptr) return;
  context.result.functionName = "IPersistFile::GetCurFile";
  LPOLESTR name = nullptr;
  const HRESULT hr = file->GetCurFile(&name);
  SetReturnCode(context, hr);
  // S_FALSE means there is no current file; the default name a server may
  // hand out with it is not shown, but it is the client's to free.
  if (hr == S_OK) {
    context.result.lines.emplace_back("The current file name is :");
    context.result.lines.push_back(format::WideToText(name));
  }
  if (SUCCEEDED(hr)) FreeServerMemory(context.session, name);
  Show(context);
}

}  // namespace commands
