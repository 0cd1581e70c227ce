// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/KeptSubmission.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "common/AtomicFile.h"
#include "common/ExamFolders.h"
#include "common/TextCodec.h"
#include "server/ServerLog.h"

namespace orvane {
namespace {

// Two uploads of one login kept within the same microsecond take the next free one.
constexpr int kKeepAttempts = 16;

// The errors of a file system or a pair of folders that cannot link at all.
bool IsLinkImpossible(int error) {
    return error == EPERM || error == EXDEV || error == EMLINK || error == EOPNOTSUPP ||
           error == ENOSYS;
}

}  // namespace

// A served file that others may read (one that keeps such a mode) cannot share its inode with
// a kept file, which only the server's user may read. The login's folder is made when the
// first kept file finds it missing.
CKeptSubmission::CKeptSubmission(const std::u16string& uploader, const std::u16string& fileName,
                                 const CAtomicFile& upload, mode_t servedMode,
                                 std::optional<KeptTime> keptAt)
    : login(uploader), name(ToUtf8(fileName)), linkable((servedMode & 077) == 0) {
    const std::string folder = SubmissionsFolderOf(login);
    CFileResult result;
    bool folderMade = false;
    KeptTime time = keptAt.value_or(
        std::chrono::floor<std::chrono::microseconds>(std::chrono::system_clock::now()));
    for (int attempt = 0; result.IsOk() && path.empty() && attempt < kKeepAttempts; ++attempt) {
        const std::string candidate = folder + "/" + KeptFileName(time, name);
        if (Keep(candidate, upload)) {
            path = candidate;
        } else if (errno == ENOENT && !folderMade) {
            result = MakePrivateFolder(folder);
            folderMade = true;
            continue;  // the same name again, in the new folder
        } else if (errno != EEXIST || attempt + 1 == kKeepAttempts) {
            result = CFileResult::Unwritable(errno);
        }
        time += std::chrono::microseconds(1);
    }
    if (!result.IsOk()) {
        WriteServerLog(
            CServerLog::Level::Warning,
            "submission not kept in " + LogText(FromUtf8(folder)) + ": " + result.Reason());
    }
}

bool CKeptSubmission::Keep(const std::string& candidate, const CAtomicFile& upload) {
    if (linkable) {
        if (upload.LinkAs(candidate)) {
            return true;
        }
        if (!IsLinkImpossible(errno)) {
            return false;  // taken (EEXIST), or a folder that takes nothing
        }
        linkable = false;  // and not tried again for this upload
    }
    struct stat existing {};
    if (::lstat(candidate.c_str(), &existing) == 0) {
        errno = EEXIST;
        return false;
    }
    copied = upload.CopyAs(candidate, 0600);
    return copied;
}

CKeptSubmission::~CKeptSubmission() {
    if (!confirmed && !path.empty()) {
        ::unlink(path.c_str());
    }
}

std::string CKeptSubmission::Confirm() {
    confirmed = true;
    return path;
}

}  // namespace orvane
