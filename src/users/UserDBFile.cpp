// SPDX-License-Identifier: GPL-3.0-or-later
#include "users/UserDBFile.h"

#include "common/ContentDigest.h"
#include "common/FileBytes.h"
#include "common/TextCodec.h"
#include "users/PNUserDB.h"

namespace orvane {

CFileResult CUserDBFile::Load(CPNUserDB& users) {
    std::uint64_t digest = 0;
    const CFileResult result = users.Load(fileName, &digest);
    if (result.IsOk()) {
        known = digest;
    } else if (result.IsMissing()) {
        known.reset();
    }
    return result;
}

bool CUserDBFile::ChangedOnDisk() const {
    std::vector<std::uint8_t> bytes;
    const CFileResult read = ReadFileBytes(ToUtf8(fileName), bytes);
    if (!read.IsOk()) {
        return false;  // gone, or the write will say why it cannot be used
    }
    return !known.has_value() || ContentDigest(bytes) != *known;
}

CUserDBFile::SaveResult CUserDBFile::Save(std::unique_ptr<CPNUserDB>& users) {
    SaveResult saved;
    if (ChangedOnDisk()) {
        auto stored = std::make_unique<CPNUserDB>();
        const CFileResult read = Load(*stored);
        if (read.IsOk()) {
            users = std::move(stored);
            saved.outcome = Outcome::Reloaded;
            return saved;
        }
        saved.outcome = Outcome::ReplacedUndecoded;
        saved.undecoded = read;
    }
    std::uint64_t digest = known.value_or(0);
    saved.result = users->Save(fileName, &digest);
    if (saved.result.IsOk() && !users->IsEmpty()) {
        known = digest;
    }
    return saved;
}

}  // namespace orvane
