// SPDX-License-Identifier: GPL-3.0-or-later
#include "DatabaseFile.h"

#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "JsonWriter.h"
#include "TestJson.h"
#include "UserDBJson.h"
#include "archive/Archive.h"
#include "common/AtomicFile.h"
#include "exam/PNTestDB.h"

namespace orvane {
namespace {

// Writes {"type": type, key: content} to `out`, after a count that stops at the bound, so a
// file whose JSON would pass it writes nothing.
void WriteDocument(std::size_t fileSize, std::FILE* out, std::u16string_view type,
                   std::string_view key, const std::function<void(CJsonWriter&)>& content) {
    const auto write = [&](CJsonWriter& writer) {
        writer.BeginObject();
        writer.Key("type").Text(type);
        content(writer.Key(key));
        writer.EndObject();
    };
    const std::uint64_t limit = kDumpBytesPerByte * fileSize + kDumpSlack;
    try {
        CJsonWriter counter(nullptr, limit);
        write(counter);
    } catch (const CJsonWriter::TooLarge&) {
        throw DatabaseFileError("refused: its JSON would pass " + std::to_string(limit) +
                                " bytes, " + std::to_string(kDumpBytesPerByte) +
                                " for each byte of the file (it refers back to the same "
                                "objects over and over)");
    }
    CJsonWriter writer(out, std::numeric_limits<std::uint64_t>::max());
    write(writer);
    writer.Finish();
}

template <class Database>
void Load(Database& database, std::span<const std::uint8_t> bytes) {
    CArchive archive(bytes);
    database.Serialize(archive);
}

}  // namespace

void DumpDatabaseFile(std::span<const std::uint8_t> bytes, std::FILE* out) {
    std::optional<std::string> testProblem;
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFF) {
        CPNTestDB database;
        try {
            Load(database, bytes);
        } catch (const ArchiveError& error) {
            testProblem = error.what();
        }
        // FF FF is a new object, so a test loaded whole is there.
        if (!testProblem && database.First()) {
            CPNTest& test = *database.Current();
            return WriteDocument(bytes.size(), out, u"test", "test",
                                 [&](CJsonWriter& writer) { DumpTest(writer, test); });
        }
    }
    CPNUserDB database;
    try {
        Load(database, bytes);
    } catch (const ArchiveError& error) {
        if (testProblem) {
            throw DatabaseFileError("neither a test file (" + *testProblem +
                                    ") nor a user database (" + error.what() + ")");
        }
        throw DatabaseFileError(std::string("not a user database (") + error.what() + ")");
    }
    WriteDocument(bytes.size(), out, u"userdb", "users",
                  [&](CJsonWriter& writer) { DumpUsers(writer, database); });
}

PackedFile PackDatabaseDocument(const Json& json) {
    const CJsonShape document(json, "");
    document.Object({"type", "users", "test"});
    const CJsonShape type = document.Member("type");
    // Not the library's comparison with a text: it makes a JSON value of the text, in a
    // function that must not throw, so running out of memory there would abort.
    const std::string_view typeName =
        type.Value().is_string() ? std::string_view(type.Value().get_ref<const std::string&>())
                                 : std::string_view();
    CArchive archive;
    mode_t newFileMode = kNewFileMode;
    if (typeName == "userdb") {
        document.Object({"type", "users"});
        CPNUserDB database;
        PackUsers(document.Member("users"), database);
        database.Serialize(archive);
        newFileMode = kPrivateFileMode;
    } else if (typeName == "test") {
        document.Object({"type", "test"});
        CPNTestDB database;
        database.AddTest(PackTest(document.Member("test")));
        database.First();
        database.Serialize(archive);
    } else {
        type.Fail("expected \"userdb\" or \"test\"");
    }
    return {archive.TakeData(), newFileMode};
}

}  // namespace orvane
