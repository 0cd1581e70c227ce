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
    return tests.EraseFirst(HasId(id));
}

bool CPNTestDB::RemoveTestsOfLogin(const std::u16string& login) {
    tests.EraseAll([&](const auto& test) { return test->GetLogin() == login; });
    return true;
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
