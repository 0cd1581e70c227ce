// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-net-picture: draws a question's nets with their properties, as the window's net view
// shows them, into a PNG file; for the documentation's pictures and for a teacher's report.
//
//   orvane-net-picture TEST-FILE QUESTION-ID OUT.png [SUBMISSION]
//
// Without SUBMISSION it shows the question's work net beside its solution net; with it, the
// net the student drew in that submission (the question with the same id) beside the solution
// net of TEST-FILE, the test kept for the student, and their comparison.
#include <QApplication>
#include <QSignalSpy>
#include <cstdio>

#include "app/NetView.h"
#include "exam/PNTestDB.h"

namespace {

std::shared_ptr<orvane::CPNQuestion> Question(const char* file, std::int32_t id) {
    orvane::CPNTestDB tests;
    if (!tests.Load(QString::fromLocal8Bit(file).toStdU16String()).IsOk() || !tests.First()) {
        std::fprintf(stderr, "orvane-net-picture: %s: not a readable test file\n", file);
        return nullptr;
    }
    const auto test = tests.Current();
    if (!test->SelectQuestion(id)) {
        std::fprintf(stderr, "orvane-net-picture: %s: no question has the id %d\n", file, id);
        return nullptr;
    }
    return test->CurrentQuestion();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 4 && argc != 5) {
        std::fputs("usage: orvane-net-picture TEST-FILE QUESTION-ID OUT.png [SUBMISSION]\n",
                   stderr);
        return 2;
    }
    const std::int32_t id = std::atoi(argv[2]);
    const auto kept = Question(argv[1], id);
    const auto drawn = argc == 5 ? Question(argv[4], id) : kept;
    if (kept == nullptr || drawn == nullptr) {
        return 1;
    }
    orvane::CNetView view;
    view.resize(1100, 480);
    view.show();
    QSignalSpy shown(&view, &orvane::CNetView::AnalysisShown);
    view.SetNets(drawn->GetWorkNet(), kept->GetKeyNet(), argc == 5);
    if (!shown.wait(60000) || !view.grab().save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "orvane-net-picture: %s: cannot be written\n", argv[3]);
        return 1;
    }
    return 0;
}
