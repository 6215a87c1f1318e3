#pragma once

// The groups of one server: handle, name and whether the group is public,
// with a reference to the group object. A group stays in the table from
// AddGroup (or MoveToPublic, CloneGroup, a configuration load) until it is
// removed, whatever references its clients hold.
//
// Threads: one mutex guards the table. It is never held while a group's own
// lock is taken or while a group object is released, since a group's
// methods take the table's lock (for its name) without holding theirs.

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "com/ptr.h"
#include "group_state.h"

namespace sample {

class Group;

struct GroupEntry {
  OPCHANDLE handle = 0;
  std::u16string name;
  com::Ptr<Group> group;
  std::shared_ptr<GroupState> state;
};

enum class GroupScope { Private, Public, All };

class GroupRegistry {
 public:
  OPCHANDLE reserveHandle();

  // Adds a group under name, or under a generated name ("Group1", ...) when
  // name is empty. OPC_E_DUPLICATENAME when another group has the name.
  HRESULT add(std::u16string name, com::Ptr<Group> group, std::shared_ptr<GroupState> state);
  // E_INVALIDARG for an empty name, OPC_E_DUPLICATENAME for a name in use
  // by another group, E_FAIL when the group is no longer in the table.
  HRESULT rename(OPCHANDLE handle, std::u16string_view name);

  std::optional<std::u16string> nameOf(OPCHANDLE handle) const;
  std::optional<GroupEntry> find(OPCHANDLE handle) const;
  std::optional<GroupEntry> findByName(std::u16string_view name, GroupScope scope) const;
  // Takes a group out of the table; the caller releases it after the table's
  // lock is gone.
  std::optional<GroupEntry> take(OPCHANDLE handle);
  std::vector<GroupEntry> takeAll();

  // Snapshots in creation order.
  std::vector<GroupEntry> list(GroupScope scope) const;
  std::vector<std::shared_ptr<GroupState>> states() const;
  size_t size() const;

 private:
  bool nameInUse(std::u16string_view name, OPCHANDLE except) const;

  mutable std::mutex mutex_;
  std::map<OPCHANDLE, GroupEntry> entries_;  // guarded by mutex_
  OPCHANDLE nextHandle_ = 1;                 // guarded by mutex_
  uint32_t generatedNames_ = 0;              // guarded by mutex_
};

inline bool inScope(const GroupState& state, GroupScope scope) {
  return scope == GroupScope::All || state.isPublic.load() == (scope == GroupScope::Public);
}

}  // namespace sample
