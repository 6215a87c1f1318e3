#pragma once

#include <memory>

#include "com/remote_activator.h"

namespace com::detail {

// The activator installed now (the default one if none was).
std::shared_ptr<RemoteActivator> remoteActivator();

}  // namespace com::detail
