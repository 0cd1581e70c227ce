// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/ObjectFile.h"

#include <cerrno>
#include <new>
#include <vector>

#include "archive/Archive.h"
#include "archive/Object.h"
#include "common/ConsoleLine.h"
#include "common/ContentDigest.h"
#include "common/FileBytes.h"
#include "common/TextCodec.h"

namespace orvane {

CFileResult LoadObjectFile(CObject& object, const std::u16string& fileName, std::uint64_t* digest) {
    std::vector<std::uint8_t> bytes;
    const CFileResult read = ReadFileBytes(ToUtf8(fileName), bytes);
    if (!read.IsOk()) {
        PrintConsoleLine(kCannotOpenFile, ToUtf8(fileName));
        return read;
    }
    if (digest != nullptr) {
        *digest = ContentDigest(bytes);
    }
    try {
        CArchive archive(bytes);
        object.Serialize(archive);
    } catch (const ArchiveError& error) {
        return CFileResult::Malformed(error.what());
    } catch (const std::bad_alloc&) {
        return CFileResult::Unreadable(ENOMEM);
    }
    return {};
}

CFileResult SaveObjectFile(CObject& object, const std::u16string& fileName, mode_t newFileMode,
                           std::uint64_t* digest) {
    CFileResult result;
    try {
        CArchive archive;
        object.Serialize(archive);
        result = WriteFileAtomically(ToUtf8(fileName), archive.Pieces(), newFileMode);
        if (result.IsOk() && digest != nullptr) {
            *digest = kEmptyDigest;
            for (const auto piece : archive.Pieces()) {
                *digest = ContentDigest(piece, *digest);
            }
        }
    } catch (const std::bad_alloc&) {
        result = CFileResult::Unwritable(ENOMEM);
    }
    if (!result.IsOk()) {
        PrintConsoleLine(kCannotWriteToFile, ToUtf8(fileName));
    }
    return result;
}

}  // namespace orvane
