// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/ExamRuns.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <set>

#include "common/AtomicFile.h"
#include "common/FileBytes.h"

namespace orvane {
namespace {

constexpr std::string_view kRunHeader = "orvane exam run 1";

// The kept test at a path relative to the working folder, or nothing.
std::optional<SRunTest> RunTestAt(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    if (!path.starts_with(std::string(kKeptTestsFolder) + "/") || slash == std::string::npos) {
        return std::nullopt;
    }
    const auto parsed = ParseKeptFileName(path.substr(slash + 1));
    const auto id = parsed ? KeptTestId(parsed->second) : std::nullopt;
    if (!id || path.find("..") != std::string_view::npos) {
        return std::nullopt;
    }
    return SRunTest{std::string(path), parsed->first, *id};
}

std::vector<SExamRun> RecordedRuns(const std::string& root) {
    std::vector<SExamRun> runs;
    const std::string folder = InWorkingFolder(root, kRunsFolder);
    for (const std::string& name : KeptFileNames(folder)) {
        std::vector<std::uint8_t> bytes;
        if (!ReadFileBytes(folder + "/" + name, bytes).IsOk()) {
            continue;
        }
        const std::string text(bytes.begin(), bytes.end());
        if (!text.starts_with(kRunHeader)) {
            continue;
        }
        SExamRun run{name.substr(0, name.find('-')), ParseKeptFileName(name)->first, true, {}};
        std::size_t from = text.find('\n');
        while (from != std::string::npos && from + 1 < text.size()) {
            const std::size_t end = text.find('\n', from + 1);
            if (auto test = RunTestAt(std::string_view(text).substr(from + 1, end - from - 1))) {
                run.tests.push_back(std::move(*test));
            }
            from = end;
        }
        runs.push_back(std::move(run));
    }
    return runs;
}

// The kept tests that no recorded run holds, grouped by their times.
std::vector<SExamRun> GroupedRuns(const std::string& root, const std::set<std::string>& recorded) {
    std::vector<SRunTest> tests;
    for (const std::string& login : LoginFolders(InWorkingFolder(root, kKeptTestsFolder))) {
        const std::string folder = std::string(kKeptTestsFolder) + "/" + login;
        for (const std::string& name : KeptFileNames(InWorkingFolder(root, folder))) {
            auto test = RunTestAt(folder + "/" + name);
            if (test && !recorded.contains(test->path)) {
                tests.push_back(std::move(*test));
            }
        }
    }
    std::sort(tests.begin(), tests.end(),
              [](const SRunTest& a, const SRunTest& b) { return a.generated < b.generated; });
    std::vector<SExamRun> runs;
    std::set<std::string> logins;
    for (SRunTest& test : tests) {
        const std::string login = test.path.substr(0, test.path.rfind('/'));
        if (runs.empty() || test.generated - runs.back().tests.back().generated > kFallbackGap ||
            logins.contains(login)) {
            const std::string name = test.path.substr(test.path.rfind('/') + 1);
            runs.push_back({name.substr(0, name.find('-')), test.generated, false, {}});
            logins.clear();
        }
        logins.insert(login);
        runs.back().tests.push_back(std::move(test));
    }
    return runs;
}

}  // namespace

std::string InWorkingFolder(const std::string& root, std::string_view path) {
    return root.empty() || root == "." ? std::string(path) : root + "/" + std::string(path);
}

std::optional<std::int32_t> KeptTestId(std::string_view what) {
    if (!what.starts_with("test") || what.size() == 4) {
        return std::nullopt;
    }
    std::int32_t id = 0;
    const auto [end, error] = std::from_chars(what.data() + 4, what.data() + what.size(), id);
    if (error != std::errc() || end != what.data() + what.size()) {
        return std::nullopt;
    }
    return id;
}

CFileResult RecordExamRun(const std::vector<KeptTest>& kept, const std::string& root) {
    std::string text(kRunHeader);
    text += '\n';
    for (const KeptTest& test : kept) {
        if (test.result.IsOk() && RunTestAt(test.path)) {
            text += test.path + '\n';
        }
    }
    const std::string folder = InWorkingFolder(root, kRunsFolder);
    if (CFileResult made = MakePrivateFolder(folder); !made.IsOk()) {
        return made;
    }
    const KeptTime now =
        std::chrono::floor<std::chrono::microseconds>(std::chrono::system_clock::now());
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    return WriteFileAtomically(folder + "/" + KeptFileName(now, "run"), bytes, kPrivateFileMode);
}

std::vector<SExamRun> ExamRuns(const std::string& root) {
    std::vector<SExamRun> runs = RecordedRuns(root);
    std::set<std::string> recorded;
    for (const SExamRun& run : runs) {
        for (const SRunTest& test : run.tests) {
            recorded.insert(test.path);
        }
    }
    for (SExamRun& run : GroupedRuns(root, recorded)) {
        runs.push_back(std::move(run));
    }
    std::sort(runs.begin(), runs.end(),
              [](const SExamRun& a, const SExamRun& b) { return a.time > b.time; });
    return runs;
}

}  // namespace orvane
