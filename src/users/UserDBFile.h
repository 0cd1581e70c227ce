// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CUserDBFile: "userdb" as the administration window keeps it. The window writes the file
// after every change, but the file may change under it: a teacher uploads one through remote
// access, or an operator copies one in. A save never replaces a file whose content differs from
// what this holder last loaded or saved; it loads that file instead, so the caller shows the
// accounts as they are now and the teacher makes the change again if it is still wanted.
//
// Only a file that decodes is taken over. One that changed but does not decode is useless to
// everybody (every session answers "!Databaza neexistuje!"), so the save replaces it with the
// accounts the holder has, and says so. A file that has gone is written again.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "common/FileResult.h"

namespace orvane {

class CPNUserDB;

class CUserDBFile {
public:
    enum class Outcome {
        Written,           // the file holds `users` now (unless `result` says otherwise)
        Reloaded,          // the file had changed: `users` is what it holds, nothing was written
        ReplacedUndecoded  // the file had changed and did not decode (`undecoded` says why)
    };
    struct [[nodiscard]] SaveResult {
        Outcome outcome = Outcome::Written;
        CFileResult result;     // of the write
        CFileResult undecoded;  // why the changed file could not be taken over
    };

    explicit CUserDBFile(std::u16string name) : fileName(std::move(name)) {}

    // Loads the file into `users` (a fresh database) and remembers what it held.
    CFileResult Load(CPNUserDB& users);
    // Writes `users`, or replaces it with the file's accounts when the file has changed.
    [[nodiscard]] SaveResult Save(std::unique_ptr<CPNUserDB>& users);

private:
    // Whether the file holds something else than what was last loaded or saved (a file that
    // cannot be read counts as unchanged: the write then tells what is wrong).
    bool ChangedOnDisk() const;

    std::u16string fileName;
    std::optional<std::uint64_t> known;  // the digest last loaded or saved; none: no file
};

}  // namespace orvane
