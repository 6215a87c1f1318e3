#pragma once

// An object that handles commands by id: windows and the application. Each
// target keeps its own handler tables; the frame window chains them (active
// view, frame, application) so that a command reaches the first target that
// handles it. Handlers are member functions bound at construction:
//
//   mapCommand(ID_CONNECT, &CMainWindow::OnConnect);
//   mapUpdateCommand(ID_CONNECT, &CMainWindow::OnUpdateConnect);

#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "gui/cmd_ui.h"
#include "gui/types.h"

namespace gui {

// The routed call is a command (CN_COMMAND or a control's notification
// code), an update of a command's user-interface element, or a probe that
// only asks whether a handler exists.
constexpr int CN_COMMAND = 0;
constexpr int CN_UPDATE_COMMAND_UI = -1;
constexpr int CN_PROBE = -2;

class CommandTarget {
 public:
  CommandTarget() = default;
  virtual ~CommandTarget() = default;
  CommandTarget(const CommandTarget&) = delete;
  CommandTarget& operator=(const CommandTarget&) = delete;

  // Runs (code >= 0), updates (CN_UPDATE_COMMAND_UI, ui set) or probes
  // (CN_PROBE) command `id` with this target's own handlers. Returns whether
  // a handler was found. Routing targets override it to ask others first.
  virtual bool OnCmdMsg(UINT id, int code, CmdUI* ui);

  void mapCommand(UINT id, std::function<void()> handler);
  void mapCommandRange(UINT first, UINT last, std::function<void(UINT)> handler);
  void mapUpdateCommand(UINT id, std::function<void(CmdUI*)> handler);
  void mapUpdateCommandRange(UINT first, UINT last, std::function<void(CmdUI*)> handler);
  // A control notification carried by WM_COMMAND (EN_CHANGE, CBN_SELCHANGE, ...).
  void mapControlCode(UINT id, int code, std::function<void()> handler);

  template <class T>
  void mapCommand(UINT id, void (T::*handler)()) {
    T* self = static_cast<T*>(this);
    mapCommand(id, std::function<void()>([self, handler] { (self->*handler)(); }));
  }
  template <class T>
  void mapCommandRange(UINT first, UINT last, void (T::*handler)(UINT)) {
    T* self = static_cast<T*>(this);
    mapCommandRange(first, last, std::function<void(UINT)>([self, handler](UINT id) { (self->*handler)(id); }));
  }
  template <class T>
  void mapUpdateCommand(UINT id, void (T::*handler)(CmdUI*)) {
    T* self = static_cast<T*>(this);
    mapUpdateCommand(id, std::function<void(CmdUI*)>([self, handler](CmdUI* ui) { (self->*handler)(ui); }));
  }
  template <class T>
  void mapUpdateCommandRange(UINT first, UINT last, void (T::*handler)(CmdUI*)) {
    T* self = static_cast<T*>(this);
    mapUpdateCommandRange(first, last,
                          std::function<void(CmdUI*)>([self, handler](CmdUI* ui) { (self->*handler)(ui); }));
  }
  template <class T>
  void mapControlCode(UINT id, int code, void (T::*handler)()) {
    T* self = static_cast<T*>(this);
    mapControlCode(id, code, std::function<void()>([self, handler] { (self->*handler)(); }));
  }

 private:
  struct CommandRange {
    UINT first;
    UINT last;
    std::function<void(UINT)> handler;
  };
  struct UpdateRange {
    UINT first;
    UINT last;
    std::function<void(CmdUI*)> handler;
  };

  std::map<std::pair<UINT, int>, std::function<void()>> commands_;
  std::vector<CommandRange> commandRanges_;
  std::map<UINT, std::function<void(CmdUI*)>> updates_;
  std::vector<UpdateRange> updateRanges_;
};

}  // namespace gui
