// SPDX-License-Identifier: GPL-3.0-or-later
#include "exam/KeptTests.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <tuple>

#include "common/ConsoleLine.h"
#include "common/FileIdentity.h"
#include "common/TextCodec.h"

namespace orvane {
namespace {

constexpr std::string_view kNotATest = "Súbor sa nedá načítať ako test: ";

// A kept file that does not decode is named once per run, however often it is looked at.
void ReportBrokenFile(const std::string& path, const CFileResult& result) {
    static std::mutex mutex;
    static std::set<std::string> named;
    const std::lock_guard lock(mutex);
    if (named.insert(path).second) {
        PrintConsoleLine(std::string(kNotATest) + path + " (" + result.Reason() + ")");
    }
}

// The test of a kept file, or null. A file that cannot be read has had its console line
// from the loader already.
std::shared_ptr<CPNTest> LoadTestFile(const std::string& path) {
    CPNTestDB file;
    const CFileResult result = file.Load(FromUtf8(path));
    if (result.GetKind() == CFileResult::Kind::Malformed) {
        ReportBrokenFile(path, result);
    }
    return result.IsOk() && file.First() ? file.Current() : nullptr;
}

// A submission is decoded once per file: a kept file never changes (every upload makes a new
// one), and a student may have many, so choosing the student again reads only the new ones.
// The copy is known by the file's identity, not its name: the same relative name in another
// working folder (another --dir, a new start in the same process) is another file. Only a
// file that has settled before the look, and was the same file before and after the read, is
// remembered; any other is read each time.
std::shared_ptr<CPNTest> LoadSubmission(const std::string& path) {
    struct Known {
        FileIdentity identity;
        std::shared_ptr<CPNTest> test;
    };
    static std::mutex mutex;
    static std::map<std::string, Known> loaded;
    const auto identify = [&path](FileIdentity& identity) {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) {
            return false;
        }
        identity = FileIdentity::Of(info);
        return true;
    };
    const timespec began = RealTimeNow();
    FileIdentity before;
    const bool identified = identify(before);
    if (identified) {
        const std::lock_guard lock(mutex);
        if (const auto found = loaded.find(path);
            found != loaded.end() && found->second.identity == before) {
            return found->second.test;
        }
    }
    std::shared_ptr<CPNTest> test = LoadTestFile(path);
    FileIdentity after;
    if (identified && identify(after) && after == before && before.IsSettledAt(began)) {
        const std::lock_guard lock(mutex);
        loaded[path] = Known{before, test};
    }
    return test;
}

// Now, or just after the newest file of the folder, so that the newest test of a login is
// always the one kept last, even when the clock has gone back.
KeptTime NextKeptTime(const std::string& folder) {
    KeptTime time = std::chrono::floor<std::chrono::microseconds>(std::chrono::system_clock::now());
    const std::vector<std::string> names = KeptFileNames(folder);
    if (!names.empty()) {
        time =
            std::max(time, ParseKeptFileName(names.back())->first + std::chrono::microseconds(1));
    }
    return time;
}

// Writes the test as a file that holds one test, as "testdb" does.
CFileResult SaveTestFile(const std::shared_ptr<CPNTest>& test, const std::string& path) {
    CPNTestDB file;
    file.AddTest(test);
    file.First();
    return file.Save(FromUtf8(path));
}

// The kept test file, rewritten to carry the login; a file that does not load stays as it is.
CFileResult GiveLogin(const std::string& path, std::u16string_view login) {
    const std::shared_ptr<CPNTest> test = LoadTestFile(path);
    if (test == nullptr || test->GetLogin() == login) {
        return {};
    }
    test->SetLogin(std::u16string(login));
    return SaveTestFile(test, path);
}

// The id in the name of a kept test's file ("<time>-test<id>", as Keep names it), or nothing.
std::optional<std::int32_t> IdOfKeptTest(std::string_view name) {
    const auto parsed = ParseKeptFileName(name);
    if (!parsed || !parsed->second.starts_with("test")) {
        return std::nullopt;
    }
    const std::string_view digits = parsed->second.substr(4);
    std::int32_t id = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), id);
    // Only the digits that Keep writes for the id: "test007" or "test 7" names no id.
    if (error != std::errc() || end != digits.data() + digits.size() ||
        std::to_string(id) != digits) {
        return std::nullopt;
    }
    return id;
}

void ReadUnread(CPNTestDB& tests, const std::function<bool(const CPNTest&)>& matches) {
    for (const auto& [test, path] : tests.UnreadWhere(matches)) {
        tests.ReplaceUnread(*test, LoadTestFile(path));
    }
}

}  // namespace

std::set<const CPNTest*> TestsIn(const CPNTestDB& tests) {
    std::set<const CPNTest*> held;
    for (const auto& test : tests.All()) {
        held.insert(test.get());
    }
    return held;
}

