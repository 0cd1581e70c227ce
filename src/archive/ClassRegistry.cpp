// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/ClassRegistry.h"

#include <array>
#include <mutex>

#include "archive/RuntimeClass.h"

namespace orvane {
namespace {

struct Registry {
    std::mutex mutex;
    std::array<const CRuntimeClass*, 11> records{};
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

int IndexOf(std::string_view className) {
    const auto& names = RegistryClassNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == className) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace

const std::vector<std::string_view>& RegistryClassNames() {
    static const std::vector<std::string_view> names = {
        "CPNObject",   "CPNNode", "CPNPlace",  "CPNTransition", "CPNLabel",  "CPNPetriNet",
        "CPNQuestion", "CPNTest", "CPNTestDB", "CPNUser",       "CPNUserDB",
    };
    return names;
}

bool RegisterClass(const CRuntimeClass& runtimeClass) {
    const int index = IndexOf(runtimeClass.className);
    if (index < 0) {
        return false;
    }
    Registry& registry = TheRegistry();
    const std::lock_guard lock(registry.mutex);
    registry.records[static_cast<std::size_t>(index)] = &runtimeClass;
    return true;
}

const CRuntimeClass* FindClass(std::string_view className) {
    const int index = IndexOf(className);
    if (index < 0) {
        return nullptr;
    }
    Registry& registry = TheRegistry();
    const std::lock_guard lock(registry.mutex);
    return registry.records[static_cast<std::size_t>(index)];
}

}  // namespace orvane
