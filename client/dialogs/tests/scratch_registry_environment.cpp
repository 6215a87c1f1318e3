// The item dialogs browse the sample server, registered in this test
// binary's own registry.

#include "testing/scratch_registry.h"

namespace {

const auto* const kRegistry = ::testing::AddGlobalTestEnvironment(new quillon::testing::ScratchRegistry);

}  // namespace
