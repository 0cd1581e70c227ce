// SPDX-License-Identifier: GPL-3.0-or-later
// The printed login slips: logins and passwords whole however long, and cut lines that print
// dashed between slips as at the page's edge.
#include <QImage>
#include <QPainter>
#include <map>

#include "GuiTestSupport.h"
#include "app/LoginSlips.h"

namespace orvane {
namespace {

constexpr double kDotsPerMetre = CLoginSlips::kResolution / 0.0254;
// The printable part of an A4 page with 10 mm margins, in dots.
const QSize kArea(2244, 3271);

QImage PageImage(const CLoginSlips& slips) {
    QImage image(kArea, QImage::Format_Grayscale8);
    image.setDotsPerMeterX(static_cast<int>(kDotsPerMetre));
    image.setDotsPerMeterY(static_cast<int>(kDotsPerMetre));
    image.fill(Qt::white);
    QPainter painter(&image);
    slips.DrawPage(painter, QSizeF(kArea), 0);
    return image;
}

std::vector<ListedAccount> Students(int count) {
    std::vector<ListedAccount> students;
    for (int i = 0; i < count; ++i) {
        students.push_back({0, u"login" + std::u16string(1, u'a' + i), u"Meno", u"heslo", false});
    }
    return students;
}

struct CutLine {
    const char* what;
    bool vertical;
    int at;  // the column or row of dots the line lies on
};

class LoginSlipsPage : public test::GuiTest {};

TEST_F(LoginSlipsPage, EveryCutLinePrintsDashed) {
    const QImage page = PageImage(CLoginSlips(Students(10), QStringLiteral("192.0.2.2")));
    const int cellWidth = kArea.width() / 2;
    const int cellHeight = kArea.height() / 5;
    for (const CutLine& line :
         {CutLine{"the left edge", true, 1}, CutLine{"between the columns", true, cellWidth},
          CutLine{"under the first row", false, cellHeight},
          CutLine{"under the fourth row", false, 4 * cellHeight}}) {
        const int length = line.vertical ? kArea.height() : kArea.width();
        int gaps = 0;
        bool inked = false;
        for (int along = 0; along < length; ++along) {
            const int gray = line.vertical ? qGray(page.pixel(line.at, along))
                                           : qGray(page.pixel(along, line.at));
            gaps += inked && gray > 200 ? 1 : 0;
            inked = gray <= 200;
        }
        // A dash and its gap take 1.8 mm, 21 dots.
        EXPECT_GT(gaps, length / 30) << line.what;
    }
}

struct LongValue {
    const char* what;
    std::u16string login;
    std::u16string password;
};

class LoginSlipsLayout : public test::GuiTest, public testing::WithParamInterface<LongValue> {};

// What follows a caption up to the next caption or the server's line, joined.
QString ValueAfter(const std::vector<CLoginSlips::SlipLine>& lines, const QString& caption) {
    QString value;
    bool inside = false;
    for (const auto& line : lines) {
        if (line.text == caption) {
            inside = true;
        } else if (line.text.endsWith(':') || line.text.startsWith(QStringLiteral("Server:"))) {
            inside = false;
        } else if (inside) {
            value += line.text;
        }
    }
    return value;
}

TEST_P(LoginSlipsLayout, LoginAndPasswordShowWholeInsideTheSlip) {
    const LongValue& row = GetParam();
    const CLoginSlips slips({{0, row.login, u"Mária Nováková", row.password, false}},
                            QStringLiteral("192.0.2.2"));
    QImage device(kArea, QImage::Format_Grayscale8);
    device.setDotsPerMeterX(static_cast<int>(kDotsPerMetre));
    device.setDotsPerMeterY(static_cast<int>(kDotsPerMetre));
    const QRectF cell(kArea.width() / 2.0, 0, kArea.width() / 2.0, kArea.height() / 5.0);
    const auto lines = slips.LayOut(cell, {0, row.login, u"Mária", row.password, false}, &device);
    EXPECT_EQ(ValueAfter(lines, QStringLiteral("Prihlasovacie meno:")),
              QString::fromStdU16String(row.login));
    EXPECT_EQ(ValueAfter(lines, QStringLiteral("Heslo:")), QString::fromStdU16String(row.password));
    std::map<double, double> baselines;  // per left end: the last line's baseline
    double baseline = 0;
    for (const auto& line : lines) {
        const double right =
            line.at.x() + QFontMetricsF(line.font, &device).horizontalAdvance(line.text);
        EXPECT_LE(right, cell.right()) << line.text.toStdString();
        EXPECT_GT(line.at.y(), baselines[line.at.x()]) << line.text.toStdString() << ": overlap";
        baselines[line.at.x()] = line.at.y();
        baseline = std::max(baseline, line.at.y());
    }
    EXPECT_LE(baseline, cell.bottom()) << "the server's line stays on the slip";
    EXPECT_EQ(lines.back().text, QStringLiteral("Server: 192.0.2.2, port 20248"));
}

const LongValue kValues[] = {
    {"Short", u"novak", u"b7TnQe2Rzc"},
    {"LongLogin", u"jana.novakova.z.triedy.4b.gymnazium.bratislava", u"b7TnQe2Rzc"},
    {"LongPassword", u"novak", u"Xk3mPq8aLwXk3mPq8aLwXk3mPq8aLwXk3mPq8aLwXk3mPq8aLw"},
    {"BothVeryLong", std::u16string(64, u'W'), std::u16string(64, u'm')},
    {"SurrogatePairs", u"\U0001D4B6\U0001D4B7\U0001D4B8" + std::u16string(40, u'Ž'), u"heslo"},
};

INSTANTIATE_TEST_SUITE_P(Values, LoginSlipsLayout, testing::ValuesIn(kValues),
                         [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace orvane
