// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <set>
#include <thread>

#include "archive/Archive.h"
#include "common/RandomSource.h"
#include "common/TextCodec.h"
#include "support/ByteBuilder.h"
#include "support/Serialized.h"
#include "support/TempFolder.h"
#include "users/PNUserDB.h"
#include "users/UserDBFile.h"

namespace orvane::test {
namespace {

using Logins = std::vector<std::u16string>;

Logins LoginsOf(CPNUserDB& db) {
    Logins logins;
    for (bool more = db.First(); more; more = db.Next()) {
        logins.push_back(db.GetCurrentLogin());
    }
    return logins;
}

// A database whose accounts, front to end, are the given ones; "boss"/"pw" is a teacher.
class UserDBTest : public InTempFolder {
protected:
    void Add(const std::u16string& login, bool teacher, const std::u16string& password = u"p") {
        ASSERT_TRUE(
            db.AddUser(login, u"Name " + login, password, password, teacher, u"boss", u"pw"));
    }
    void MakeBoss() { ASSERT_TRUE(db.AddUser(u"boss", u"Boss", u"pw", u"pw", true, u"", u"")); }
    CPNUserDB db;
};

// The first-run rule: an empty database gives the rights to Tutor with an empty password, and
// takes any first account whose password is confirmed.
TEST_F(UserDBTest, EmptyDatabaseAcceptsOnlyTutorAndTakesAnyFirstAccount) {
    EXPECT_TRUE(db.HasTeacherRights(u"Tutor", u""));
    EXPECT_FALSE(db.HasTeacherRights(u"Tutor", u"x") || db.HasTeacherRights(u"tutor", u"") ||
                 db.HasTeacherRights(u"boss", u""));
    EXPECT_FALSE(db.AddUser(u"Tutor", u"T", u"a", u"b", true, u"Tutor", u""));
    EXPECT_TRUE(db.IsEmpty());
    EXPECT_TRUE(db.AddUser(u"anyone", u"A", u"a", u"a", true, u"not", u"checked"));
    EXPECT_FALSE(db.HasTeacherRights(u"Tutor", u""));
    EXPECT_FALSE(db.AddUser(u"second", u"S", u"a", u"a", false, u"not", u"checked"));
    EXPECT_EQ(db.GetCount(), 1);
}

// Rights take a teacher's login and exact password; a new password takes a matching
// confirmation and either the rights or the account's own old password.
TEST_F(UserDBTest, RightsAndPasswordChangesNeedTheRightPasswords) {
    MakeBoss();
    Add(u"student", false, u"s");
    EXPECT_TRUE(db.HasTeacherRights(u"boss", u"pw"));
    EXPECT_FALSE(db.HasTeacherRights(u"boss", u"PW") || db.HasTeacherRights(u"student", u"s") ||
                 db.HasTeacherRights(u"nobody", u"pw"));
    ASSERT_TRUE(db.FindLogin(u"student"));
    EXPECT_EQ(db.GetCurrentPassword(u"student", u"s"), u"");
    EXPECT_EQ(db.GetCurrentPassword(u"boss", u"pw"), u"s");  // the checks left the cursor
    EXPECT_FALSE(db.IsCurrentTeacher(u"student", u"s") ||
                 db.SetCurrentName(u"Hacker", u"student", u"s") ||
                 db.SetCurrentTeacher(true, u"student", u"s") ||
                 db.SetCurrentLogin(u"x", u"student", u"s") ||
                 db.SetCurrentPassword(u"a", u"b", u"boss", u"pw") ||
                 db.SetCurrentPassword(u"a", u"a", u"student", u"s") ||
                 db.ChangeCurrentPassword(u"wrong", u"n", u"n") ||
                 db.ChangeCurrentPassword(u"s", u"n", u"m"));
    EXPECT_EQ(db.GetCurrentLogin() + db.GetCurrentName(), u"studentName student");
    EXPECT_TRUE(db.CheckCurrentPassword(u"s"));
    EXPECT_TRUE(db.ChangeCurrentPassword(u"s", u"n", u"n"));
    EXPECT_TRUE(db.CheckCurrentPassword(u"n"));
    EXPECT_TRUE(db.SetCurrentPassword(u"z", u"z", u"boss", u"pw"));
    EXPECT_TRUE(db.CheckCurrentPassword(u"z"));
    EXPECT_TRUE(db.SetCurrentTeacher(true, u"boss", u"pw"));
    EXPECT_TRUE(db.IsCurrentTeacher(u"boss", u"pw"));
}

TEST_F(UserDBTest, FindLoginStopsAtTheNewerOfTwinsAndAMissOnTheLastAccount) {
    EXPECT_FALSE(db.FindLogin(u"a"));
    EXPECT_EQ(db.CurrentUser(), nullptr);
    MakeBoss();
    Add(u"twin", false, u"old");
    Add(u"c", false);
    Add(u"twin", true, u"new");
    EXPECT_EQ(LoginsOf(db), (Logins{u"twin", u"c", u"twin", u"boss"}));
    ASSERT_TRUE(db.First());
    EXPECT_FALSE(db.FindLogin(u"zzz"));
    EXPECT_EQ(db.GetCurrentLogin(), u"boss");
    EXPECT_FALSE(db.Next());
    EXPECT_EQ(db.GetCurrentLogin(), u"boss");
    ASSERT_TRUE(db.FindLogin(u"twin"));
    EXPECT_TRUE(db.CheckCurrentPassword(u"new"));
    EXPECT_TRUE(db.HasTeacherRights(u"twin", u"new"));
    EXPECT_FALSE(db.HasTeacherRights(u"twin", u"old"));
    EXPECT_TRUE(db.RemoveUser(u"twin", u"boss", u"pw"));
    ASSERT_TRUE(db.FindLogin(u"twin"));
    EXPECT_TRUE(db.CheckCurrentPassword(u"old"));
    EXPECT_EQ(db.GetCount(), 3);
}

// Passwords come from the kernel: however the draw's generator is seeded, no two are alike,
// and every character of the alphabet turns up. The cursor stays.
TEST_F(UserDBTest, GeneratedPasswordsAreTenCharactersThatNoSeedRepeats) {
    MakeBoss();
    std::set<std::u16string> passwords;
    std::set<char16_t> characters;
    for (int i = 0; i < 200; ++i) {
        SeedRandomSource(1);
        ASSERT_TRUE(db.FindLogin(u"boss") &&
                    db.AddStudent(u"zadajte_novy_login", u"Z", u"boss", u"pw"));
        ASSERT_EQ(db.GetCurrentLogin(), u"boss");
        ASSERT_TRUE(db.First());
        const std::u16string password = db.GetCurrentPassword(u"boss", u"pw");
        EXPECT_EQ(password.find_first_not_of(CPNUserDB::kPasswordAlphabet), std::u16string::npos);
        characters.insert(password.begin(), password.end());
        passwords.insert(password);
    }
    EXPECT_TRUE(passwords.size() == 200 && passwords.begin()->size() == 10 &&
                characters.size() == 62);
    EXPECT_FALSE(db.IsCurrentTeacher(u"boss", u"pw") ||
                 db.AddStudent(u"x", u"y", u"boss", u"wrong"));
}

// A save writes over nothing but what it last loaded or saved: an upload meanwhile is loaded
// instead, and the change made before it is lost; a file that no longer decodes is replaced.
// After each save the file holds what `users` does.
TEST_F(UserDBTest, ASaveNeverReplacesAFileThatChangedSinceItWasLoadedOrSaved) {
    MakeBoss();
    ASSERT_TRUE(db.Save(u"userdb").IsOk());
    CUserDBFile file(u"userdb");
    auto users = std::make_unique<CPNUserDB>();
    ASSERT_TRUE(file.Load(*users).IsOk());
    ASSERT_TRUE(db.AddUser(u"nahrany", u"N", u"n", u"n", false, u"boss", u"pw"));
    ASSERT_TRUE(db.Save(u"uploaded").IsOk());
    using Outcome = CUserDBFile::Outcome;
    using Disturbance = std::pair<std::vector<std::uint8_t>, Outcome>;  // bytes put in "userdb"
    for (const auto& [bytes, outcome] :
         std::vector<Disturbance>{{ReadBytes("uploaded"), Outcome::Reloaded},
                                  {{}, Outcome::Written},
                                  {{1, 2, 3}, Outcome::ReplacedUndecoded}}) {
        ASSERT_TRUE(users->AddStudent(u"novy", u"N", u"boss", u"pw"));
        if (!bytes.empty()) {
            WriteBytes("userdb", bytes);
        }
        const CUserDBFile::SaveResult saved = file.Save(users);
        EXPECT_TRUE(saved.outcome == outcome && saved.result.IsOk());
        CPNUserDB stored;
        ASSERT_TRUE(stored.Load(u"userdb").IsOk());
        const Logins held = LoginsOf(*users), written = LoginsOf(stored);
        EXPECT_TRUE(std::is_permutation(held.begin(), held.end(), written.begin(), written.end()));
    }
    EXPECT_EQ(LoginsOf(*users), (Logins{u"novy", u"novy", u"boss", u"nahrany"}));
}

TEST_F(UserDBTest, RemovalsKeepTeachersInTheirOrderAndTheCurrentOneGoneLeavesNoCursor) {
    MakeBoss();
    for (const char16_t* login : {u"s1", u"t1", u"s2", u"s3"}) {
        Add(login, login[0] == u't');
    }
    ASSERT_TRUE(db.FindLogin(u"s3"));
    ASSERT_TRUE(db.RemoveUser(u"s3", u"boss", u"pw"));
    EXPECT_EQ(db.CurrentUser(), nullptr);
    EXPECT_EQ(db.GetCurrentLogin(), u"");
    EXPECT_FALSE(db.SetCurrentName(u"x", u"boss", u"pw") || db.Next());
    db.RemoveAllStudents(u"s1", u"p");  // refused: a student
    EXPECT_EQ(db.GetCount(), 4);
    db.RemoveAllStudents(u"boss", u"pw");
    EXPECT_EQ(LoginsOf(db), (Logins{u"t1", u"boss"}));
    EXPECT_FALSE(db.RemoveUser(u"s1", u"boss", u"pw"));
}

TEST_F(UserDBTest, FileIsTheCountThenTheAccountsFromTheFrontAndLoadingReversesThem) {
    EXPECT_TRUE(db.Save(u"fresh").IsOk());  // an empty database writes nothing, nor replaces a file
    EXPECT_FALSE(Exists("fresh"));
    WriteBytes("userdb", {1, 2, 3});
    EXPECT_TRUE(db.Save(u"userdb").IsOk());
    EXPECT_EQ(ReadBytes("userdb"), (std::vector<std::uint8_t>{1, 2, 3}));
    MakeBoss();
    Add(u"eva", false, u"e1");
    Add(u"jan", false, u"j1");
    EXPECT_TRUE(db.Save(u"userdb").IsOk());
    Bytes expected = Bytes().I32(3).Class("CPNUser").Byte(0).Str(u"Name jan").Str(u"jan");
    expected.Str(u"j1").U16(0x8001).Byte(0).Str(u"Name eva").Str(u"eva").Str(u"e1");
    expected.U16(0x8001).Byte(1).Str(u"Boss").Str(u"boss").Str(u"pw");
    EXPECT_EQ(Hex(ReadBytes("userdb")), Hex(expected));
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"userdb"});
    CPNUserDB loaded;
    EXPECT_TRUE(loaded.Load(u"userdb").IsOk());
    EXPECT_EQ(LoginsOf(loaded), (Logins{u"boss", u"eva", u"jan"}));
    ASSERT_TRUE(loaded.FindLogin(u"eva"));
    EXPECT_EQ(loaded.GetCurrentName(), u"Name eva");
}

