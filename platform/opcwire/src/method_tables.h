#pragma once

// Each served interface's methods, keyed by opnum. One file per group of
// interfaces defines them; stubs.cpp pairs each table with its IID.

#include <cstdint>
#include <map>

#include "stub_support.h"

namespace opcwire::detail {

// server_stubs.cpp
std::map<std::uint16_t, Method> serverMethods();
std::map<std::uint16_t, Method> commonMethods();
std::map<std::uint16_t, Method> publicGroupsMethods();

// browse_stubs.cpp
std::map<std::uint16_t, Method> browseMethods();
std::map<std::uint16_t, Method> itemPropertiesMethods();

// persist_stubs.cpp
std::map<std::uint16_t, Method> persistFileMethods();

// group_stubs.cpp
std::map<std::uint16_t, Method> groupStateMethods();
std::map<std::uint16_t, Method> publicGroupStateMethods();
std::map<std::uint16_t, Method> itemMgtMethods();

// io_stubs.cpp
std::map<std::uint16_t, Method> syncIoMethods();
std::map<std::uint16_t, Method> asyncIoMethods();

// enumerator_stubs.cpp
std::map<std::uint16_t, Method> itemAttributesEnumMethods();
std::map<std::uint16_t, Method> enumStringMethods();
std::map<std::uint16_t, Method> enumUnknownMethods();
std::map<std::uint16_t, Method> enumConnectionPointsMethods();
std::map<std::uint16_t, Method> enumGuidMethods();
std::map<std::uint16_t, Method> opcEnumGuidMethods();

// connection_point_stubs.cpp
std::map<std::uint16_t, Method> containerMethods();
std::map<std::uint16_t, Method> connectionPointMethods();

// server_list_stubs.cpp
std::map<std::uint16_t, Method> serverListMethods();
std::map<std::uint16_t, Method> serverList2Methods();

}  // namespace opcwire::detail
