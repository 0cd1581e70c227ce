// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Questions, tests, accounts and database files for tests. A question of any kind (also one
// that no constructor makes, or an unknown code) is made by loading its stored form, as a
// file would bring it in.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "exam/PNQuestion.h"
#include "exam/PNTest.h"
#include "exam/PNTestDB.h"
#include "exam/QuestionKind.h"
#include "users/PNUserDB.h"

namespace orvane::test {

std::shared_ptr<CPNQuestion> MakeQuestion(std::int32_t kindCode, std::int32_t id,
                                          std::u16string_view title, std::int16_t points = 0,
                                          std::u16string_view text = u"");
std::shared_ptr<CPNQuestion> MakeQuestion(QuestionKind kind, std::int32_t id,
                                          std::u16string_view title, std::int16_t points = 0,
                                          std::u16string_view text = u"");

// A test whose list, from the front, holds `questions` in the order given.
std::shared_ptr<CPNTest> MakeTest(std::int32_t id, std::u16string_view login, bool toBeWorkedOut,
                                  const std::vector<std::shared_ptr<CPNQuestion>>& questions = {});

// The ids of the test's questions, and the tests of the database, in walk order.
std::vector<std::int32_t> QuestionIds(CPNTest& test);
std::vector<std::shared_ptr<CPNTest>> TestsOf(CPNTestDB& tests);

// Writes one test as a test database file ("testdb", "quesdb").
void WriteTestFile(const std::string& fileName, const std::shared_ptr<CPNTest>& test);

struct Account {
    std::u16string login;
    std::u16string name;
    std::u16string password;
    bool teacher;
};

// A user database holding the accounts; the first one must be a teacher, whose rights add
// the others. Walks of the database visit them in the reverse of the order given.
std::unique_ptr<CPNUserDB> MakeUsers(const std::vector<Account>& accounts);
void WriteUsersFile(const std::vector<Account>& accounts);

// Every account of the database, as (login, teacher) pairs in walk order.
std::vector<std::pair<std::u16string, bool>> LoginsOf(CPNUserDB& users);
// "userdb" as it is on disk now.
std::unique_ptr<CPNUserDB> LoadUsersFile();

}  // namespace orvane::test
