#include "app/LoginSlips.h"

#include <QApplication>
#include <QBuffer>
#include <QFontDatabase>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>

#include "server/TCPServer.h"

namespace orvane {
namespace {

constexpr int kResolution = 300;  // dots per inch of the page
constexpr double kMillimetre = kResolution / 25.4;
constexpr double kPageMargin = 10;  // mm: printers leave the page's edge blank
constexpr double kSmallestPoints = 6;

QString ToQt(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

QFont Font(double points, bool bold = false, bool fixedWidth = false) {
    QFont font =
        fixedWidth ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QApplication::font();
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// A login or password must show whole: a text too wide for the slip gets a smaller font.
QFont Fitted(QFont font, const QString& text, double width, QPaintDevice* device) {
    while (font.pointSizeF() > kSmallestPoints &&
           QFontMetricsF(font, device).horizontalAdvance(text) > width) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    return font;
}

}  // namespace

CLoginSlips::CLoginSlips(const std::vector<ListedAccount>& accounts, QString serverAddress)
    : server(std::move(serverAddress)) {
    std::copy_if(accounts.begin(), accounts.end(), std::back_inserter(students),
                 [](const ListedAccount& account) { return !account.teacher; });
}

QByteArray CLoginSlips::Pdf() const {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kResolution);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(kPageMargin, kPageMargin, kPageMargin, kPageMargin),
                                     QPageLayout::Millimeter));
    writer.setTitle(QStringLiteral("Prihlasovacie lístky"));
    writer.setCreator(QStringLiteral("Orvane"));
    QPainter painter(&writer);
    const QSizeF area = writer.pageLayout().paintRectPixels(kResolution).size();
    const QSizeF cell(area.width() / kColumns, area.height() / kRows);
    for (std::size_t i = 0; i < students.size(); ++i) {
        const int place = static_cast<int>(i % (kColumns * kRows));
        if (i > 0 && place == 0) {
            writer.newPage();
        }
        const QPointF corner(place % kColumns * cell.width(), place / kColumns * cell.height());
        DrawSlip(painter, QRectF(corner, cell), students[i]);
    }
    painter.end();
    return buffer.data();
}

void CLoginSlips::DrawSlip(QPainter& painter, const QRectF& cell,
                           const ListedAccount& student) const {
    QPen cutLine(QBrush(Qt::gray), 0.3 * kMillimetre, Qt::DashLine);
    painter.setPen(cutLine);
    painter.drawRect(cell);
    const QRectF inner =
        cell.adjusted(6 * kMillimetre, 6 * kMillimetre, -6 * kMillimetre, -6 * kMillimetre);
    // Writes one line with its baseline `baseline` mm below the top of the slip's inside.
    const auto write = [&](double baseline, const QFont& font, const QString& text,
                           double left = 0) {
        painter.setFont(font);
        const QString shown = QFontMetricsF(font, painter.device())
                                  .elidedText(text, Qt::ElideRight, inner.width() - left);
        painter.drawText(QPointF(inner.left() + left, inner.top() + baseline * kMillimetre), shown);
    };
    painter.setPen(Qt::darkGray);
    write(3, Font(8), QStringLiteral("Orvane – prihlasovacie údaje"));
    painter.setPen(Qt::black);
    write(12, Font(14, true), ToQt(student.name));
    const QFont label = Font(10);
    const double valueLeft = QFontMetricsF(label, painter.device())
                                 .horizontalAdvance(QStringLiteral("Prihlasovacie meno: "));
    double baseline = 22;
    for (const auto& [caption, value] :
         {std::pair{QStringLiteral("Prihlasovacie meno:"), ToQt(student.login)},
          std::pair{QStringLiteral("Heslo:"), ToQt(student.password)}}) {
        write(baseline, label, caption);
        write(baseline,
              Fitted(Font(13, true, true), value, inner.width() - valueLeft, painter.device()),
              value, valueLeft);
        baseline += 9;
    }
    if (!server.isEmpty()) {
        write(41, Font(9), QStringLiteral("Server: %1, port %2").arg(server).arg(kServerPort));
    }
}

}  // namespace orvane
