#include "session/browse_position.h"

namespace {

constexpr char kRootPosition[] = "<ROOT>";

std::string& position() {
  static std::string current = kRootPosition;
  return current;
}

}  // namespace

const std::string& CurrentBrowsePosition() { return position(); }

void SetCurrentBrowsePosition(std::string newPosition) { position() = std::move(newPosition); }

void ResetBrowsePosition() { position() = kRootPosition; }