TEST_F(UserDBTest, LargeDatabaseIsWrittenByteForByteAndAnAccountHeldTwiceStaysOne) {
    // Enough accounts for a file of many blocks and a grown identity table; one account
    // stands at both ends of the list, and one has a name too long for a one-byte length.
    const auto twice = std::make_shared<CPNUser>(u"dvakrat", u"Dva Krát", u"heslo", true);
    std::vector<std::shared_ptr<CPNUser>> added{twice};
    for (int i = 1; i < 40'000; ++i) {
        const std::u16string number = FromUtf8(std::to_string(i));
        const std::u16string name = i == 777 ? std::u16string(300, u'ž') : u"Študent " + number;
        added.push_back(std::make_shared<CPNUser>(u"s" + number, name, u"p" + number, false));
    }
    added.push_back(twice);
    Bytes expected = Bytes().I32(40'001).Class("CPNUser");
    for (auto user = added.rbegin(); user != added.rend() - 1; ++user) {
        (user == added.rbegin() ? expected : expected.U16(0x8001)).Byte((*user)->IsTeacher());
        expected.Str((*user)->GetName()).Str((*user)->GetLogin()).Str((*user)->GetPassword());
    }
    expected.U16(2);  // the object index of the account written first
    for (const auto& user : added) {
        db.InsertUser(user);
    }
    EXPECT_TRUE(db.Save(u"userdb").IsOk());
    EXPECT_TRUE(ReadBytes("userdb") == expected.Get());

    CPNUserDB loaded;
    EXPECT_TRUE(loaded.Load(u"userdb").IsOk());
    ASSERT_TRUE(loaded.First());
    const CPNUser* first = loaded.CurrentUser();
    EXPECT_EQ(LoginsOf(loaded).size(), 40'001u);  // the walk ends on the last account,
    EXPECT_EQ(loaded.CurrentUser(), first);       // which is the first one again
}

// A missing file and one that cannot be read print the same line, but only the first is
// Missing: a folder or a named pipe under the name is Unreadable, and the pipe is not waited on.
TEST_F(UserDBTest, FileErrorsAreTheirOwnResultsAndConsoleLines) {
    const auto load = [&](CFileResult::Kind kind) {
        EXPECT_EQ(Printed([&] { EXPECT_EQ(db.Load(u"userdb").GetKind(), kind); }),
                  "Cannot open file: userdb\n");
    };
    load(CFileResult::Kind::Missing);
    ASSERT_EQ(::mkfifo("userdb", 0600), 0);
    load(CFileResult::Kind::Unreadable);
    ASSERT_EQ(::unlink("userdb"), 0);
    ASSERT_EQ(::mkdir("userdb", 0700), 0);
    load(CFileResult::Kind::Unreadable);
    ASSERT_EQ(::rmdir("userdb"), 0);
    EXPECT_TRUE(db.IsEmpty());
    // A null entry is skipped, and the file saved again holds the rest whole.
    WriteBytes("userdb",
               Bytes().I32(2).U16(0).Class("CPNUser").Byte(1).Str(u"N").Str(u"t").Str(u"p"));
    EXPECT_EQ(Printed([&] { EXPECT_TRUE(db.Load(u"userdb").IsOk()); }), "Cannot load user: \n");
    EXPECT_EQ(LoginsOf(db), Logins{u"t"});
    // A new file holds passwords: it is for its owner alone, whatever the umask.
    EXPECT_TRUE(db.Save(u"nove").IsOk());
    struct stat made {};
    ASSERT_EQ(::stat("nove", &made), 0);
    EXPECT_EQ(made.st_mode & 07777, 0600u);
    CPNUserDB again;
    EXPECT_TRUE(again.Load(u"nove").IsOk());
    EXPECT_EQ(LoginsOf(again), Logins{u"t"});

    for (int i = 0; i < 10; ++i) {  // a file well beyond the limit below
        db.InsertUser(std::make_shared<CPNUser>(u"student", u"S", u"p", false));
    }
    WriteBytes("userdb", {9, 9});
    const auto save = [&] {
        UnderFileSizeLimit(200, [&] { EXPECT_EQ(db.Save(u"userdb").Error(), EFBIG); });
    };
    EXPECT_EQ(Printed(save), "Cannot write to file: userdb\n");  // the line fits the limit
    EXPECT_EQ(ReadBytes("userdb"), (std::vector<std::uint8_t>{9, 9}));
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"nove", "userdb"}));
}

