#include "DatabaseFile.h"

#include <optional>

#include "TestJson.h"
#include "UserDBJson.h"
#include "archive/Archive.h"
#include "exam/PNTestDB.h"

namespace orvane {
namespace {

Json Document(const char* type, const char* key, Json content) {
    Json document;
    document["type"] = type;
    document[key] = std::move(content);
    return document;
}

Json DumpUserDBBytes(std::span<const std::uint8_t> bytes) {
    CPNUserDB database;
    CArchive archive(bytes);
    database.Serialize(archive);
    return Document("userdb", "users", DumpUsers(database));
}

Json DumpTestBytes(std::span<const std::uint8_t> bytes) {
    CPNTestDB database;
    CArchive archive(bytes);
    database.Serialize(archive);
    database.First();
    return Document("test", "test", DumpTest(*database.Current()));
}

}  // namespace

Json DumpDatabaseFile(std::span<const std::uint8_t> bytes) {
    std::optional<std::string> testProblem;
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFF) {
        try {
            return DumpTestBytes(bytes);
        } catch (const ArchiveError& error) {
            testProblem = error.what();
        }
    }
    try {
        return DumpUserDBBytes(bytes);
    } catch (const ArchiveError& error) {
        if (testProblem) {
            throw DatabaseFileError("neither a test file (" + *testProblem +
                                    ") nor a user database (" + error.what() + ")");
        }
        throw DatabaseFileError(std::string("not a user database (") + error.what() + ")");
    }
}

std::vector<std::uint8_t> PackDatabaseDocument(const Json& json) {
    const CJsonShape document(json, "");
    document.Object({"type", "users", "test"});
    const CJsonShape type = document.Member("type");
    CArchive archive;
    if (type.Value() == "userdb") {
        document.Object({"type", "users"});
        CPNUserDB database;
        PackUsers(document.Member("users"), database);
        database.Serialize(archive);
    } else if (type.Value() == "test") {
        document.Object({"type", "test"});
        CPNTestDB database;
        database.AddTest(PackTest(document.Member("test")));
        database.First();
        database.Serialize(archive);
    } else {
        type.Fail("expected \"userdb\" or \"test\"");
    }
    return archive.TakeData();
}

}  // namespace orvane
