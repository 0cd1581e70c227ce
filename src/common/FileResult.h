// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CFileResult: what became of one read or write of a file. It tells apart the four troubles
// that callers must treat differently: a file that is not there (on the first run "userdb"
// is not), one that is there but cannot be opened or read (a permission, an I/O error, a
// folder or a named pipe under the name), one whose bytes do not decode, and one that cannot
// be written. Only the caller at the edge (the window, the server, the tool) decides what to
// show; the result carries the cause, never a message of its own.
#include <string>

namespace orvane {

class [[nodiscard]] CFileResult {
public:
    enum class Kind { Ok, Missing, Unreadable, Malformed, Unwritable };

    CFileResult() = default;  // success

    static CFileResult Missing();
    // `error` is the errno of the failed call; `detail` replaces its text where errno says
    // too little (a named pipe is "not a regular file").
    static CFileResult Unreadable(int error, std::string detail = {});
    // `cause` is the archive's cause with its detail ("end of data: ...").
    static CFileResult Malformed(std::string cause);
    static CFileResult Unwritable(int error);

    Kind GetKind() const { return kind; }
    bool IsOk() const { return kind == Kind::Ok; }
    bool IsMissing() const { return kind == Kind::Missing; }
    // The errno of a missing, unreadable or unwritable file; 0 otherwise.
    int Error() const { return error; }
    // The cause in English, as the C library and the archive say it ("Permission denied",
    // "bad index: ..."); empty on success.
    std::string Reason() const;

private:
    CFileResult(Kind resultKind, int errorNumber, std::string detailText)
        : kind(resultKind), error(errorNumber), detail(std::move(detailText)) {}

    Kind kind = Kind::Ok;
    int error = 0;
    std::string detail;
};

}  // namespace orvane
