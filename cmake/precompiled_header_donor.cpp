// The donor targets of cmake/VelmoraPrecompiled.cmake compile this empty file
// so that they have something to build their precompiled header for.
