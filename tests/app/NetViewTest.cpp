// SPDX-License-Identifier: GPL-3.0-or-later
// The picture of a student's net beside the solution, its properties computed off the
// window's thread, the pictures saved from the context menu, and the solution that the tests
// panel shows beside a submission.
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QSignalSpy>
#include <chrono>
#include <tuple>

#include "GuiTestSupport.h"
#include "app/NetPicture.h"
#include "app/NetView.h"
#include "app/OrvaneDlg.h"
#include "common/ExamFolders.h"
#include "support/DrawnNet.h"

namespace orvane::test {
namespace {

class NetViewTest : public GuiTest {};

constexpr std::string_view kSolution = "free=1 busy; start: free -> busy; stop: busy -> free";

// Pixels of the picture that are neither white nor the title's.
int DrawnPixels(QWidget* picture) {
    const QImage image = picture->grab().toImage();
    int drawn = 0;
    for (int y = 30; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            drawn += image.pixelColor(x, y) != Qt::white ? 1 : 0;
        }
    }
    return drawn;
}

TEST_F(NetViewTest, ShowsBothNetsWithTheirPropertiesAndSavesPictures) {
    CNetView view;
    view.resize(900, 400);
    view.show();
    QSignalSpy shown(&view, &CNetView::AnalysisShown);
    view.SetNets(DrawnNet(kSolution, 40, 60), DrawnNet(kSolution), true);
    ASSERT_TRUE(shown.wait(10000));
    EXPECT_FALSE(view.IsWorking());
    const QString text = view.PropertiesText();
    EXPECT_TRUE(
        text.startsWith(QStringLiteral("Nakreslená sieť:\n• graf dosiahnuteľnosti: 2 stavy")))
        << text.toStdString();
    EXPECT_TRUE(
        text.endsWith(QStringLiteral("Porovnanie s riešením:\n• štruktúrne zhodná s riešením\n"
                                     "• správaním zhodná s riešením\n")))
        << text.toStdString();
    EXPECT_GT(DrawnPixels(view.DrawnPicture()), 200);
    EXPECT_GT(DrawnPixels(view.SolutionPicture()), 200);

    view.SolutionPicture()->SetFileChooser([](const QString&, const QString& filter) {
        return filter.contains(QStringLiteral("png")) ? QStringLiteral("net.png")
                                                      : QStringLiteral("net.svg");
    });
    for (QAction* action : view.SolutionPicture()->ContextMenu()->actions()) {
        action->trigger();
    }
    const QImage png(QStringLiteral("net.png"));
    EXPECT_GE(png.width(), 800);
    QFile svg(QStringLiteral("net.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svg.readAll().contains("<svg"));
}

// A net of 2^20 markings: the window goes on, and a view closed while it works ends at once.
TEST_F(NetViewTest, BigNetLeavesTheWindowFreeAndStopsWhenTheViewCloses) {
    std::string cycles;
    for (int i = 0; i < 20; ++i) {
        cycles +=
            "; f" + std::to_string(i) + ": a" + std::to_string(i) + " -> b" + std::to_string(i);
        cycles.insert(0, "a" + std::to_string(i) + "=1 b" + std::to_string(i) + " ");
    }
    const auto started = std::chrono::steady_clock::now();
    {
        CNetView view;
        view.SetNets(DrawnNet(cycles), nullptr, false);
        EXPECT_TRUE(view.IsWorking());
        EXPECT_TRUE(view.PropertiesText().startsWith(QStringLiteral("Počítam")));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

// A submission's net in the tests panel stands beside the solution of the student's kept test
// of the same id, whatever key the uploaded file carries. Each row is a new start in a folder
// of its own, where the same file names hold other tests.
TEST_F(NetViewTest, ASubmissionIsComparedWithTheSolutionOfItsKeptTest) {
    constexpr std::string_view kOther = "a=1 b c; t: a -> b; u: b -> c";
    const KeptTime generated = std::chrono::sys_days(std::chrono::March / 6 / 2026);
    for (const auto& [drawn, uploadedKey, comparison] :
         {std::tuple{kSolution, kOther, "štruktúrne zhodná s riešením"},
          std::tuple{kOther, kOther, "štruktúrne odlišná od riešenia: miest 3, v riešení 2"}}) {
        const TempFolder row;
        WriteUsersFile({{u"ucitel", u"U", u"tajne", true}, {u"jana", u"J", u"j", false}});
        ASSERT_TRUE(MakePrivateFolder(KeptTestsFolderOf(u"jana")).IsOk());
        ASSERT_TRUE(MakePrivateFolder(SubmissionsFolderOf(u"jana")).IsOk());
        auto kept = std::make_shared<CPNQuestion>(7, u"Semafor", u"N", DrawnNet(kSolution));
        WriteTestFile("tests/jana/" + KeptFileName(generated, "test4"),
                      MakeTest(4, u"jana", true, {kept}));
        auto worked = std::make_shared<CPNQuestion>(7, u"Semafor", u"N", DrawnNet(uploadedKey));
        worked->SetWorkNet(DrawnNet(drawn));
        WriteTestFile(
            "submissions/jana/" + KeptFileName(generated + std::chrono::hours(1), "testdb_bla"),
            MakeTest(4, u"jana", false, {worked}));

        COrvaneDlg window;
        {
            ModalAnswers answers;
            ExpectLogin(answers, "ucitel", "tajne");
            ASSERT_EQ(window.Open(), COrvaneDlg::OpenResult::Accepted);
        }
        window.show();
        auto* users = Control<QListWidget>(&window, 1006);
        users->setCurrentItem(users->findItems("jana", Qt::MatchExactly).value(0));
        auto* tests = Control<QComboBox>(&window, 1007);
        ASSERT_EQ(tests->count(), 2);
        tests->setCurrentIndex(1);
        emit tests->activated(1);  // the submission, as the teacher picks it
        Control<QListWidget>(&window, 1020)->setCurrentRow(0);
        auto* view = window.findChild<CNetView*>();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return view->isVisible() && !view->IsWorking(); }, 10000));
        const QString text = view->PropertiesText();
        EXPECT_TRUE(text.contains(QStringLiteral("Porovnanie s riešením:\n• ") +
                                  QString::fromUtf8(comparison)))
            << text.toStdString();
        window.done(QDialog::Rejected);
    }
}

}  // namespace
}  // namespace orvane::test
