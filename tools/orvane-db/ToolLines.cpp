// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolLines.h"

#include <unistd.h>

#include "common/FileBytes.h"

namespace orvane {

int Fail(std::FILE* err, std::initializer_list<std::string_view> pieces) {
    std::fputs("orvane-db: ", err);
    for (const std::string_view piece : pieces) {
        std::fwrite(piece.data(), 1, piece.size(), err);
    }
    std::fputc('\n', err);
    return 1;
}

std::string_view NameOf(std::string_view path) {
    return path == kStandardStream ? "standard input" : path;
}

CFileResult ReadInput(const std::string& path, std::vector<std::uint8_t>& bytes) {
    return path == kStandardStream ? ReadDescriptorBytes(STDIN_FILENO, bytes)
                                   : ReadFileBytes(path, bytes);
}

int CannotRead(std::FILE* err, const std::string& path, const CFileResult& result) {
    const std::string reason = result.Reason();
    return Fail(err, {NameOf(path), ": cannot read the file: ", reason});
}

int FlushOutput(std::FILE* out, std::FILE* err) {
    if (std::fflush(out) != 0 || std::ferror(out) != 0) {
        return Fail(err, {"cannot write to standard output"});
    }
    return 0;
}

}  // namespace orvane
