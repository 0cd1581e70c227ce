// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CDownload: what one FILE command sends, chosen and opened before the client is told that it
// may download, and held open until it is sent. The file is opened without following any
// symbolic link, and is known by what it is as well as by its name (FixedNameOf). An account
// without teacher rights asking for "testdb" gets its newest kept test, when the window kept
// one for it; and a test goes to such an account without its keys (WithoutKeys): decoded,
// stripped, and encoded again as the client programs would write it.
#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

// What became of sending a file.
struct SentFile {
    bool whole = false;       // every byte went out
    std::uint64_t bytes = 0;  // the bytes that went out
};

class CDownload {
public:
    // Opens the plain name `name` of the working folder.
    explicit CDownload(std::u16string_view name);
    ~CDownload();
    CDownload(const CDownload&) = delete;
    CDownload& operator=(const CDownload&) = delete;

    // False when nothing could be opened (a missing name, a folder, a link): Failure says why.
    bool IsOpen() const { return fd >= 0; }
    // One of the fixed names when the file is one of theirs, else the name asked for.
    const std::u16string& FixedName() const { return fixedName; }
    // Takes the login's newest kept test in place of the shared "testdb", when it has one.
    // False when its kept tests cannot be trusted to be its own: their folder answers to
    // the login only through another letter case (another login's, on a file system that
    // ignores case), or the test found is another login's.
    bool UseKeptTestOf(const std::u16string& login);
    // A test (a file that begins as one) is sent without its keys; false when it does not
    // decode.
    bool RemoveKeys();
    // Sends the whole content raw; a client that cannot take it has its connection ended.
    SentFile Send(int socket);

    // For the log: which test is sent for "testdb" ("the kept test tests/ziak/...", "the shared
    // \"testdb\""); empty for any other file.
    std::string Source() const;
    bool KeysRemoved() const { return keysRemoved; }
    const std::string& Failure() const { return failure; }

private:
    bool Open(const std::string& path);

    int fd = -1;
    struct stat info {};  // what the open file is
    std::u16string fixedName;
    std::string path;          // the file that is open
    std::u16string keptFor;    // the login whose kept test is open, if one is
    bool keysRemoved = false;  // `content` is sent in place of the file
    std::vector<std::uint8_t> content;
    std::string failure;
};

}  // namespace orvane
