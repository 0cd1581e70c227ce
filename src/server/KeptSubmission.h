#pragma once
// CKeptSubmission: every upload that completes is also kept, as
// "submissions/<login>/<UTC time>-<name>", in folders that only the server's user may read.
// The kept file is a hard link to the upload's temporary file, made just before that file
// replaces the served one: it costs no copy, and it holds this upload's bytes even when
// another upload of the same name replaces the served file a moment later. The served file
// goes on being replaced by the latest upload as before; clients see nothing of this.
#include <string>

namespace orvane {

class CAtomicFile;

class CKeptSubmission {
public:
    // Links the upload, whose data is whole but not yet in place. A link that cannot be made
    // is a warning in the server's log; the upload goes on.
    CKeptSubmission(const std::u16string& login, const std::u16string& name,
                    const CAtomicFile& upload);
    // An upload that never got into place is not kept: the link goes again.
    ~CKeptSubmission();
    CKeptSubmission(const CKeptSubmission&) = delete;
    CKeptSubmission& operator=(const CKeptSubmission&) = delete;

    // The upload is in place: the kept file stays. Answers its path (empty when none was
    // made), for the session's log line.
    std::string Confirm();

private:
    std::u16string login;
    std::string name;
    std::string path;  // empty when nothing was linked
    bool confirmed = false;
};

}  // namespace orvane
