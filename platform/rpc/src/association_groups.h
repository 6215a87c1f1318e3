#pragma once
// Association groups shared by the connections of one server. DCOM keeps no
// state in them, so a group is only an id with the count of its connections.

#include <cstdint>
#include <map>
#include <mutex>

namespace rpc::detail {

class AssociationGroups {
public:
  // A new group, with one member.
  uint32_t create() {
    std::lock_guard lock(mutex_);
    do {
      next_ = next_ + 1 == 0 ? 0x1000 : next_ + 1;
    } while (members_.count(next_) != 0);
    members_[next_] = 1;
    return next_;
  }
  // Joins an existing group; false for an unknown id.
  bool join(uint32_t id) {
    std::lock_guard lock(mutex_);
    auto found = members_.find(id);
    if (found == members_.end()) return false;
    ++found->second;
    return true;
  }
  void leave(uint32_t id) {
    std::lock_guard lock(mutex_);
    auto found = members_.find(id);
    if (found != members_.end() && --found->second == 0) members_.erase(found);
  }

private:
  std::mutex mutex_;  // guards both members
  uint32_t next_ = 0x1233;
  std::map<uint32_t, size_t> members_;
};

}  // namespace rpc::detail
