#include "commands/command_frame.h"

#include <QString>
#include <cstdarg>
#include <cstdio>

#include "com/allocator.h"
#include "format/enum_strings.h"
#include "gui/message_box.h"
#include "result/result_code_text.h"
#include "session/server_session.h"
#include "session/to_wide_text.h"

namespace commands {

std::string Line(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list counting;
  va_copy(counting, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, counting);
  va_end(counting);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), format, arguments);
    text.resize(static_cast<size_t>(length));
  }
  va_end(arguments);
  return text;
}

void FreeServerMemory(const CServerSession& session, void* block) {
  if (block == nullptr) return;
  if (IMalloc* allocator = session.GetTaskAllocator()) {
    allocator->Free(block);
  } else {
    CoTaskMemFree(block);
  }
}

void SetReturnCode(ServerCommandContext& context, HRESULT result) {
  context.result.returnCode = ResultCodeText(result, &context.session);
}

void Show(ServerCommandContext& context) { context.showResult(context.result); }

void AddEnumerationLines(ServerCommandContext& context, HRESULT result, IEnumString* enumerator,
                         const char* totalFormat) {
  if (result == S_FALSE) {
    context.result.lines.emplace_back("There is nothing to enumerate");
    return;
  }
  std::vector<std::string> strings = EnumStringsToList(enumerator, context.session);
  const size_t count = strings.size();
  for (std::string& text : strings) context.result.lines.push_back(std::move(text));
  context.result.lines.push_back(Line(totalFormat, static_cast<unsigned long>(count)));
}

void ReportMissingInterface(ServerCommandContext& context, const char* name) {
  gui::MessageBox(context.owner, QString("Interface not supported : %1\n").arg(name));
}

bool WideArgument(ServerCommandContext& context, const std::string& text, std::u16string& wide) {
  const HRESULT hr = ToWideText(text.c_str(), wide);
  if (SUCCEEDED(hr)) return true;
  // Nothing has been called yet, so the record must not show this command.
  context.result = FunctionResult{};
  context.session.ShowComError("Cannot convert the text to a wide-character string !", hr);
  return false;
}

}  // namespace commands
