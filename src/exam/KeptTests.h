// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tests of an exam that live in files beside "testdb": every test that the generator
// made, kept as "tests/<login>/<time>-test<id>" (the bytes that a "testdb" holding it would
// have), and every "testdb_bla" that a student uploaded, kept by the server as
// "submissions/<login>/<time>-testdb_bla". The server hands a student the newest of their
// kept tests instead of the shared "testdb"; the administration window lists the kept tests
// at start-up, reads those of a student when it shows the student's tests, and lists a
// student's submissions after the student's tests.
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/ExamFolders.h"
#include "common/FileNames.h"
#include "common/FileResult.h"
#include "exam/PNTest.h"
#include "exam/PNTestDB.h"

namespace orvane {

struct KeptTest {
    std::shared_ptr<CPNTest> test;
    std::string path;
    CFileResult result;
};

struct SubmittedTest {
    KeptTime time;
    std::shared_ptr<CPNTest> test;
};

// The tests that the database holds now, to tell the new ones after a generation.
std::set<const CPNTest*> TestsIn(const CPNTestDB& tests);
// Writes every test of the database that is not in `before`, each into its login's folder.
// A test that cannot be written stays in memory; its result says why.
std::vector<KeptTest> KeepNewTests(const CPNTestDB& tests, const std::set<const CPNTest*>& before);
// The same in two steps, for a caller that writes elsewhere than where it looks at the
// database: the tests to keep, in the order to keep them, and the writing of one.
std::vector<std::shared_ptr<CPNTest>> NewTests(const CPNTestDB& tests,
                                               const std::set<const CPNTest*>& before);
KeptTest KeepTest(const std::shared_ptr<CPNTest>& test);
// Adds every kept test to the database, oldest first, so that the newest stands at the front
// as after its generation. The tests stand there unread, known by the id and login that the
// file's name and folder give, so that a course with many kept tests starts as fast as one
// without: the ids that a generation avoids are theirs from the start. A file whose name does
// not give them (a folder of a login too long to be its name in full) is read at once.
void ListKeptTests(CPNTestDB& tests);
// Reads the login's unread kept tests, each into its place, before the login's tests are shown
// or changed. A file that does not load as a test leaves the database and is named on the
// console, once.
void ReadKeptTestsOf(CPNTestDB& tests, std::u16string_view login);
// Reads the unread kept test with that id, as above, for whatever needs that test alone.
void ReadKeptTest(CPNTestDB& tests, std::int32_t id);
// Removes the login's kept tests from disk (a failure is a console line); its submissions
// stay.
CFileResult RemoveKeptTests(std::u16string_view login);

// What became of handing a renamed account's files to its new login: the first file or folder
// that could not be moved or rewritten, and why (an Ok result: everything moved).
struct KeptFilesMove {
    std::string path;
    CFileResult result;
};
// Hands the files of login `from` to login `to`, for an account that was renamed and whose
// old login no other account has: the tests of the database and the kept tests take the new
// login (the server hands a student the kept tests of the student's own folder, made for that
// login), and the folders of kept tests and submissions move to the new login's, into them
// where they exist. Whatever can move moves, whatever else fails. The kept tests of `from` are
// read first.
[[nodiscard]] KeptFilesMove MoveKeptFilesOfLogin(CPNTestDB& tests, std::u16string_view from,
                                                 std::u16string_view to);

// The login's kept "testdb_bla" files that load as a test, newest first. A file that does not
// load is left on disk and named on the console, once per run.
std::vector<SubmittedTest> LoadSubmittedTests(std::u16string_view login);

}  // namespace orvane
