// SPDX-License-Identifier: GPL-3.0-or-later
// startup-kept FOLDER [--runs N] [--before-limit N]: what the administration window does
// before its login window shows (load "userdb", "testdb" and "quesdb", take in the kept
// tests), timed and its peak memory taken in a fresh process, with 0, 1,000 and 10,000 kept
// tests of about 125 KB each beside the files that FOLDER holds (make-startup-files makes
// them). Each count is measured twice side by side: "before" reads every kept test at start,
// as the window did; "after" lists them and reads a student's when they are shown.
//
// Target: the start with 10,000 kept tests within 2 times the start with none, and its peak
// memory under 250 MB. The counts are measured one after the other, while the machine's load
// may change; so the "after" starts with none and with 10,000 are measured once more, taking
// turns, the folder of kept tests put aside for each start without.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "RingNet.h"
#include "archive/Archive.h"
#include "common/ExamFolders.h"
#include "common/FileNames.h"
#include "common/TextCodec.h"
#include "exam/KeptTests.h"
#include "exam/PNQuestion.h"
#include "exam/PNTestDB.h"
#include "petrinet/PNPetriNet.h"
#include "users/PNUserDB.h"
#include "users/UserDBFile.h"

namespace {

using namespace orvane;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kTestBytes = 125 * 1000;
constexpr int kStudents = 300;
constexpr std::int64_t kTargetMemoryKb = 250 * 1024;

std::vector<std::uint8_t> Stored(const CPNTest& test) {
    CArchive archive;
    archive.WriteObject(&test);
    return archive.TakeData();
}

// A generated test: questions with a net to complete and its key, as many as make the file
// about 125 KB.
class CKeptTestMaker {
public:
    CKeptTestMaker() {
        test.AddQuestion(Question(1));
        const std::size_t perQuestion = Stored(test).size();
        for (int id = 2; static_cast<std::size_t>(id) * perQuestion <= kTestBytes + perQuestion / 2;
             ++id) {
            test.AddQuestion(Question(id));
        }
    }
    std::vector<std::uint8_t> Make(std::int32_t id, const std::u16string& login) {
        test.SetId(id);
        test.SetLogin(login);
        return Stored(test);
    }

private:
    static std::shared_ptr<CPNQuestion> Question(std::int32_t id) {
        return std::make_shared<CPNQuestion>(id, u"Otázka " + FromUtf8(std::to_string(id)),
                                             u"Dokončite sieť podľa zadania.", bench::RingNet(),
                                             bench::RingNet());
    }
    CPNTest test;
};

// Adds kept tests until the folder holds `count`, spread over the students, a second apart.
void KeepTests(int& kept, int count, CKeptTestMaker& maker) {
    const KeptTime start = std::chrono::sys_days(std::chrono::September / 1 / 2025);
    for (; kept < count; ++kept) {
        const std::u16string login = u"student" + FromUtf8(std::to_string(kept % kStudents + 1));
        const std::string folder = KeptTestsFolderOf(login);
        if (!MakePrivateFolder(folder).IsOk()) {
            std::perror(folder.c_str());
            std::exit(1);
        }
        const auto bytes = maker.Make(kept + 1, login);
        std::ofstream(
            folder + "/" +
                KeptFileName(start + std::chrono::seconds(kept), "test" + std::to_string(kept + 1)),
            std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
}

// The kept tests read in full, oldest first to the front, as the window read them at start.
void ReadEveryKeptTest(CPNTestDB& tests) {
    std::vector<std::pair<std::string, std::string>> files;  // (name, path)
    for (const std::string& login : LoginFolders(kKeptTestsFolder)) {
        const std::string folder = std::string(kKeptTestsFolder) + "/" + login;
        for (const std::string& name : KeptFileNames(folder)) {
            files.emplace_back(name, folder + "/" + name);
        }
    }
    std::sort(files.begin(), files.end());
    for (const auto& [name, path] : files) {
        CPNTestDB file;
        if (file.Load(FromUtf8(path)).IsOk() && file.First()) {
            tests.AddTest(file.Current());
        }
    }
}

// The start itself, in this process: writes its microseconds to descriptor 3 (the console
// lines of the databases go to standard output), then those of showing the tests of one
// student (the kept tests of "student1" read).
int Start(bool before) {
    const auto begin = Clock::now();
    CPNUserDB users;
    CUserDBFile userFile{std::u16string(kUserDBName)};
    CPNTestDB tests;
    CPNTestDB pool;
    if (!userFile.Load(users).IsOk() || !tests.Load(std::u16string(kTestDBName)).IsOk()) {
        return 1;
    }
    before ? ReadEveryKeptTest(tests) : ListKeptTests(tests);
    if (::access(kQuestionDBFile.data(), F_OK) ==
        0) {  // the window starts without one, and says nothing
        (void)pool.Load(std::u16string(kQuestionDBName));
    }
    const auto started = Clock::now();
    ReadKeptTestsOf(tests, u"student1");
    const auto micros = [](Clock::duration time) {
        return std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(time).count());
    };
    const std::string text = micros(started - begin) + " " + micros(Clock::now() - started);
    return ::write(3, text.data(), text.size()) == static_cast<ssize_t>(text.size()) ? 0 : 1;
}

struct Run {
    double milliseconds = -1;  // -1: the start did not finish
    double showMilliseconds = 0;
    std::int64_t peakKb = 0;
};

// One start in a fresh process; a "before" start may not use more than `limitGb` of memory,
// so that it cannot take the machine's.
Run StartOnce(const char* self, bool before, long limitGb = 0) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        return {};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeEnds[1], 3);
        if (before) {
            const rlim_t bytes = static_cast<rlim_t>(limitGb) << 30;
            const rlimit limit{bytes, bytes};
            ::setrlimit(RLIMIT_AS, &limit);
        }
        ::execl(self, self, "--start", before ? "before" : "after", nullptr);
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    char text[64] = {};
    const ssize_t got = ::read(pipeEnds[0], text, sizeof text - 1);
    ::close(pipeEnds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    Run run;
    run.peakKb = usage.ru_maxrss;
    if (got > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        char* rest = nullptr;
        run.milliseconds = std::strtod(text, &rest) / 1000;
        run.showMilliseconds = std::strtod(rest, nullptr) / 1000;
    }
    return run;
}

// The median time and the largest peak of `runs` starts.
Run Measure(const char* self, bool before, int runs, long limitGb = 0) {
    std::vector<double> times;
    std::vector<double> shows;
    Run result;
    for (int i = 0; i < runs; ++i) {
        const Run run = StartOnce(self, before, limitGb);
        if (run.milliseconds < 0) {
            return run;
        }
        times.push_back(run.milliseconds);
        shows.push_back(run.showMilliseconds);
        result.peakKb = std::max(result.peakKb, run.peakKb);
    }
    std::sort(times.begin(), times.end());
    std::sort(shows.begin(), shows.end());
    result.milliseconds = times[times.size() / 2];
    result.showMilliseconds = shows[shows.size() / 2];
    return result;
}

// The "after" start without kept tests and with them, one after the other `runs` times (the
// folder of kept tests put aside for the first), so that both meet the same load: the medians
// and the peaks.
std::pair<Run, Run> Alternating(const char* self, int runs) {
    std::vector<double> none, many;
    std::pair<Run, Run> result;
    for (int i = 0; i < runs; ++i) {
        for (const bool with : {false, true}) {
            if (!with && ::rename(kKeptTestsFolder.data(), ".tests-aside") != 0) {
                return {};
            }
            const Run run = StartOnce(self, false);
            if (!with && ::rename(".tests-aside", kKeptTestsFolder.data()) != 0) {
                std::perror("tests");
                std::exit(1);
            }
            (with ? many : none).push_back(run.milliseconds);
            Run& peak = with ? result.second : result.first;
            peak.peakKb = std::max(peak.peakKb, run.peakKb);
        }
    }
    std::sort(none.begin(), none.end());
    std::sort(many.begin(), many.end());
    result.first.milliseconds = none[none.size() / 2];
    result.second.milliseconds = many[many.size() / 2];
    return result;
}

std::string Shown(const Run& run) {
    char text[64];
    if (run.milliseconds < 0) {
        std::snprintf(text, sizeof text, "%9s %9s", "failed", "");
    } else {
        std::snprintf(text, sizeof text, "%9.1f %6lld MB", run.milliseconds,
                      static_cast<long long>(run.peakKb / 1024));
    }
    return text;
}

void PrintTarget(const char* which, const Run& none, const Run& many) {
    const bool met = many.milliseconds >= 0 && many.milliseconds <= 2 * none.milliseconds &&
                     many.peakKb < kTargetMemoryKb;
    std::printf(
        "%s: start with 10,000 kept tests %.1f ms = %.2f x start with none (%.1f ms), "
        "peak memory %lld MB: target %s\n",
        which, many.milliseconds, many.milliseconds / none.milliseconds, none.milliseconds,
        static_cast<long long>(many.peakKb / 1024), met ? "met" : "missed");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--start") {
        return Start(std::string(argv[2]) == "before");
    }
    int runs = 5;
    long limitGb = 8;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--runs") {
            runs = std::max(1, std::atoi(argv[i + 1]));
        } else if (option == "--before-limit") {
            limitGb = std::atol(argv[i + 1]);
        }
    }
    char self[4096] = {};
    if (argc < 2 || ::readlink("/proc/self/exe", self, sizeof self - 1) <= 0 ||
        ::chdir(argv[1]) != 0) {
        std::fprintf(stderr, "usage: startup-kept FOLDER [--runs N] [--before-limit GB]\n");
        return 2;
    }
    CKeptTestMaker maker;
    std::printf("a kept test: %zu bytes; %d runs each, the median time and the largest peak\n",
                maker.Make(1, u"student1").size(), runs);
    std::printf("%-12s %-20s %-20s %s\n", "kept tests", "before: ms  memory", "after: ms  memory",
                "after: one student shown, ms");
    int kept = 0;
    Run noneBefore, noneAfter, manyBefore, manyAfter;
    for (const int count : {0, 1000, 10000}) {
        KeepTests(kept, count, maker);
        const Run before = Measure(self, true, count < 10000 ? runs : 1, limitGb);
        const Run after = Measure(self, false, runs);
        std::printf("%-12d %s %s %9.1f\n", count, Shown(before).c_str(), Shown(after).c_str(),
                    after.showMilliseconds);
        (count == 0 ? noneBefore : manyBefore) = before;
        (count == 0 ? noneAfter : manyAfter) = after;
    }
    PrintTarget("before (every kept test read at start)", noneBefore, manyBefore);
    PrintTarget("after (kept tests listed, read when shown)", noneAfter, manyAfter);
    const auto [none, many] = Alternating(self, 2 * runs);
    PrintTarget("after, the two starts alternating", none, many);
    return 0;
}
