#pragma once
// CPNTestDB: every test that the administration window knows, newest first, with one cursor.
// It refers to its tests without owning them alone. Its file holds one test: Load adds the
// test of a file at the front, Save writes the test under the cursor.
#include <cstdint>
#include <memory>
#include <string>

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
};

}  // namespace orvane
