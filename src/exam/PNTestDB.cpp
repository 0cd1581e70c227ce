// SPDX-License-Identifier: GPL-3.0-or-later
#include "exam/PNTestDB.h"

#include "archive/Archive.h"
#include "archive/ObjectFile.h"
#include "exam/FreeId.h"

namespace orvane {

ORVANE_IMPLEMENT_SERIAL(CPNTestDB)

bool CPNTestDB::AddTest(std::shared_ptr<CPNTest> test) {
    if (test == nullptr) {
        return false;
    }
    tests.PushFront(std::move(test));
    return true;
}

bool CPNTestDB::RemoveTest(std::int32_t id) {
    const auto found = tests.FindFirst(HasId(id));
    if (found == tests.end()) {
        return false;
    }
    unread.erase(found->get());
    tests.Erase(found);
    return true;
}

bool CPNTestDB::RemoveTestsOfLogin(const std::u16string& login) {
    tests.EraseAll([&](const auto& test) {
        if (test->GetLogin() != login) {
            return false;
        }
        unread.erase(test.get());  // whatever later takes its address is not unread
        return true;
    });
    return true;
}

void CPNTestDB::AddUnread(std::shared_ptr<CPNTest> test, std::string fileName) {
    if (test != nullptr) {
        unread.insert_or_assign(test.get(), std::move(fileName));
        tests.PushFront(std::move(test));
    }
}

std::vector<std::pair<std::shared_ptr<CPNTest>, std::string>> CPNTestDB::UnreadWhere(
    const std::function<bool(const CPNTest&)>& matches) const {
    std::vector<std::pair<std::shared_ptr<CPNTest>, std::string>> found;
    if (unread.empty()) {
        return found;
    }
    for (const auto& test : tests) {
        if (const auto file = unread.find(test.get()); file != unread.end() && matches(*test)) {
            found.emplace_back(test, file->second);
        }
    }
    return found;
}

void CPNTestDB::ReplaceUnread(const CPNTest& test, std::shared_ptr<CPNTest> read) {
    if (unread.erase(&test) == 0) {
        return;
    }
    const auto place = tests.FindFirst([&test](const auto& item) { return item.get() == &test; });
    if (place == tests.end()) {
        return;
    }
    if (read == nullptr) {
        tests.Erase(place);
    } else {
        *place = std::move(read);  // in its place, under the cursor where that was
    }
}

std::int32_t CPNTestDB::NextFreeId() const {
    return SmallestFreeIdOf(tests);
}

bool CPNTestDB::SelectTest(std::int32_t id) {
    return tests.SelectFirst(HasId(id));
}

CFileResult CPNTestDB::Load(const std::u16string& fileName) {
    return LoadObjectFile(*this, fileName);
}

CFileResult CPNTestDB::Save(const std::u16string& fileName) {
    if (Current() == nullptr) {
        return {};  // an empty database, or no test chosen: an earlier file stays as it was
    }
    return SaveObjectFile(*this, fileName);
}

void CPNTestDB::Serialize(CArchive& archive) {
    if (archive.IsStoring()) {
        archive.WriteObject(Current().get());
    } else {
        AddTest(archive.ReadObjectOf<CPNTest>());
    }
}

}  // namespace orvane
