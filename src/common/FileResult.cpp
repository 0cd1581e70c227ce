// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/FileResult.h"

#include <cerrno>
#include <cstring>

namespace orvane {

CFileResult CFileResult::Missing() {
    return {Kind::Missing, ENOENT, {}};
}

CFileResult CFileResult::Unreadable(int error, std::string detail) {
    return {Kind::Unreadable, error, std::move(detail)};
}

CFileResult CFileResult::Malformed(std::string cause) {
    return {Kind::Malformed, 0, std::move(cause)};
}

CFileResult CFileResult::Unwritable(int error) {
    return {Kind::Unwritable, error, {}};
}

std::string CFileResult::Reason() const {
    if (!detail.empty() || kind == Kind::Ok) {
        return detail;
    }
    return std::strerror(error);
}

}  // namespace orvane
