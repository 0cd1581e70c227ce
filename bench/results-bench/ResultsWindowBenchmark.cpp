// SPDX-License-Identifier: GPL-3.0-or-later
// How long the results window keeps its thread busy with the class of ExamClass.h (300
// students, 10 questions, 4 net comparisons each): a timer on the window's thread ticks every
// millisecond, and the longest gap between two ticks is the longest time the window did not
// answer. Measured while the window opens and scores the class (on its worker thread) and
// shows the table, while the table is sorted, when a submission is opened and closed again,
// and while the class is exported as CSV and as PDF. Runs on the offscreen platform.
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "ExamClass.h"
#include "app/ResultsDlg.h"

namespace orvane::bench {
namespace {

// Ticks on the window's thread and keeps the longest gap between two ticks.
class CStallMeter : public QObject {
public:
    CStallMeter() {
        timer.setInterval(1);
        timer.setTimerType(Qt::PreciseTimer);
        connect(&timer, &QTimer::timeout, this,
                [this] { longest = std::max(longest, clock.restart()); });
    }
    void Start() {
        longest = 0;
        clock.start();
        timer.start();
    }
    qint64 Stop() {
        timer.stop();
        return std::max(longest, clock.elapsed());
    }

private:
    QTimer timer;
    QElapsedTimer clock;
    qint64 longest = 0;
};

// Runs `work` from the event loop while the meter ticks; answers its duration and the
// longest stall, in milliseconds.
std::pair<qint64, qint64> Measured(CStallMeter& meter, const std::function<void()>& work) {
    QElapsedTimer took;
    meter.Start();
    QApplication::processEvents();
    took.start();
    work();
    const qint64 duration = took.elapsed();
    QApplication::processEvents();
    return {duration, meter.Stop()};
}

}  // namespace
}  // namespace orvane::bench

int main(int argc, char** argv) {
    using namespace orvane;
    using namespace orvane::bench;
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    const auto folder = std::filesystem::temp_directory_path() /
                        ("orvane-results-window-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "work");
    std::filesystem::current_path(folder / "work");
    const SExamRun run = WriteExamClass();
    std::vector<KeptTest> kept;
    for (const SRunTest& test : run.tests) {
        kept.push_back({nullptr, test.path, {}});
    }
    if (!RecordExamRun(kept).IsOk()) {
        return 1;
    }
    CStallMeter meter;
    // Opening: the window is built, scores on its worker and fills the table of 300 rows.
    QElapsedTimer opened;
    meter.Start();
    opened.start();
    CResultsDlg window(nullptr, ".", {});
    window.show();
    QSignalSpy shown(&window, &CResultsDlg::TableShown);
    if (!shown.wait(120'000) || window.TableWidget()->rowCount() != kStudents) {
        return 1;
    }
    const qint64 untilShown = opened.elapsed();
    const qint64 openStall = meter.Stop();
    std::printf("results window, %d students x %d questions:\n", kStudents, kQuestions);
    std::printf(
        "  open, score on the worker, show the table: %lld ms; the window's thread "
        "stood still for at most %lld ms at a time\n",
        static_cast<long long>(untilShown), static_cast<long long>(openStall));
    const int totalColumn = window.TableWidget()->columnCount() - 3;
    const auto [sorted, sortStall] =
        Measured(meter, [&] { window.TableWidget()->sortItems(totalColumn); });
    std::printf("  sort by the total: %lld ms (longest stall %lld ms)\n",
                static_cast<long long>(sorted), static_cast<long long>(sortStall));
    const auto [reopened, reopenStall] = Measured(meter, [&] {
        QTimer::singleShot(0, [] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                dialog->close();
            }
        });
        window.OpenStudent(0);
    });
    std::printf(
        "  open a submission, close it, the table refreshed: %lld ms (longest stall "
        "%lld ms)\n",
        static_cast<long long>(reopened), static_cast<long long>(reopenStall));
    const auto [csv, csvStall] = Measured(meter, [&] {
        window.ExportCsv(QString::fromStdString((folder / "vysledky.csv").string()));
    });
    std::printf("  export CSV: %lld ms (longest stall %lld ms)\n", static_cast<long long>(csv),
                static_cast<long long>(csvStall));
    // The pages are drawn between the window's events under a progress dialog.
    bool pdfWritten = false;
    const auto [pdf, pdfStall] = Measured(meter, [&] {
        pdfWritten = window.ExportPdf(QString::fromStdString((folder / "vysledky.pdf").string()));
    });
    if (!pdfWritten) {
        std::fprintf(stderr, "the PDF export failed\n");
        return 1;
    }
    std::printf(
        "  export PDF (%d pages and the summary, %lld kB): %lld ms (longest stall %lld ms)\n",
        kStudents,
        static_cast<long long>(std::filesystem::file_size(folder / "vysledky.pdf") / 1024),
        static_cast<long long>(pdf), static_cast<long long>(pdfStall));
    std::filesystem::current_path("/");
    std::filesystem::remove_all(folder);
    return 0;
}
