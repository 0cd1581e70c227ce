#include "DatabaseFile.h"

#include "TestJson.h"
#include "UserDBJson.h"
#include "archive/Archive.h"
#include "exam/PNTestDB.h"

namespace orvane {
namespace {

Json DumpUserDBBytes(std::span<const std::uint8_t> bytes) {
    CPNUserDB database;
    CArchive archive(bytes);
    database.Serialize(archive);
    return DumpUserDB(database);
}

Json DumpTestBytes(std::span<const std::uint8_t> bytes) {
    CPNTestDB database;
    CArchive archive(bytes);
    database.Serialize(archive);
    database.First();
    return DumpTestFile(*database.Current());
}

}  // namespace

Json DumpDatabaseFile(std::span<const std::uint8_t> bytes) {
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFF) {
        try {
            return DumpTestBytes(bytes);
        } catch (const ArchiveError& testError) {
            try {
                return DumpUserDBBytes(bytes);
            } catch (const ArchiveError& userError) {
                throw DatabaseFileError(std::string("neither a test file (") + testError.what() +
                                        ") nor a user database (" + userError.what() + ")");
            }
        }
    }
    try {
        return DumpUserDBBytes(bytes);
    } catch (const ArchiveError& error) {
        throw DatabaseFileError(std::string("not a user database (") + error.what() + ")");
    }
}

std::vector<std::uint8_t> PackDatabaseDocument(const Json& json) {
    const CJsonShape document(json, "");
    document.Object({"type", "users", "test"});
    const CJsonShape type = document.Member("type");
    CArchive archive;
    if (type.Value() == "userdb") {
        CPNUserDB database;
        PackUserDB(document, database);
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
