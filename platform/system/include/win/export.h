#pragma once

// Symbols of the Windows-services stand-in (libplatform_system.so) are hidden
// unless marked; WIN_API marks the ones it exports.
#if defined(PLATFORM_SYSTEM_BUILDING)
#define WIN_API __attribute__((visibility("default")))
#else
#define WIN_API
#endif
