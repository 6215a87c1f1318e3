#pragma once

// A component library exports exactly one symbol, ComponentEntry. Everything
// else is hidden: the build compiles with hidden visibility by default and links
// every component with component/component.map, which keeps only that name.
#define COMPONENT_EXPORT extern "C" __attribute__((visibility("default")))
