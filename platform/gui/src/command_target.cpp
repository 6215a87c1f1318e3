#include "gui/command_target.h"

namespace gui {

bool CommandTarget::OnCmdMsg(UINT id, int code, CmdUI* ui) {
  if (code == CN_UPDATE_COMMAND_UI) {
    if (const auto it = updates_.find(id); it != updates_.end()) {
      // Copy first: a handler may replace its own entry.
      const auto handler = it->second;
      handler(ui);
      return true;
    }
    for (const UpdateRange& range : updateRanges_) {
      if (id >= range.first && id <= range.last) {
        const auto handler = range.handler;
        handler(ui);
        return true;
      }
    }
    return false;
  }
  if (code == CN_PROBE) {
    if (commands_.count({id, CN_COMMAND}) != 0) return true;
    for (const CommandRange& range : commandRanges_) {
      if (id >= range.first && id <= range.last) return true;
    }
    return false;
  }
  if (const auto it = commands_.find({id, code}); it != commands_.end()) {
    const auto handler = it->second;
    handler();
    return true;
  }
  if (code == CN_COMMAND) {
    for (const CommandRange& range : commandRanges_) {
      if (id >= range.first && id <= range.last) {
        const auto handler = range.handler;
        handler(id);
        return true;
      }
    }
  }
  return false;
}

void CommandTarget::mapCommand(UINT id, std::function<void()> handler) {
  commands_[{id, CN_COMMAND}] = std::move(handler);
}

void CommandTarget::mapCommandRange(UINT first, UINT last, std::function<void(UINT)> handler) {
  commandRanges_.push_back({first, last, std::move(handler)});
}

void CommandTarget::mapUpdateCommand(UINT id, std::function<void(CmdUI*)> handler) {
  updates_[id] = std::move(handler);
}

void CommandTarget::mapUpdateCommandRange(UINT first, UINT last, std::function<void(CmdUI*)> handler) {
  updateRanges_.push_back({first, last, std::move(handler)});
}

void CommandTarget::mapControlCode(UINT id, int code, std::function<void()> handler) {
  commands_[{id, code}] = std::move(handler);
}

}  // namespace gui
