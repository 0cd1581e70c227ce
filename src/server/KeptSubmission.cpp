#include "server/KeptSubmission.h"

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
constexpr int kLinkAttempts = 16;

}  // namespace

CKeptSubmission::CKeptSubmission(const std::u16string& uploader, const std::u16string& fileName,
                                 const CAtomicFile& upload)
    : login(uploader), name(ToUtf8(fileName)) {
    const std::string folder = SubmissionsFolderOf(login);
    CFileResult result = MakePrivateFolder(folder);
    KeptTime time = std::chrono::floor<std::chrono::microseconds>(std::chrono::system_clock::now());
    for (int attempt = 0; result.IsOk() && path.empty() && attempt < kLinkAttempts; ++attempt) {
        const std::string candidate = folder + "/" + KeptFileName(time, name);
        if (upload.LinkAs(candidate)) {
            path = candidate;
        } else if (errno != EEXIST || attempt + 1 == kLinkAttempts) {
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
