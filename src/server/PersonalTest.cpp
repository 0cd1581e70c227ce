#include "server/PersonalTest.h"

#include <vector>

#include "common/ExamFolders.h"
#include "common/TextCodec.h"
#include "server/UserDBCache.h"

namespace orvane {

std::string PathToSend(std::u16string_view name, const std::u16string& login,
                       const std::u16string& password) {
    if (name != u"testdb") {
        return ToUtf8(name);
    }
    // Teachers never get a generated test; without a readable "userdb" the folder alone says
    // the login was a student's.
    const auto accounts = CUserDBCache::Shared().Current();
    if (accounts->state == CUserDBCache::State::Loaded && accounts->IsTeacher(login, password)) {
        return ToUtf8(name);
    }
    const std::string folder = KeptTestsFolderOf(login);
    const std::vector<std::string> kept = KeptFileNames(folder);
    return kept.empty() ? ToUtf8(name) : folder + "/" + kept.back();
}

}  // namespace orvane
