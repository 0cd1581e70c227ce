// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The run-time class record of a serializable class: its name as stored in archives, its
// schema, and the factory that makes an empty object for loading.
#include <cstdint>
#include <memory>
#include <string_view>

namespace orvane {

class CObject;

struct CRuntimeClass {
    std::string_view className;
    std::uint16_t schema;
    std::shared_ptr<CObject> (*createObject)();
};

}  // namespace orvane

// Inside a class body: the class's own record and the run-time class query.
#define ORVANE_DECLARE_SERIAL(ClassName)                              \
public:                                                               \
    static const ::orvane::CRuntimeClass& Class();                    \
    const ::orvane::CRuntimeClass& GetRuntimeClass() const override { \
        return Class();                                               \
    }

// In the class's source file: defines the record (schema 1) and registers it by name.
#define ORVANE_IMPLEMENT_SERIAL(ClassName)                                                         \
    const ::orvane::CRuntimeClass& ClassName::Class() {                                            \
        static const ::orvane::CRuntimeClass record{                                               \
            #ClassName, 1,                                                                         \
            []() -> std::shared_ptr<::orvane::CObject> { return std::make_shared<ClassName>(); }}; \
        return record;                                                                             \
    }                                                                                              \
    [[maybe_unused]] static const bool registered##ClassName =                                     \
        ::orvane::RegisterClass(ClassName::Class());
