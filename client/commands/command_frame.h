#pragma once

// The steps every server-level command shares: name the call, record its
// return code, format result lines, free what the server allocated, and
// say so when the session lacks the interface a command needs.

#include <string>

#include "com/interfaces/enumerators.h"
#include "commands/command_context.h"
#include "win/types.h"

namespace commands {

// A result line formatted like printf.
std::string Line(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Frees a block the server allocated, with the session's task allocator
// (the task heap when the session holds none). Null is ignored.
void FreeServerMemory(const CServerSession& session, void* block);

// Sets the record's return-code text from the call's result, with the
// server describing its own codes.
void SetReturnCode(ServerCommandContext& context, HRESULT result);

// Hands the record to the result view.
void Show(ServerCommandContext& context);

// The interface pointer, or null after telling the user in a message box
// that the server does not offer it. The menus grey a pop-up whose interface
// is missing, so this is only met when a command is sent some other way.
void ReportMissingInterface(ServerCommandContext& context, const char* name);
template <class Interface>
Interface* RequireInterface(ServerCommandContext& context, Interface* pointer, const char* name) {
  if (pointer == nullptr) ReportMissingInterface(context, name);
  return pointer;
}

// The lines of a string enumeration the call returned with `result`
// (which succeeded): "There is nothing to enumerate" for S_FALSE, else the
// strings in the server's order and `totalFormat` with their number.
void AddEnumerationLines(ServerCommandContext& context, HRESULT result, IEnumString* enumerator,
                         const char* totalFormat);

// Releases an interface the server returned, if it returned one.
template <class Interface>
void ReleaseReturned(Interface*& pointer) {
  if (pointer != nullptr) {
    pointer->Release();
    pointer = nullptr;
  }
}

// The user's text as the wide string a call takes. A text with bytes that
// are no characters cannot be converted: the user is told, the record is
// emptied, and the command stops without calling.
bool WideArgument(ServerCommandContext& context, const std::string& text, std::u16string& wide);

}  // namespace commands
