#pragma once

// The heart of one sample server: its options, the shared values, the group
// table, the shutdown sinks and the update thread. The server object
// (server.h) and its groups (group.h) work on it; it outlives the server
// object for as long as a client still holds one of its groups.
//
// The update thread runs from create() until shutdown(), which the server
// object calls when it goes. Each round it advances the simulation, looks
// at the shutdown request file, answers queued asynchronous requests and
// sends the data-change updates that are due, then sleeps until the next
// thing is due or it is woken (UpdateSignal). Callbacks into clients are
// made from this thread with no lock held.

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include "com/guid.h"
#include "group_registry.h"
#include "options.h"
#include "server_shared.h"
#include "shutdown_connection.h"
#include "shutdown_request.h"

namespace sample {

class ServerCore : public std::enable_shared_from_this<ServerCore> {
 public:
  // Builds the core with its public group and starts the update thread.
  // Throws std::bad_alloc (or std::system_error when no thread can start).
  static std::shared_ptr<ServerCore> create(const ServerOptions& options, const CLSID& clsid,
                                            std::shared_ptr<ShutdownSinks> shutdownSinks);
  ~ServerCore();

  // Stops the update thread, lets the connected sinks go and takes every
  // group out of the table (a group a client still holds then fails its
  // calls with E_FAIL). Safe to call more than once and from any thread,
  // the update thread included.
  void shutdown();

  const ServerOptions options;
  const CLSID clsid;
  const FILETIME startTime;
  const std::shared_ptr<ServerShared> shared;
  GroupRegistry groups;
  // The sinks of the server object's IOPCShutdown connection point.
  const std::shared_ptr<ShutdownSinks> shutdownSinks;

  // Load of the update thread over the last measured second, in percent.
  DWORD bandwidth() const { return bandwidth_.load(); }

  // Creates a group and enters it in the table. With a riid, also hands out
  // that interface of it (the group is removed again when it has none).
  HRESULT createGroup(std::u16string name, const GroupSettings& settings, bool isPublic, REFIID riid,
                      IUnknown** object, OPCHANDLE* handle);
  // Removes a group: E_INVALIDARG when no group of that kind has the handle,
  // OPC_E_PUBLIC when a public group is removed as a private one,
  // OPC_S_INUSE when a client still holds the group (unless forced). A
  // removed group fails every call its holders make with E_FAIL.
  HRESULT removeGroup(OPCHANDLE handle, bool force, bool publicGroup);

 private:
  ServerCore(const ServerOptions& options, const CLSID& clsid, FILETIME start,
             std::shared_ptr<ShutdownSinks> shutdownSinks);
  void run();
  void addPublicGroup();
  static void detach(GroupState& state);

  // Takes the request file's state when the server starts, so that a file
  // written any time after that counts (used by the update thread only).
  ShutdownRequestWatcher shutdownWatcher_;
  std::mutex threadMutex_;
  std::thread thread_;  // guarded by threadMutex_
  std::atomic<DWORD> bandwidth_{0};
};

// Update threads of this library still running; the library must stay
// loaded until they are gone (DllCanUnloadNow).
long liveUpdateThreads();
void updateThreadStarting();
void updateThreadEnded();

}  // namespace sample
