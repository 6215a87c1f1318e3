#include "commands/group_outcome.h"

#include "commands/command_frame.h"
#include "workspace/group_view.h"

namespace commands {

void ShowGroupLookup(ServerCommandContext& context, HRESULT hr, IUnknown*& group, const std::string& interfaceName) {
  SetReturnCode(context, hr);
  if (SUCCEEDED(hr)) {
    context.result.lines.push_back(Line("Group interface pointer : %p", static_cast<void*>(group)));
    context.result.lines.push_back("Interface type          : " + interfaceName);
  }
  ReleaseReturned(group);
  Show(context);
}

void ShowGroupRemoval(ServerCommandContext& context, HRESULT hr, DWORD handle, int scope) {
  const bool isPublic = scope == CGroupView::kPublicScope;
  SetReturnCode(context, hr);
  const auto shownHandle = static_cast<unsigned long>(handle);
  if (SUCCEEDED(hr)) {
    context.result.lines.push_back(isPublic ? Line("Public group with handle '%lu' removed", shownHandle)
                                            : Line("Private group with handle '%lu' removed", shownHandle));
  } else {
    context.result.lines.push_back(isPublic ? Line("Cannot remove public group with handle '%lu'", shownHandle)
                                            : Line("Cannot remove private group with handle '%lu'", shownHandle));
  }
  Show(context);
  if (SUCCEEDED(hr)) context.refreshGroups(scope);
}

}  // namespace commands
