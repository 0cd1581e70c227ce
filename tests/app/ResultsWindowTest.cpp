// SPDX-License-Identifier: GPL-3.0-or-later
// The results window: the table of a recorded exam, an override kept from the submission
// window, and the exports read back (the CSV's numbers, the PDF's pages, both 0600; a PDF
// export stopped halfway writes nothing).
#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTimer>
#include <filesystem>

#include "GuiTestSupport.h"
#include "app/ResultsDlg.h"
#include "app/ResultsSubmissionDlg.h"
#include "results/ResultsFiles.h"  // tests/results
#include "results/ExamRuns.h"

namespace orvane::test {
namespace {

class ResultsWindowTest : public GuiTest {
protected:
    ResultsWindowTest() {
        std::vector<KeptTest> kept;
        for (const auto& [login, id] : {std::pair{u"jano", 1}, {u"fero", 2}, {u"zuza", 3}}) {
            kept.push_back({nullptr, KeepTest(ExamTest(id, login, false), At(0)), {}});
        }
        Submit(kept[0].path, At(10), Answers{{1, 0, 0}});
        Submit(kept[1].path, At(10), Answers{});
        EXPECT_TRUE(RecordExamRun(kept).IsOk());
        std::filesystem::create_directory("out");
    }
    std::unique_ptr<CResultsDlg> Open() {
        auto window = std::make_unique<CResultsDlg>(nullptr, ".", Names{{u"jano", u"Ján"}});
        QSignalSpy shown(window.get(), &CResultsDlg::TableShown);
        EXPECT_TRUE(window->Table() != nullptr || shown.wait(20000));
        return window;
    }
    using Names = std::map<std::u16string, std::u16string>;
};

std::string ReadText(const std::string& path) {
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

int Mode(const char* path) {
    struct stat info {};
    return ::stat(path, &info) == 0 ? int(info.st_mode & 0777) : -1;
}

TEST_F(ResultsWindowTest, ExportsReadBackWithOnePagePerStudent) {
    const auto window = Open();
    ASSERT_EQ(window->TableWidget()->rowCount(), 3);
    ASSERT_TRUE(window->ExportCsv("out/vysledky.csv"));
    ASSERT_TRUE(window->ExportPdf("out/vysledky.pdf"));
    EXPECT_EQ(Mode("out/vysledky.csv"), 0600);
    EXPECT_EQ(Mode("out/vysledky.pdf"), 0600);
    const QString csv = QString::fromUtf8(ReadText("out/vysledky.csv"));
    QStringList totals;
    for (const QString& line : csv.split("\r\n", Qt::SkipEmptyParts).mid(1)) {
        totals << line.split(';').at(6) + "/" + line.split(';').at(9);
    }
    EXPECT_EQ(totals, (QStringList{"15,0/odovzdal", "12,0/odovzdal", "/neodovzdal"}));
    const std::string pdf = ReadText("out/vysledky.pdf");
    int pages = 0;
    for (std::size_t at = pdf.find("/Type /Page"); at != std::string::npos;
         at = pdf.find("/Type /Page", at + 1)) {
        pages += pdf.compare(at, 12, "/Type /Pages") != 0 ? 1 : 0;
    }
    EXPECT_EQ(pages, 4);  // three students and the class summary
}

TEST_F(ResultsWindowTest, AStoppedPdfExportWritesNoFile) {
    const auto window = Open();
    // The first page drawn lets the window's events through: the teacher stops the export.
    QTimer::singleShot(0, [] {
        if (auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget())) {
            progress->cancel();
        }
    });
    EXPECT_FALSE(window->ExportPdf("out/vysledky.pdf"));
    EXPECT_FALSE(std::filesystem::exists("out/vysledky.pdf"));
    EXPECT_TRUE(std::filesystem::is_empty("out"));
    EXPECT_EQ(window->findChild<QProgressDialog*>(), nullptr);
}

TEST_F(ResultsWindowTest, AnOverrideFromTheSubmissionIsKept) {
    auto window = Open();
    SResultsTable table = *window->Table();
    SStudentResult& jano = table.students.at(1);
    ASSERT_EQ(jano.login, u"jano");
    CResultsSubmissionDlg submission(nullptr, jano, ".");
    submission.QuestionList()->setCurrentRow(0);
    submission.OverrideBox()->setChecked(true);
    submission.PointsField()->setValue(5.5);
    submission.AcceptedBox()->setChecked(true);
    ASSERT_TRUE(submission.Save());
    EXPECT_EQ(Mode(DecisionsPathOf(u"jano").c_str()), 0600);
    window = Open();
    const SStudentResult& again = window->Table()->students.at(1);
    EXPECT_EQ(again.state, ResultState::Decided);
    EXPECT_EQ(PointsText(again.total), u"14,5");
    EXPECT_TRUE(again.points[0].overridden);
}

}  // namespace
}  // namespace orvane::test
