// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CPNTestDB: every test that the administration window knows, newest first, with one cursor.
// It refers to its tests without owning them alone. Its file holds one test: Load adds the
// test of a file at the front, Save writes the test under the cursor.
//
// A test may stand in the list unread: known by its id and login alone, with the file that
// holds it, so that a database of many kept tests is listed without reading each of them (see
// KeptTests). Its place, id and login are a read test's; whatever else it holds is read when
// the test is needed.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "archive/ArchiveError.h"
#include "archive/Object.h"
#include "common/CursorList.h"
#include "common/FileResult.h"
#include "exam/PNTest.h"

namespace orvane {

class CPNTestDB : public CObject {
    ORVANE_DECLARE_SERIAL(CPNTestDB)

public:
    CPNTestDB() = default;
    CPNTestDB(const CPNTestDB&) = delete;
    CPNTestDB& operator=(const CPNTestDB&) = delete;

    bool IsEmpty() const { return tests.IsEmpty(); }
    // Puts the test at the front; the cursor stays. False only for no test.
    bool AddTest(std::shared_ptr<CPNTest> test);
    bool RemoveTest(std::int32_t id);
    bool RemoveTestsOfLogin(const std::u16string& login);
    // Puts a test that is not read yet at the front: its id and login, and its file.
    void AddUnread(std::shared_ptr<CPNTest> test, std::string fileName);
    bool IsUnread(const CPNTest& test) const { return unread.contains(&test); }
    // The unread tests for which `matches` holds, from the front, with their files.
    std::vector<std::pair<std::shared_ptr<CPNTest>, std::string>> UnreadWhere(
        const std::function<bool(const CPNTest&)>& matches) const;
    // Puts the read test in the place of the unread one; a null test takes it out.
    void ReplaceUnread(const CPNTest& test, std::shared_ptr<CPNTest> read);
    std::int32_t NextFreeId() const;

    bool SelectTest(std::int32_t id);
    bool First() { return tests.First(); }
    // False at the last test (the cursor stays there) and without a cursor.
    bool Next() { return tests.Next(); }
    std::shared_ptr<CPNTest> Current() const { return tests.Current(); }
    // Every test from the front, for walks that must not move the cursor.
    const CCursorList<CPNTest>& All() const { return tests; }

    // Adds the test stored in the file at the front. A missing or unreadable file is a
    // console line; a malformed one, or one that holds anything but a test, is Malformed and
    // adds nothing.
    CFileResult Load(const std::u16string& fileName);
    // Replaces the file with the test under the cursor; nothing happens without one.
    CFileResult Save(const std::u16string& fileName);
    // Storing writes the test under the cursor; loading adds the test read at the front.
    void Serialize(CArchive& archive) override;

private:
    CCursorList<CPNTest> tests;
    std::unordered_map<const CPNTest*, std::string> unread;  // each unread test's file
};

}  // namespace orvane
