// Credential checks see "userdb" as last saved, however soon and however often it is saved,
// while an unchanged file is loaded only once.
#include "server/UserDBCache.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "ServerFixture.h"

namespace orvane::test {
namespace {

using UserDBCacheTest = ServerTest;

TEST_F(UserDBCacheTest, EverySaveIsSeenByTheVeryNextLogin) {
    LoopbackClient client = Connect();
    for (int i = 0; i < 100; ++i) {
        const std::string password = "heslo" + std::to_string(10 + i % 2);  // one length
        SaveAccounts(1, std::u16string(password.begin(), password.end()));
        ASSERT_EQ(client.Ask("AUTH ziak " + password + "\r\n"), "#You are logged in!!!\r\n") << i;
        ASSERT_EQ(client.Ask("AUTH ziak heslo" + std::to_string(11 - i % 2) + "\r\n"),
                  "!Wrong user / pass!!!\r\n")
            << i;
    }
}

TEST_F(UserDBCacheTest, ARewriteInPlaceWithTheOldTimesIsSeen) {
    CUserDBCache cache("userdb");
    SaveAccounts(1, u"heslo1");
    const std::vector<std::uint8_t> first = ReadBytes("userdb");
    SaveAccounts(1, u"heslo2");
    struct stat before {};
    ASSERT_EQ(::stat("userdb", &before), 0);
    EXPECT_TRUE(cache.Current()->Accepts(u"ziak", u"heslo2"));
    // The same size at the same inode, and the modification time put back.
    const int fd = ::open("userdb", O_WRONLY);
    ASSERT_EQ(::pwrite(fd, first.data(), first.size(), 0), static_cast<ssize_t>(first.size()));
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::futimens(fd, times), 0);
    ::close(fd);
    EXPECT_TRUE(cache.Current()->Accepts(u"ziak", u"heslo1"));
}

TEST_F(UserDBCacheTest, AnUnchangedFileIsLoadedOnceAndAnyChangeLoadsItAgain) {
    CUserDBCache cache("userdb");
    SaveAccounts(1, u"heslo");
    // A file saved this very moment is loaded at every check until its times have settled.
    EXPECT_NE(cache.Current(), cache.Current());
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    const auto settled = cache.Current();
    EXPECT_EQ(cache.Current(), settled);
    SaveAccounts(1, u"nove5");  // the same size
    const auto changed = cache.Current();
    EXPECT_NE(changed, settled);
    EXPECT_TRUE(changed->Accepts(u"ziak", u"nove5"));
    EXPECT_FALSE(changed->Accepts(u"ziak", u"heslo"));
    ASSERT_EQ(::unlink("userdb"), 0);
    EXPECT_EQ(cache.Current()->state, CUserDBCache::State::Missing);
    WriteText("userdb", "\x05");
    EXPECT_EQ(cache.Current()->state, CUserDBCache::State::Broken);
}

TEST_F(UserDBCacheTest, TheFirstAccountWithALoginDecidesAsFindLoginDoes) {
    CPNUserDB db;
    db.InsertUser(std::make_shared<CPNUser>(u"dvojnik", u"Učiteľ", u"druhe", true));
    db.InsertUser(std::make_shared<CPNUser>(u"dvojnik", u"Žiak", u"prve", false));
    db.InsertUser(std::make_shared<CPNUser>(u"ucitel", u"Učiteľ", u"tajne", true));
    db.Save(u"userdb");  // stored front first, loaded back to front
    CPNUserDB loaded;
    loaded.Load(u"userdb");
    ASSERT_TRUE(loaded.FindLogin(u"dvojnik"));
    const std::u16string first = loaded.CurrentUser()->GetPassword();
    const std::u16string second = first == u"prve" ? u"druhe" : u"prve";

    const auto accounts = CUserDBCache("userdb").Current();
    EXPECT_TRUE(accounts->Accepts(u"dvojnik", first));
    EXPECT_FALSE(accounts->Accepts(u"dvojnik", second));
    EXPECT_EQ(accounts->IsTeacher(u"dvojnik", first), loaded.IsCurrentTeacher(u"dvojnik", first));
    EXPECT_FALSE(accounts->IsTeacher(u"dvojnik", second));
    EXPECT_TRUE(accounts->IsTeacher(u"ucitel", u"tajne"));
    EXPECT_FALSE(accounts->IsTeacher(u"ucitel", u"zle"));
    EXPECT_FALSE(accounts->Accepts(u"nikto", u""));
}

}  // namespace
}  // namespace orvane::test
