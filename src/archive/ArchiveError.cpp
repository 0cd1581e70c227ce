// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/ArchiveError.h"

namespace orvane {

ArchiveError::ArchiveError(Cause errorCause, const std::string& detail)
    : std::runtime_error(std::string(CauseName(errorCause)) + ": " + detail), cause(errorCause) {}

const char* ArchiveError::CauseName(Cause cause) {
    switch (cause) {
        case Cause::EndOfData:
            return "end of data";
        case Cause::BadClass:
            return "bad class";
        case Cause::BadSchema:
            return "bad schema";
        case Cause::BadIndex:
            return "bad index";
    }
    return "read error";
}

}  // namespace orvane
