#pragma once
// CKeptSubmission: every upload that completes is also kept, as
// "submissions/<login>/<UTC time>-<name>", in folders that only the server's user may read.
// The kept file is a hard link to the upload's temporary file, made just before that file
// replaces the served one: it costs no copy, and it holds this upload's bytes even when
// another upload of the same name replaces the served file a moment later. The served file
// goes on being replaced by the latest upload as before; clients see nothing of this.
#include <cstdint>
#include <string>

namespace orvane {

class CAtomicFile;

class CKeptSubmission {
public:
    // Links the upload, whose data is whole but not yet in place. A link that cannot be made
    // is a console line; the upload goes on.
    CKeptSubmission(const std::u16string& login, const std::u16string& name,
                    const CAtomicFile& upload);
    // An upload that never got into place is not kept: the link goes again.
    ~CKeptSubmission();
    CKeptSubmission(const CKeptSubmission&) = delete;
    CKeptSubmission& operator=(const CKeptSubmission&) = delete;

    // The upload is in place: the kept file stays and is reported.
    void Confirm();

private:
    std::u16string login;
    std::string name;
    std::string path;  // empty when nothing was linked
    bool confirmed = false;
};

// The one place where a kept submission is reported: one line on the console of the server,
// with the login, the file name, its size and where it was kept.
void ReportKeptSubmission(const std::u16string& login, const std::string& name, std::uint64_t size,
                          const std::string& path);

}  // namespace orvane