std::vector<std::shared_ptr<CPNTest>> NewTests(const CPNTestDB& tests,
                                               const std::set<const CPNTest*>& before) {
    std::vector<std::shared_ptr<CPNTest>> fresh;
    // From the back: of two new tests of one login, the one nearer the front is the newer.
    for (auto test = tests.All().rbegin(); test != tests.All().rend(); ++test) {
        if (!before.contains(test->get())) {
            fresh.push_back(*test);
        }
    }
    return fresh;
}

KeptTest KeepTest(const std::shared_ptr<CPNTest>& test) {
    KeptTest kept{test, KeptTestsFolderOf(test->GetLogin()), {}};
    kept.result = MakePrivateFolder(kept.path);
    if (!kept.result.IsOk()) {
        return kept;
    }
    kept.path +=
        "/" + KeptFileName(NextKeptTime(kept.path), "test" + std::to_string(test->GetId()));
    kept.result = SaveTestFile(test, kept.path);
    return kept;
}

std::vector<KeptTest> KeepNewTests(const CPNTestDB& tests, const std::set<const CPNTest*>& before) {
    std::vector<KeptTest> kept;
    for (const auto& test : NewTests(tests, before)) {
        kept.push_back(KeepTest(test));
    }
    return kept;
}

void ListKeptTests(CPNTestDB& tests) {
    struct File {
        std::string name;
        std::string path;
        std::size_t folder;  // in `logins`
        bool operator<(const File& other) const {
            return std::tie(name, path) < std::tie(other.name, other.path);
        }
    };
    std::vector<std::optional<std::u16string>> logins;
    std::vector<File> files;
    for (const std::string& name : LoginFolders(kKeptTestsFolder)) {
        const std::string folder = std::string(kKeptTestsFolder) + "/" + name;
        for (const std::string& file : KeptFileNames(folder)) {
            files.push_back({file, folder + "/" + file, logins.size()});
        }
        logins.push_back(LoginOfFileName(name));
    }
    std::sort(files.begin(), files.end());
    for (const File& file : files) {
        const std::optional<std::int32_t> id = IdOfKeptTest(file.name);
        const std::optional<std::u16string>& login = logins[file.folder];
        if (!id || !login) {
            tests.AddTest(LoadTestFile(file.path));  // a file that does not load adds nothing
            continue;
        }
        auto test = std::make_shared<CPNTest>();
        test->SetId(*id);
        test->SetLogin(*login);
        tests.AddUnread(std::move(test), file.path);
    }
}

void ReadKeptTestsOf(CPNTestDB& tests, std::u16string_view login) {
    ReadUnread(tests, [login](const CPNTest& test) { return test.GetLogin() == login; });
}

void ReadKeptTest(CPNTestDB& tests, std::int32_t id) {
    ReadUnread(tests, [id](const CPNTest& test) { return test.GetId() == id; });
}

CFileResult RemoveKeptTests(std::u16string_view login) {
    std::error_code error;
    const std::string folder = KeptTestsFolderOf(login);
    std::filesystem::remove_all(folder, error);
    if (error) {
        PrintConsoleLine("Uložené testy sa nepodarilo odstrániť: " + folder + " (" +
                         error.message() + ")");
        return CFileResult::Unwritable(error.value());
    }
    return {};
}

KeptFilesMove MoveKeptFilesOfLogin(CPNTestDB& tests, std::u16string_view from,
                                   std::u16string_view to) {
    KeptFilesMove first;
    const auto note = [&first](const std::string& path, const CFileResult& result) {
        if (first.result.IsOk() && !result.IsOk()) {
            first = {path, result};
        }
    };
    ReadKeptTestsOf(tests, from);  // their files are about to move
    for (const auto& test : tests.All()) {
        if (test->GetLogin() == from) {
            test->SetLogin(std::u16string(to));
        }
    }
    const std::string keptTests = KeptTestsFolderOf(to);
    note(KeptTestsFolderOf(from), MoveKeptFiles(KeptTestsFolderOf(from), keptTests));
    for (const std::string& name : KeptFileNames(keptTests)) {
        note(keptTests + "/" + name, GiveLogin(keptTests + "/" + name, to));
    }
    note(SubmissionsFolderOf(from),
         MoveKeptFiles(SubmissionsFolderOf(from), SubmissionsFolderOf(to)));
    return first;
}

std::vector<SubmittedTest> LoadSubmittedTests(std::u16string_view login) {
    std::vector<SubmittedTest> submitted;
    const std::string folder = SubmissionsFolderOf(login);
    for (const std::string& name : KeptFileNames(folder)) {
        const auto [time, what] = *ParseKeptFileName(name);
        if (what != kWorkedTestFile) {
            continue;
        }
        if (auto test = LoadSubmission(folder + "/" + name)) {
            submitted.push_back({time, std::move(test)});
        }
    }
    std::reverse(submitted.begin(), submitted.end());
    return submitted;
}

}  // namespace orvane
