#pragma once

// How one sample server object behaves. The registered classes differ only
// in these options (server_classes.cpp); tests construct servers with any
// combination (server_factory.h).

#include <chrono>
#include <cstdint>
#include <string>

namespace sample {

// Optional interfaces of the server object that an option can leave out.
enum ServerInterfaceBits : uint32_t {
  kServerPublicGroups = 1u << 0,       // IOPCServerPublicGroups
  kServerBrowseAddressSpace = 1u << 1,  // IOPCBrowseServerAddressSpace
  kServerItemProperties = 1u << 2,     // IOPCItemProperties
  kServerCommon = 1u << 3,             // IOPCCommon
  kServerPersistFile = 1u << 4,        // IPersistFile (and IPersist)
  kServerConnectionPoints = 1u << 5,   // IConnectionPointContainer (shutdown)
  kAllOptionalServerInterfaces = (1u << 6) - 1,
};

// Interfaces of the group objects that an option can leave out.
enum GroupInterfaceBits : uint32_t {
  kGroupStateMgt = 1u << 0,        // IOPCGroupStateMgt
  kGroupPublicStateMgt = 1u << 1,  // IOPCPublicGroupStateMgt
  kGroupSyncIO = 1u << 2,          // IOPCSyncIO
  kGroupAsyncIO = 1u << 3,         // IOPCAsyncIO
  kGroupItemMgt = 1u << 4,         // IOPCItemMgt
  kGroupDataObject = 1u << 5,      // IDataObject
  kGroupAsyncIO2 = 1u << 6,        // IOPCAsyncIO2
  kGroupConnectionPoints = 1u << 7,  // IConnectionPointContainer (IOPCDataCallback)
};

// The points of IPersistFile::Save at which a test may stop the server as
// if the process died there.
enum class SaveStage { TemporaryFileOpened, HalfWritten, Written, Replaced };

inline constexpr uint32_t kDefaultManyItemCount = 1000;
inline constexpr uint32_t kMaximumManyItemCount = 1000000;

struct ServerOptions {
  // Size of the ManyItems branch.
  uint32_t manyItemCount = kDefaultManyItemCount;

  // Fault injection.
  uint32_t omittedInterfaces = 0;        // ServerInterfaceBits
  uint32_t omittedGroupInterfaces = 0;   // GroupInterfaceBits
  bool groupEnumeratorNotImplemented = false;  // CreateGroupEnumerator: E_NOTIMPL
  bool failItemIdOfBrowsePosition = false;     // GetItemID(""): E_FAIL
  bool refuseClientHandles = false;            // SetClientHandles: every item E_FAIL
  uint32_t failStatusFromCall = 0;             // GetStatus fails from this call on (1 = the first); 0 never
  bool emptyEnumerationsSucceed = false;       // an empty enumeration answers S_OK, not S_FALSE

  // Timing of the update thread.
  std::chrono::milliseconds simulationPeriod{100};
  std::chrono::milliseconds shutdownPollPeriod{250};

  // The file whose change makes the server ask its clients to disconnect
  // (shutdown_request.h); empty: the default path.
  std::string shutdownRequestFile;

  // Seed of the random simulation; 0 takes one from the system.
  uint32_t randomSeed = 0;

  // Called at each stage of IPersistFile::Save (tests only).
  void (*saveHook)(SaveStage stage) = nullptr;
};

// The many-items size a user asked for: the environment variable
// VELMORA_SAMPLE_MANY_ITEMS, else the value "ManyItems" of the registry key
// HKEY_CLASSES_ROOT\Pelkor.DataSample\Settings, else the default. Values
// above kMaximumManyItemCount are cut to it; text that is not a number is
// ignored.
uint32_t configuredManyItemCount();

}  // namespace sample
