#pragma once

// What a server-level command works with. The main window builds one for
// each command it runs: the window that owns the command's dialogs and
// message boxes, the session with the server's interfaces and its task
// allocator, the window's record of the server-level commands, and the
// panes the record and a changed group list go to.

#include <functional>

#include "result/function_result.h"

class CServerSession;

namespace gui {
class Window;
}

struct ServerCommandContext {
  gui::Window* owner = nullptr;
  CServerSession& session;
  FunctionResult& result;
  // Shows the record in the result view, which empties it.
  std::function<void(FunctionResult&)> showResult;
  // Rebuilds the group pane of a scope (CGroupView::kPublicScope or
  // kPrivateScope) from the server.
  std::function<void(int scope)> refreshGroups;
};
