// SPDX-License-Identifier: GPL-3.0-or-later
// Keeping the tests of a large class: every file written, and the windows alive meanwhile.
#include <QProgressDialog>

#include "GuiTestSupport.h"
#include "app/KeepProgress.h"
#include "common/TextCodec.h"

namespace orvane {
namespace {

class KeepProgressTest : public test::GuiTest {};

TEST_F(KeepProgressTest, TheWindowsAnswerAndTheDialogStaysUntilTheLastFileIsWritten) {
    constexpr int kStudents = 150;  // each file is flushed to the disk: about 10 ms
    CPNTestDB tests;
    tests.AddTest(test::MakeTest(1, u"stary", true));
    const auto before = TestsIn(tests);
    for (int i = 0; i < kStudents; ++i) {
        tests.AddTest(test::MakeTest(i + 2, u"s" + FromUtf8(std::to_string(i)), true));
    }
    QWidget window;
    window.show();
    int ticks = 0;
    int ticksWithDialog = 0;
    int ticksBeforeTheLastFile = 0;
    const std::string lastFolder =
        KeptTestsFolderOf(u"s" + FromUtf8(std::to_string(kStudents - 1)));
    QTimer clock;  // stands for the window's own events: painting, the server's messages
    QObject::connect(&clock, &QTimer::timeout, [&] {
        ++ticks;
        const auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        ticksWithDialog += dialog != nullptr && dialog->isVisible() ? 1 : 0;
        ticksBeforeTheLastFile += test::Exists(lastFolder) ? 0 : 1;
    });
    clock.start(1);
    const std::vector<KeptTest> kept = KeepNewTestsShowingProgress(tests, before, &window);
    clock.stop();

    ASSERT_EQ(kept.size(), std::size_t{kStudents});
    for (const KeptTest& file : kept) {
        ASSERT_TRUE(file.result.IsOk()) << file.path;
        ASSERT_TRUE(test::Exists(file.path)) << file.path;
    }
    EXPECT_EQ(kept.front().test->GetId(), 2) << "kept from the back, as KeepNewTests does";
    EXPECT_GT(ticksBeforeTheLastFile, 0) << "the window answered while files were written";
    EXPECT_EQ(ticksWithDialog, ticks) << "every event came while the dialog was up";
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace orvane
