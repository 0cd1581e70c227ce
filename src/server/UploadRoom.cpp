// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/UploadRoom.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>

#include "common/ExamFolders.h"
#include "server/ServerLog.h"

namespace orvane {
namespace {

constexpr std::uint64_t kMebibyte = 1 << 20;
// How far an upload grows before the free space is asked for again.
constexpr std::uint64_t kCheckStep = 4 * kMebibyte;

struct Usage {
    std::size_t files = 0;
    std::uint64_t bytes = 0;
};

Usage SubmissionsOf(const std::u16string& login) {
    Usage usage;
    const std::string folder = SubmissionsFolderOf(login);
    for (const std::string& name : KeptFileNames(folder)) {
        struct stat info {};
        if (::lstat((folder + "/" + name).c_str(), &info) == 0) {
            ++usage.files;
            usage.bytes += static_cast<std::uint64_t>(info.st_size);
        }
    }
    return usage;
}

}  // namespace

std::string SizeText(std::uint64_t bytes) {
    return bytes % kMebibyte == 0 && bytes > 0 ? std::to_string(bytes / kMebibyte) + " MiB"
                                               : std::to_string(bytes) + " bytes";
}

CUploadRoom::CUploadRoom(const ServerOptions& serverOptions, const std::u16string& login,
                         bool quota)
    : options(serverOptions), most(serverOptions.maxUpload) {
    refusal = ReserveShortfall();
    if (!refusal.empty() || !quota) {
        return;
    }
    const Usage used = SubmissionsOf(login);
    const std::string whose = "the submissions of " + LogText(login) + " hold ";
    if (used.files >= serverOptions.maxSubmissions) {
        shortage = UploadShortage::Quota;
        refusal = whose + std::to_string(used.files) + " files, the most for one login";
    } else if (used.bytes >= serverOptions.maxSubmissionBytes) {
        shortage = UploadShortage::Quota;
        refusal = whose + SizeText(used.bytes) + ", the most for one login";
    } else if (serverOptions.maxSubmissionBytes - used.bytes < most) {
        most = serverOptions.maxSubmissionBytes - used.bytes;
        quotaBound = true;
    }
}

std::string CUploadRoom::ReserveShortfall() {
    struct statvfs room {};
    if (::statvfs(".", &room) != 0) {
        return {};  // nothing known: the writes themselves will tell
    }
    const std::uint64_t space = std::uint64_t{room.f_bavail} * room.f_frsize;
    if (space < options.reserveBytes) {
        shortage = UploadShortage::Space;
        return "the file system has " + SizeText(space) + " free, less than the " +
               SizeText(options.reserveBytes) + " kept free";
    }
    // File systems without a count of inodes (FAT, some shares) say they have none at all.
    if (room.f_files > 0 && room.f_favail < options.reserveInodes) {
        shortage = UploadShortage::Space;
        return "the file system has " + std::to_string(room.f_favail) +
               " free inodes, fewer than the " + std::to_string(options.reserveInodes) +
               " kept free";
    }
    return {};
}

std::string CUploadRoom::Check(std::uint64_t received) {
    if (received > most) {
        shortage = quotaBound ? UploadShortage::Quota : UploadShortage::Size;
        return quotaBound
                   ? "larger than what is left of the quota of submissions, " + SizeText(most)
                   : "larger than " + SizeText(most) + ", the most for one upload";
    }
    if (received - checkedAt < kCheckStep) {
        return {};
    }
    checkedAt = received;
    return ReserveShortfall();
}

}  // namespace orvane
