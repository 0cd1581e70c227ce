// SPDX-License-Identifier: GPL-3.0-or-later
#include "ResultsCommand.h"

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "ToolLines.h"
#include "common/FileNames.h"
#include "common/TextCodec.h"
#include "results/ResultsCsv.h"
#include "results/ResultsTable.h"
#include "users/AccountPolicy.h"
#include "users/PNUserDB.h"

namespace orvane {
namespace {

using Ordered = nlohmann::ordered_json;

struct SResultsOptions {
    std::string folder;
    bool csv = false;
    std::optional<std::string> run;
};

bool ReadOptions(int argc, const char* const argv[], SResultsOptions& options) {
    if (argc < 3) {
        return false;
    }
    options.folder = argv[2];
    for (int i = 3; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--csv") {
            options.csv = true;
        } else if (option == "--run" && i + 1 < argc) {
            options.run = argv[++i];
        } else {
            return false;
        }
    }
    return true;
}

// The full names of the accounts in the folder's "userdb", when it has one.
std::map<std::u16string, std::u16string> Names(const std::string& folder) {
    const std::string path = folder + "/" + std::string(kUserDBFile);
    CPNUserDB users;
    if (::access(path.c_str(), R_OK) != 0 || !users.Load(FromUtf8(path)).IsOk()) {
        return {};
    }
    return FullNames(users);
}

double Tenths(double points) {
    return std::round(points * 10) / 10;
}

std::string TimeName(KeptTime time) {
    const std::string name = KeptFileName(time, "x");
    return name.substr(0, name.size() - 2);
}

Ordered QuestionJson(const SQuestionScore& score, const SFinalPoints& points) {
    Ordered why = Ordered::array();
    for (const std::u16string& line : score.why) {
        why.push_back(ToUtf8(line));
    }
    return {{"id", score.questionId},          {"points", Tenths(points.points)},
            {"maxPoints", points.maxPoints},   {"automatic", Tenths(score.points)},
            {"overridden", points.overridden}, {"pending", points.pending},
            {"note", ToUtf8(points.note)},     {"why", why}};
}

Ordered StudentJson(const SStudentResult& student) {
    const SSubmission* latest = student.Latest();
    Ordered row = {{"login", ToUtf8(student.login)},
                   {"name", ToUtf8(student.name)},
                   {"test", student.kept.path},
                   {"testId", student.kept.testId},
                   {"submitted", latest ? Ordered(TimeName(latest->time)) : Ordered(nullptr)},
                   {"submissions", student.submissions.size()}};
    Ordered questions = Ordered::array();
    for (std::size_t i = 0; latest != nullptr && i < latest->scores.size(); ++i) {
        questions.push_back(QuestionJson(latest->scores[i], student.points[i]));
    }
    row["questions"] = questions;
    row["total"] = Tenths(student.total);
    row["maxTotal"] = student.maxTotal;
    row["percent"] = Tenths(student.Percent());
    row["state"] = StateName(student.state);
    row["stateText"] = ToUtf8(StateText(student.state));
    Ordered problems = Ordered::array();
    if (student.test == nullptr) {
        problems.push_back("kept test: " + student.keptLoaded.Reason());
    }
    if (!student.decisionsLoaded.IsOk()) {
        problems.push_back("decisions: " + student.decisionsLoaded.Reason());
    }
    if (latest != nullptr && !latest->matches) {
        problems.push_back(ToUtf8(latest->mismatch));
    }
    if (latest != nullptr && latest->IsLate()) {
        problems.push_back("late by " + std::to_string(latest->lateMinutes) + " min");
    }
    row["problems"] = problems;
    return row;
}

Ordered TableJson(const std::vector<SExamRun>& runs, const SResultsTable* table) {
    Ordered document = {{"run", table ? Ordered(table->run.name) : Ordered(nullptr)},
                        {"recorded", table != nullptr && table->run.recorded}};
    Ordered names = Ordered::array();
    for (const SExamRun& run : runs) {
        names.push_back(run.name);
    }
    document["runs"] = names;
    document["questionColumns"] = table ? table->questionColumns : 0;
    Ordered students = Ordered::array();
    Ordered similar = Ordered::array();
    for (std::size_t i = 0; table != nullptr && i < table->students.size(); ++i) {
        students.push_back(StudentJson(table->students[i]));
    }
    for (std::size_t i = 0; table != nullptr && i < table->similar.size(); ++i) {
        const SSimilarGroup& group = table->similar[i];
        Ordered logins = Ordered::array();
        for (const std::u16string& login : group.logins) {
            logins.push_back(ToUtf8(login));
        }
        similar.push_back({{"question", group.questionId},
                           {"title", ToUtf8(group.title)},
                           {"answer", ToUtf8(group.answer)},
                           {"logins", logins}});
    }
    document["students"] = students;
    document["similar"] = similar;
    return document;
}

int Results(const SResultsOptions& options, std::FILE* out, std::FILE* err) {
    DIR* const folder = ::opendir(options.folder.c_str());
    if (folder == nullptr) {
        const int error = errno;
        return Fail(err, {options.folder, ": cannot read the folder: ", std::strerror(error)});
    }
    ::closedir(folder);
    const std::vector<SExamRun> runs = ExamRuns(options.folder);
    const SExamRun* run = runs.empty() ? nullptr : &runs.front();
    if (options.run) {
        run = nullptr;
        for (const SExamRun& candidate : runs) {
            run = candidate.name == *options.run ? &candidate : run;
        }
        if (run == nullptr) {
            return Fail(err, {options.folder, ": no exam run ", *options.run});
        }
    }
    std::optional<SResultsTable> table;
    if (run != nullptr) {
        table = BuildResultsTable(*run, Names(options.folder), options.folder);
    }
    const std::string text = options.csv
                                 ? ResultsCsv(table ? *table : SResultsTable{})
                                 : TableJson(runs, table ? &*table : nullptr).dump(2) + "\n";
    std::fwrite(text.data(), 1, text.size(), out);
    return FlushOutput(out, err);
}

}  // namespace

int RunResultsCommand(int argc, const char* const argv[], std::FILE* out, std::FILE* err) {
    SResultsOptions options;
    if (!ReadOptions(argc, argv, options)) {
        return kWrongCommandLine;
    }
    return Results(options, out, err);
}

}  // namespace orvane
