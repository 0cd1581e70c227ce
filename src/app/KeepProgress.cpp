// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/KeepProgress.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <atomic>
#include <thread>

namespace orvane {
namespace {

// How often the dialog looks at how far the writing is.
constexpr int kPollMs = 40;

}  // namespace

std::vector<KeptTest> KeepNewTestsShowingProgress(const CPNTestDB& tests,
                                                  const std::set<const CPNTest*>& before,
                                                  QWidget* parent) {
    // The list is taken here, so that the writing thread never looks at the database.
    const std::vector<std::shared_ptr<CPNTest>> fresh = NewTests(tests, before);
    const int total = static_cast<int>(fresh.size());
    std::vector<KeptTest> kept(fresh.size());
    if (total == 0) {
        return kept;
    }
    QProgressDialog progress(QStringLiteral("Ukladajú sa vygenerované testy ..."), QString(), 0,
                             total, parent);
    progress.setWindowModality(Qt::WindowModal);
    progress.setCancelButton(nullptr);  // a file half written is never left behind anyway
    progress.setAutoClose(false);       // closed below, once the thread has ended
    progress.setAutoReset(false);
    progress.show();  // now: a click on the window must not change the tests

    std::atomic<int> done = 0;
    std::thread writer([&] {
        for (int i = 0; i < total; ++i) {
            kept[i] = KeepTest(fresh[i]);
            done.store(i + 1, std::memory_order_release);
        }
    });
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        const int written = done.load(std::memory_order_acquire);
        progress.setValue(written);
        if (written == total) {
            loop.quit();
        }
    });
    poll.start(kPollMs);
    loop.exec();
    writer.join();  // also when the program is ending and the loop was left early
    progress.close();
    return kept;
}

}  // namespace orvane
