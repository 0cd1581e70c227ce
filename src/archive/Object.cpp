// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/Object.h"

#include <ostream>

namespace orvane {

void CObject::Serialize(CArchive&) {}

bool CObject::AssertValid() const {
    return true;
}

void CObject::Dump(std::ostream& out) const {
    out << "a " << GetRuntimeClass().className << " at " << static_cast<const void*>(this) << '\n';
}

}  // namespace orvane