TEST_F(UserDBTest, MalformedFilesAreReadErrors) {
    MakeBoss();
    Add(u"s", false);
    const std::vector<std::uint8_t> whole = StoredItems(db);
    ExpectEveryCutEndsTheData<CPNUserDB>(whole);
    EXPECT_EQ(LoadFailure<CPNUserDB>(Bytes().I32(0x7FFFFFFF).Raw({whole.begin() + 4, whole.end()})),
              ArchiveError::Cause::EndOfData);
    EXPECT_EQ(LoadFailure<CPNUserDB>(Bytes().I32(1).Class("CPNUserDB").I32(0)),
              ArchiveError::Cause::BadClass);
    WriteBytes("userdb", {whole.begin(), whole.end() - 1});  // and from a file
    const CFileResult result = CPNUserDB().Load(u"userdb");
    EXPECT_EQ(result.GetKind(), CFileResult::Kind::Malformed);
    EXPECT_EQ(result.Reason().rfind("end of data", 0), 0u) << result.Reason();
}

// Any flag byte other than 0 makes a teacher, and is written back as it came.
TEST(PNUser, AnyNonZeroFlagByteIsATeacherAndIsWrittenBackUnchanged) {
    const std::vector<std::uint8_t> bytes = Bytes().Byte(2).Str(u"").Str(u"x").Str(u"");
    std::size_t left = 1;
    const auto loaded = LoadedItems<CPNUser>(bytes, &left);
    EXPECT_EQ(left, 0u);
    EXPECT_TRUE(loaded->IsTeacher());
    EXPECT_EQ(loaded->GetLogin(), u"x");
    EXPECT_EQ(StoredItems(*loaded), bytes);
    loaded->SetTeacher(true);
    EXPECT_EQ(StoredItems(*loaded)[0], 1);
}

TEST_F(UserDBTest, ReaderOnAnotherThreadAlwaysLoadsAWholeFile) {
    MakeBoss();
    EXPECT_TRUE(db.Save(u"userdb").IsOk());
    std::atomic<bool> done{false};
    std::atomic<int> failures{0};
    std::thread reader([&] {
        while (!done) {
            try {
                CPNUserDB session;
                const bool loaded = session.Load(u"userdb").IsOk();
                failures += loaded && session.FindLogin(u"boss") ? 0 : 1;
            } catch (const ArchiveError&) {
                ++failures;
            }
        }
    });
    for (int round = 0; round < 100; ++round) {
        for (int i = 0; i < 20; ++i) {
            Add(u"student" + std::u16string(1, char16_t(u'a' + i)), false);
        }
        EXPECT_TRUE(db.Save(u"userdb").IsOk());
        db.RemoveAllStudents(u"boss", u"pw");
        EXPECT_TRUE(db.Save(u"userdb").IsOk());
    }
    done = true;
    reader.join();
    EXPECT_EQ(failures, 0);
}

}  // namespace
}  // namespace orvane::test
