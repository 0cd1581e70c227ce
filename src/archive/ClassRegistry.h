// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The class registry: the eleven class names that database files may carry, each with the
// record of its class once the class's library is part of the program. Loading makes objects
// by the name found in the file; any other name is a read error.
#include <string_view>
#include <vector>

namespace orvane {

struct CRuntimeClass;

// Registers a class record under its name; false for a name outside the eleven.
bool RegisterClass(const CRuntimeClass& runtimeClass);

// The record registered under that name, or null.
const CRuntimeClass* FindClass(std::string_view className);

// The eleven names, in the registry's order.
const std::vector<std::string_view>& RegistryClassNames();

}  // namespace orvane
