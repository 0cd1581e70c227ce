// The picture of a student's net beside the solution, its properties computed off the
// window's thread, and the pictures saved from the context menu.
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QSignalSpy>
#include <chrono>

#include "GuiTestSupport.h"
#include "app/NetPicture.h"
#include "app/NetView.h"
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

}  // namespace
}  // namespace orvane::test
