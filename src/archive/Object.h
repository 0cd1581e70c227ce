// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CObject: the base of every class that is stored in the database files. Each class answers
// its run-time class record and stores or loads all of its items itself in Serialize; none
// calls the base's Serialize, which writes and reads nothing.
#include <iosfwd>

#include "archive/ClassRegistry.h"
#include "archive/RuntimeClass.h"

namespace orvane {

class CArchive;

class CObject {
public:
    virtual const CRuntimeClass& GetRuntimeClass() const = 0;
    virtual ~CObject() = default;
    virtual void Serialize(CArchive& archive);
    // The two diagnostic operations; no class of the system overrides them.
    virtual bool AssertValid() const;
    virtual void Dump(std::ostream& out) const;

    bool IsKindOf(const CRuntimeClass& runtimeClass) const {
        return &GetRuntimeClass() == &runtimeClass;
    }
};

}  // namespace orvane
