// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CKeptSubmission: every upload that completes is also kept, as
// "submissions/<login>/<UTC time>-<name>", in folders and files that only the server's user
// may read. The kept file is a hard link to the upload's temporary file, made just before
// that file replaces the served one: it costs no copy, and it holds this upload's bytes even
// when another upload of the same name replaces the served file a moment later. Where a link
// cannot be made (a file system without hard links, submissions on another file system), or
// the served file keeps a mode that lets others read it, the kept file is a copy of its own,
// mode 0600. The served file goes on being replaced by the latest upload as before; clients
// see nothing of this.
#include <sys/types.h>

#include <optional>
#include <string>

#include "common/ExamFolders.h"

namespace orvane {

class CAtomicFile;

class CKeptSubmission {
public:
    // Keeps the upload, whose data is whole but not yet in place. `servedMode` is the mode of
    // the served file that it replaces (0 when there is none). One that cannot be kept is a
    // warning in the server's log; the upload goes on. `time` is when it is kept (now, unless
    // a test sets it).
    CKeptSubmission(const std::u16string& login, const std::u16string& name,
                    const CAtomicFile& upload, mode_t servedMode,
                    std::optional<KeptTime> time = std::nullopt);
    // An upload that never got into place is not kept: the kept file goes again.
    ~CKeptSubmission();
    CKeptSubmission(const CKeptSubmission&) = delete;
    CKeptSubmission& operator=(const CKeptSubmission&) = delete;

    // The upload is in place: the kept file stays. Answers its path (empty when none was
    // made), for the session's log line.
    std::string Confirm();
    bool IsCopy() const { return copied; }

private:
    // Makes the kept file at `candidate`; false with errno.
    bool Keep(const std::string& candidate, const CAtomicFile& upload);

    std::u16string login;
    std::string name;
    std::string path;  // empty when nothing was kept
    bool linkable = true;
    bool copied = false;
    bool confirmed = false;
};

}  // namespace orvane
