#include "exam/PNTestDB.h"

#include <algorithm>
#include <vector>

#include "archive/Archive.h"
#include "common/AtomicFile.h"
#include "common/ConsoleLine.h"
#include "common/FileBytes.h"
#include "common/TextCodec.h"
#include "exam/FreeId.h"

namespace orvane {

ORVANE_IMPLEMENT_SERIAL(CPNTestDB)

bool CPNTestDB::AddTest(std::shared_ptr<CPNTest> test) {
    if (test == nullptr) {
        return false;
    }
    tests.push_front(std::move(test));
    return true;
}

CPNTestDB::TestList::iterator CPNTestDB::Erase(TestList::iterator position) {
    if (position == cursor) {
        cursor = tests.end();
    }
    return tests.erase(position);
}

bool CPNTestDB::RemoveTest(std::int32_t id) {
    const auto found = std::find_if(tests.begin(), tests.end(),
                                    [&](const auto& test) { return test->GetId() == id; });
    if (found == tests.end()) {
        return false;
    }
    Erase(found);
    return true;
}

bool CPNTestDB::RemoveTestsOfLogin(const std::u16string& login) {
    for (auto test = tests.begin(); test != tests.end();) {
        test = (*test)->GetLogin() == login ? Erase(test) : std::next(test);
    }
    return true;
}

std::int32_t CPNTestDB::NextFreeId() const {
    std::vector<std::int32_t> used;
    for (const auto& test : tests) {
        used.push_back(test->GetId());
    }
    return SmallestFreeId(used);
}

bool CPNTestDB::SelectTest(std::int32_t id) {
    const auto found = std::find_if(tests.begin(), tests.end(),
                                    [&](const auto& test) { return test->GetId() == id; });
    if (found == tests.end()) {
        return false;
    }
    cursor = found;
    return true;
}

bool CPNTestDB::First() {
    cursor = tests.begin();
    return cursor != tests.end();
}

bool CPNTestDB::Next() {
    if (cursor == tests.end() || std::next(cursor) == tests.end()) {
        return false;
    }
    ++cursor;
    return true;
}

std::shared_ptr<CPNTest> CPNTestDB::Current() const {
    return cursor == tests.end() ? nullptr : *cursor;
}

void CPNTestDB::Load(const std::u16string& fileName) {
    const auto bytes = ReadFileBytes(ToUtf8(fileName));
    if (!bytes) {
        PrintConsoleLine("Cannot open file: " + ToUtf8(fileName));
        return;
    }
    CArchive archive(*bytes);
    Serialize(archive);
}

void CPNTestDB::Save(const std::u16string& fileName) {
    if (Current() == nullptr) {
        return;  // an empty database, or no test chosen: an earlier file stays as it was
    }
    CArchive archive;
    Serialize(archive);
    if (!WriteFileAtomically(ToUtf8(fileName), archive.Pieces())) {
        PrintConsoleLine("Cannot write to file: " + ToUtf8(fileName));
    }
}

void CPNTestDB::Serialize(CArchive& archive) {
    if (archive.IsStoring()) {
        archive.WriteObject(Current().get());
    } else {
        AddTest(archive.ReadObjectOf<CPNTest>());
    }
}

}  // namespace orvane
