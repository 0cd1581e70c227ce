// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ExamFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "archive/Archive.h"
#include "common/TextCodec.h"
#include "support/ByteBuilder.h"

namespace orvane::test {

std::shared_ptr<CPNQuestion> MakeQuestion(std::int32_t kindCode, std::int32_t id,
                                          std::u16string_view title, std::int16_t points,
                                          std::u16string_view text) {
    Bytes bytes;
    bytes.Class("CPNQuestion").I32(kindCode).I32(id).Str(title).Str(text);
    bytes.I16(0).I32(0).U32(0).I16(0);  // answer number, items, asked requirements, key number
    bytes.I32(0).I32(0).I32(0).I32(0);  // no answer, key, items or right items
    bytes.U32(0).I16(points);           // key requirements, points
    bytes.I32(0).I32(0);                // no work net, no key net
    CArchive archive(bytes.Get());
    return archive.ReadObjectOf<CPNQuestion>();
}

std::shared_ptr<CPNQuestion> MakeQuestion(QuestionKind kind, std::int32_t id,
                                          std::u16string_view title, std::int16_t points,
                                          std::u16string_view text) {
    return MakeQuestion(static_cast<std::int32_t>(kind), id, title, points, text);
}

std::shared_ptr<CPNTest> MakeTest(std::int32_t id, std::u16string_view login, bool toBeWorkedOut,
                                  const std::vector<std::shared_ptr<CPNQuestion>>& questions) {
    auto test = std::make_shared<CPNTest>();
    test->SetId(id);
    test->SetLogin(std::u16string(login));
    test->SetToBeWorkedOut(toBeWorkedOut);
    for (auto question = questions.rbegin(); question != questions.rend(); ++question) {
        test->AddQuestion(*question);
    }
    return test;
}

std::vector<std::int32_t> QuestionIds(CPNTest& test) {
    std::vector<std::int32_t> ids;
    for (bool more = test.FirstQuestion(); more; more = test.NextQuestion()) {
        ids.push_back(test.CurrentQuestion()->GetId());
    }
    return ids;
}

std::vector<std::shared_ptr<CPNTest>> TestsOf(CPNTestDB& tests) {
    std::vector<std::shared_ptr<CPNTest>> all;
    for (bool more = tests.First(); more; more = tests.Next()) {
        all.push_back(tests.Current());
    }
    return all;
}

void WriteTestFile(const std::string& fileName, const std::shared_ptr<CPNTest>& test) {
    CPNTestDB database;
    database.AddTest(test);
    database.First();
    EXPECT_TRUE(database.Save(FromUtf8(fileName)).IsOk()) << fileName;
}

std::unique_ptr<CPNUserDB> MakeUsers(const std::vector<Account>& accounts) {
    auto users = std::make_unique<CPNUserDB>();
    if (accounts.empty()) {
        return users;
    }
    const Account& first = accounts.front();
    EXPECT_TRUE(first.teacher) << "the first account gives the rights to add the others";
    for (const Account& account : accounts) {
        EXPECT_TRUE(users->AddUser(account.login, account.name, account.password, account.password,
                                   account.teacher, first.login, first.password));
    }
    return users;
}

void WriteUsersFile(const std::vector<Account>& accounts) {
    EXPECT_TRUE(MakeUsers(accounts)->Save(u"userdb").IsOk());
}

std::vector<std::pair<std::u16string, bool>> LoginsOf(CPNUserDB& users) {
    std::vector<std::pair<std::u16string, bool>> logins;
    for (bool more = users.First(); more; more = users.Next()) {
        logins.emplace_back(users.GetCurrentLogin(), users.CurrentUser()->IsTeacher());
    }
    return logins;
}

std::unique_ptr<CPNUserDB> LoadUsersFile() {
    auto users = std::make_unique<CPNUserDB>();
    EXPECT_TRUE(users->Load(u"userdb").IsOk());
    return users;
}

}  // namespace orvane::test
