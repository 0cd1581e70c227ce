// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/ResultsTable.h"

#include <algorithm>
#include <set>

#include "common/ExamFolders.h"
#include "common/TextCodec.h"
#include "exam/KeptTests.h"
#include "results/Similarity.h"

namespace orvane {
namespace {

struct SKeptName {
    KeptTime time;
    std::int32_t id;
};

// The login's kept tests by time, as their names give them.
std::vector<SKeptName> KeptTestNames(const std::u16string& login, const std::string& root) {
    std::vector<SKeptName> names;
    for (const std::string& name : KeptFileNames(InWorkingFolder(root, KeptTestsFolderOf(login)))) {
        const auto parsed = ParseKeptFileName(name);
        if (const auto id = KeptTestId(parsed->second)) {
            names.push_back({parsed->first, *id});
        }
    }
    return names;
}

// Whether an upload of test `id` at `time` belongs to another kept test of the login than the
// run's: one with that id, generated before the upload.
bool BelongsElsewhere(const std::vector<SKeptName>& kept, const SRunTest& test, std::int32_t id,
                      KeptTime time) {
    return std::any_of(kept.begin(), kept.end(), [&](const SKeptName& other) {
        return other.id == id && other.time <= time && other.time != test.generated;
    });
}

// The uploads that answer the run's test: kept after it was generated, of its id, or of no
// kept test's id (or not loading) before the login's next test was generated.
void FindSubmissions(SStudentResult& student, const std::string& root) {
    const std::vector<SKeptName> kept = KeptTestNames(student.login, root);
    KeptTime next = KeptTime::max();
    for (const SKeptName& other : kept) {
        if (other.time > student.kept.generated) {
            next = std::min(next, other.time);
        }
    }
    const std::string folder = SubmissionsFolderOf(student.login);
    for (const std::string& name : KeptFileNames(InWorkingFolder(root, folder))) {
        const auto [time, what] = *ParseKeptFileName(name);
        if (what != kWorkedTestFile || time < student.kept.generated) {
            continue;
        }
        SSubmission submission;
        submission.name = name;
        submission.path = InWorkingFolder(root, folder + "/" + name);
        submission.time = time;
        submission.test = LoadOneTest(submission.path, submission.loaded);
        const bool ofRunTest =
            submission.test != nullptr && submission.test->GetId() == student.kept.testId;
        const bool other = submission.test != nullptr &&
                           BelongsElsewhere(kept, student.kept, submission.test->GetId(), time);
        if (ofRunTest || (time < next && !other)) {
            student.submissions.push_back(std::move(submission));
        }
    }
    std::reverse(student.submissions.begin(), student.submissions.end());
}

SStudentResult ReadStudent(const SRunTest& test, const std::string& root,
                           const SExploreLimits& limits) {
    SStudentResult student;
    student.kept = test;
    student.test = LoadOneTest(InWorkingFolder(root, test.path), student.keptLoaded);
    if (student.test == nullptr) {
        // The login that the folder's name stands for; a name no login makes is shown as it is.
        const std::string folder = test.path.substr(0, test.path.rfind('/'));
        const std::string name = folder.substr(folder.rfind('/') + 1);
        student.login = LoginOfFileName(name).value_or(FromUtf8(name));
        return student;
    }
    student.login = student.test->GetLogin();
    FindSubmissions(student, root);
    for (SSubmission& submission : student.submissions) {
        ScoreSubmission(*student.test, test.generated, submission, limits);
    }
    student.decisions = LoadDecisions(student.login, student.decisionsLoaded, root);
    ApplyDecisions(student);
    return student;
}

ResultState StateOf(const SStudentResult& student, const SSubmissionDecision* decision) {
    const SSubmission* latest = student.Latest();
    if (latest == nullptr) {
        return ResultState::NotSubmitted;
    }
    if (decision != nullptr && decision->accepted) {
        return ResultState::Decided;
    }
    if (!latest->matches) {
        return ResultState::Mismatch;
    }
    if (latest->IsLate()) {
        return ResultState::Late;
    }
    const bool pending = std::any_of(student.points.begin(), student.points.end(),
                                     [](const SFinalPoints& points) { return points.pending; });
    return pending ? ResultState::Pending : ResultState::Submitted;
}

}  // namespace

std::u16string StateText(ResultState state) {
    switch (state) {
        case ResultState::NotSubmitted:
            return u"neodovzdal";
        case ResultState::Submitted:
            return u"odovzdal";
        case ResultState::Pending:
            return u"na posúdenie";
        case ResultState::Decided:
            return u"posúdené";
        case ResultState::Late:
            return u"neskoro";
        case ResultState::Mismatch:
            return u"nezhoduje sa";
    }
    return {};
}

std::string StateName(ResultState state) {
    switch (state) {
        case ResultState::NotSubmitted:
            return "notSubmitted";
        case ResultState::Submitted:
            return "submitted";
        case ResultState::Pending:
            return "pending";
        case ResultState::Decided:
            return "decided";
        case ResultState::Late:
            return "late";
        case ResultState::Mismatch:
            return "mismatch";
    }
    return {};
}

void ApplyDecisions(SStudentResult& student) {
    student.points.clear();
    student.total = 0;
    student.maxTotal = 0;
    if (student.test != nullptr) {
        for (const auto& question : student.test->Questions()) {
            student.maxTotal += std::max<std::int16_t>(question->GetPoints(), 0);
        }
    }
    const SSubmission* latest = student.Latest();
    const SSubmissionDecision* decision = nullptr;
    if (latest != nullptr) {
        const auto found = student.decisions.find(latest->name);
        decision = found == student.decisions.end() ? nullptr : &found->second;
        for (const SQuestionScore& score : latest->scores) {
            SFinalPoints points{score.points, score.maxPoints, false, score.pending, {}};
            if (decision != nullptr) {
                if (const auto set = decision->questions.find(score.questionId);
                    set != decision->questions.end()) {
                    points = {set->second.points, score.maxPoints, true, false, set->second.note};
                }
            }
            student.total += points.points;
            student.points.push_back(std::move(points));
        }
    }
    student.state = StateOf(student, decision);
}

CFileResult SaveStudentDecisions(const SStudentResult& student, const std::string& root) {
    // A file of decisions that did not read is never replaced by what was read of it.
    if (!student.decisionsLoaded.IsOk()) {
        return student.decisionsLoaded;
    }
    return SaveDecisions(student.login, student.decisions, root);
}

SResultsTable BuildResultsTable(const SExamRun& run,
                                const std::map<std::u16string, std::u16string>& names,
                                const std::string& root, const SExploreLimits& limits) {
    SResultsTable table;
    table.run = run;
    for (const SRunTest& test : run.tests) {
        SStudentResult student = ReadStudent(test, root, limits);
        if (const auto name = names.find(student.login); name != names.end()) {
            student.name = name->second;
        }
        if (student.test != nullptr) {
            table.questionColumns = std::max<std::size_t>(
                table.questionColumns, static_cast<std::size_t>(student.test->GetQuestionCount()));
        }
        table.students.push_back(std::move(student));
    }
    std::sort(table.students.begin(), table.students.end(),
              [](const SStudentResult& a, const SStudentResult& b) { return a.login < b.login; });
    table.similar = SimilarSubmissions(table.students);
    return table;
}

std::vector<double> QuestionAverages(const SResultsTable& table) {
    std::vector<double> sums(table.questionColumns, 0);
    std::vector<int> counts(table.questionColumns, 0);
    for (const SStudentResult& student : table.students) {
        for (std::size_t i = 0; i < student.points.size() && i < sums.size(); ++i) {
            sums[i] += student.points[i].points;
            ++counts[i];
        }
    }
    for (std::size_t i = 0; i < sums.size(); ++i) {
        sums[i] = counts[i] > 0 ? sums[i] / counts[i] : 0;
    }
    return sums;
}

}  // namespace orvane
