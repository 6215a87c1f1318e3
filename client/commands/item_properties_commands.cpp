// The commands of the "IOPCItemP&roperties" pop-up. Each starts from an
// item ID, and the two that read properties first ask which properties the
// item has.

#include "commands/command_frame.h"
#include "commands/property_lines.h"
#include "commands/server_commands.h"
#include "dialogs/item_id_dialog.h"
#include "format/code_text.h"
#include "format/wide_text.h"
#include "gui/ids.h"
#include "result/result_code_text.h"
#include "session/server_session.h"

namespace commands {
namespace {

IOPCItemProperties* itemProperties(ServerCommandContext& context) {
  return RequireInterface(context, context.session.GetItemProperties(), "IOPCItemProperties");
}

// The item ID the user chose in the item dialog, as a wide string; false
// when the user cancelled or the text could not be converted.
bool AskItemId(ServerCommandContext& context, const char* functionName, std::u16string& itemId) {
  CItemIdDialog dialog(functionName, context.session, context.owner);
  if (dialog.DoModal() != gui::IDOK) return false;
  return WideArgument(context, dialog.itemId, itemId);
}

// What QueryAvailableProperties hands out: three arrays of `count`
// entries and a string per description, all the client's to free.
struct AvailableProperties {
  DWORD count = 0;
  DWORD* ids = nullptr;
  LPWSTR* descriptions = nullptr;
  VARTYPE* types = nullptr;

  HRESULT Query(IOPCItemProperties* server, std::u16string& itemId) {
    return server->QueryAvailableProperties(itemId.data(), &count, &ids, &descriptions, &types);
  }
  // "%-25s : " with the description; a missing one reads as the C
  // library's text for a null string.
  std::string Prefix(DWORD index) const {
    const bool missing = descriptions == nullptr || descriptions[index] == nullptr;
    return Line("%-25s : ", missing ? "(null)" : format::WideToText(descriptions[index]).c_str());
  }
  void Free(const CServerSession& session) {
    if (descriptions != nullptr) {
      for (DWORD index = 0; index < count; ++index) FreeServerMemory(session, descriptions[index]);
    }
    FreeServerMemory(session, descriptions);
    FreeServerMemory(session, ids);
    FreeServerMemory(session, types);
    *this = AvailableProperties{};
  }
};

// Asks the server which properties the item has. When it refuses, shows its
// result and returns false with nothing left to free.
bool QueryProperties(ServerCommandContext& context, IOPCItemProperties* server, std::u16string& itemId,
                     AvailableProperties& properties) {
  const HRESULT hr = properties.Query(server, itemId);
  if (SUCCEEDED(hr)) return true;
  SetReturnCode(context, hr);
  properties.Free(context.session);
  Show(context);
  return false;
}

}  // namespace

void QueryAvailableProperties(ServerCommandContext& context) {
  IOPCItemProperties* server = itemProperties(context);
  if (server == nullptr) return;
  const char* functionName = "IOPCItemProperties::QueryAvailableProperties";
  std::u16string itemId;
  if (!AskItemId(context, functionName, itemId)) return;

  context.result.functionName = functionName;
  AvailableProperties properties;
  const HRESULT hr = properties.Query(server, itemId);
  SetReturnCode(context, hr);
  if (SUCCEEDED(hr) && properties.ids != nullptr && properties.types != nullptr) {
    context.result.lines.emplace_back("  ID   Type         Description");
    for (DWORD index = 0; index < properties.count; ++index) {
      const bool missing = properties.descriptions == nullptr || properties.descriptions[index] == nullptr;
      context.result.lines.push_back(
          Line("%4u   %-10s   %s", unsigned{properties.ids[index]}, VarTypeName(properties.types[index]).c_str(),
               missing ? "(null)" : format::WideToText(properties.descriptions[index]).c_str()));
    }
  }
  properties.Free(context.session);
  Show(context);
}

void GetItemProperties(ServerCommandContext& context) {
  if (itemProperties(context) == nullptr) return;
  std::u16string itemId;
  if (!AskItemId(context, "IOPCItemProperties::GetItemProperties", itemId)) return;
  ListItemProperties(context, itemId);
}

void ListItemProperties(ServerCommandContext& context, std::u16string itemId) {
  IOPCItemProperties* server = itemProperties(context);
  if (server == nullptr) return;
  context.result.functionName = "IOPCItemProperties::GetItemProperties";
  AvailableProperties properties;
  if (!QueryProperties(context, server, itemId, properties)) return;
  VARIANT* values = nullptr;
  HRESULT* errors = nullptr;
  const HRESULT hr = server->GetItemProperties(itemId.data(), properties.count, properties.ids, &values, &errors);
  SetReturnCode(context, hr);
  if (SUCCEEDED(hr) && values != nullptr && errors != nullptr) {
    for (DWORD index = 0; index < properties.count; ++index) {
      const std::string prefix = properties.Prefix(index);
      if (FAILED(errors[index])) {
        context.result.lines.push_back(prefix + "Error : " + ResultCodeText(errors[index], &context.session));
        continue;
      }
      for (std::string& line : PropertyValueLines(prefix, values[index])) {
        context.result.lines.push_back(std::move(line));
      }
    }
  }
  if (values != nullptr) {
    for (DWORD index = 0; index < properties.count; ++index) VariantClear(&values[index]);
  }
  FreeServerMemory(context.session, values);
  FreeServerMemory(context.session, errors);
  properties.Free(context.session);
  Show(context);
}

void LookupItemIDs(ServerCommandContext& context) {
  IOPCItemProperties* server = itemProperties(context);
  if (server == nullptr) return;
  const char* functionName = "IOPCItemProperties::LookupItemIDs";
  std::u16string itemId;
  if (!AskItemId(context, functionName, itemId)) return;

  context.result.functionName = functionName;
  AvailableProperties properties;
  if (!QueryProperties(context, server, itemId, properties)) return;
  LPWSTR* itemIds = nullptr;
  HRESULT* errors = nullptr;
  const HRESULT hr = server->LookupItemIDs(itemId.data(), properties.count, properties.ids, &itemIds, &errors);
  SetReturnCode(context, hr);
  if (SUCCEEDED(hr) && itemIds != nullptr && errors != nullptr) {
    for (DWORD index = 0; index < properties.count; ++index) {
      const std::string prefix = properties.Prefix(index);
      context.result.lines.push_back(FAILED(errors[index])
                                         ? prefix + "Error : " + ResultCodeText(errors[index], &context.session)
                                         : prefix + format::WideToText(itemIds[index]));
    }
  }
  if (itemIds != nullptr) {
    for (DWORD index = 0; index < properties.count; ++index) FreeServerMemory(context.session, itemIds[index]);
  }
  FreeServerMemory(context.session, itemIds);
  FreeServerMemory(context.session, errors);
  properties.Free(context.session);
  Show(context);
}

}  // namespace commands
