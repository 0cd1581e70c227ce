#include "server/PersonalTest.h"

#include <vector>

#include "common/ExamFolders.h"
#include "common/TextCodec.h"

namespace orvane {

std::string PathToSend(std::u16string_view name, const std::u16string& login, bool teacher) {
    if (name != u"testdb" || teacher) {
        return ToUtf8(name);  // teachers never get a generated test
    }
    const std::string folder = KeptTestsFolderOf(login);
    const std::vector<std::string> kept = KeptFileNames(folder);
    return kept.empty() ? ToUtf8(name) : folder + "/" + kept.back();
}

}  // namespace orvane
