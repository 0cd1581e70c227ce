// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CUploadRoom: how much one upload may take, so that uploads cannot fill the disk. Each
// upload has a largest size; the kept submissions of an account without teacher rights have
// a quota of files and bytes; and no upload goes on while the file system of the served folder
// has less free space or fewer free inodes than its reserve, which keeps room for "userdb".
#include <cstdint>
#include <string>

#include "server/TCPServer.h"

namespace orvane {

// Which limit stopped an upload.
enum class UploadShortage { None, Size, Quota, Space };

class CUploadRoom {
public:
    // The room of an upload by `login`; `quota` applies the quota of kept submissions.
    CUploadRoom(const ServerOptions& options, const std::u16string& login, bool quota);

    // Empty when the upload may begin; otherwise why it may not, for the log.
    const std::string& Refusal() const { return refusal; }
    // Empty while the upload, `received` bytes long so far, may go on; otherwise why not. The
    // file system is asked again after every few megabytes.
    std::string Check(std::uint64_t received);

    // The limit behind the last refusal of Refusal or Check.
    UploadShortage Shortage() const { return shortage; }

private:
    std::string ReserveShortfall();

    const ServerOptions& options;
    std::uint64_t most = 0;       // the largest this upload may be
    bool quotaBound = false;      // `most` is what is left of the quota
    std::uint64_t checkedAt = 0;  // the size at which the file system was last asked
    std::string refusal;
    UploadShortage shortage = UploadShortage::None;
};

// "64 MiB" for whole mebibytes, else the bytes.
std::string SizeText(std::uint64_t bytes);

}  // namespace orvane
