#pragma once

// What the private and the public group commands show alike: the outcome
// of a lookup by name and of a removal.

#include <string>

#include "com/unknown.h"
#include "commands/command_context.h"
#include "win/types.h"

namespace commands {

// The pointer and the interface asked for; the reference is released at
// once and the panes stay as they are.
void ShowGroupLookup(ServerCommandContext& context, HRESULT result, IUnknown*& group, const std::string& interfaceName);

// One line either way; after a removal the pane of the scope
// (CGroupView::kPublicScope or kPrivateScope) is read again.
void ShowGroupRemoval(ServerCommandContext& context, HRESULT result, DWORD handle, int scope);

}  // namespace commands
