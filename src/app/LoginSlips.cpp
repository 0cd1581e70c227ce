// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/LoginSlips.h"

#include <QApplication>
#include <QBuffer>
#include <QFontDatabase>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <array>
#include <set>
#include <tuple>

#include "app/WidgetText.h"
#include "server/TCPServer.h"

namespace orvane {
namespace {

constexpr double kMillimetre = CLoginSlips::kResolution / 25.4;
constexpr double kPageMargin = 10;  // mm: printers leave the page's edge blank
constexpr double kSlipMargin = 6;   // mm between a cut line and the text
constexpr double kValuePoints = 13;
constexpr double kFirstValue = 22;       // mm from the top of the slip's inside to the login
constexpr double kValueGap = 3.6;        // mm between a value's last line and the next line
constexpr double kWrapBelowPoints = 10;  // a value needs more lines rather than a smaller font
constexpr double kSmallestPoints = 6;
constexpr int kSlipsPerPage = CLoginSlips::kColumns * CLoginSlips::kRows;

QFont Font(double points, bool bold = false, bool fixedWidth = false) {
    QFont font =
        fixedWidth ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QApplication::font();
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// The text cut into lines no wider than `width`, each holding at least one character; a
// surrogate pair stays on one line.
QStringList Wrapped(const QString& text, const QFontMetricsF& metrics, double width) {
    QStringList lines{QString()};
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString letter = text.mid(i, length);
        if (!lines.last().isEmpty() && metrics.horizontalAdvance(lines.last() + letter) > width) {
            lines << QString();
        }
        lines.last() += letter;
        i += length - 1;
    }
    return lines;
}

// A login or a password in the fixed font: at the largest size up to `points`, but not below
// kWrapBelowPoints, at which it fits on one line; else cut into lines at the size reached.
struct ValueLines {
    QFont font;
    QStringList lines;
    double spacing = 0;
};

ValueLines FitValue(const QString& text, double points, double width, QPaintDevice* device) {
    QFont font = Font(points, true, true);
    while (font.pointSizeF() > kWrapBelowPoints &&
           QFontMetricsF(font, device).horizontalAdvance(text) > width) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    const QFontMetricsF metrics(font, device);
    return {font, Wrapped(text, metrics, width), metrics.lineSpacing()};
}

}  // namespace

CLoginSlips::CLoginSlips(const std::vector<ListedAccount>& accounts, QString serverAddress)
    : server(std::move(serverAddress)) {
    std::copy_if(accounts.begin(), accounts.end(), std::back_inserter(students),
                 [](const ListedAccount& account) { return !account.teacher; });
}

int CLoginSlips::GetPageCount() const {
    return (GetSlipCount() + kSlipsPerPage - 1) / kSlipsPerPage;
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
    for (int page = 0; page < GetPageCount(); ++page) {
        if (page > 0) {
            writer.newPage();
        }
        DrawPage(painter, area, page);
    }
    painter.end();
    return buffer.data();
}

void CLoginSlips::DrawPage(QPainter& painter, const QSizeF& area, int page) const {
    const QSizeF cell(area.width() / kColumns, area.height() / kRows);
    const int first = page * kSlipsPerPage;
    const int slips = std::min(kSlipsPerPage, GetSlipCount() - first);
    DrawCutLines(painter, cell, slips);
    for (int place = 0; place < slips; ++place) {
        const QPointF corner(place % kColumns * cell.width(), place / kColumns * cell.height());
        for (const SlipLine& line :
             LayOut(QRectF(corner, cell), students[first + place], painter.device())) {
            painter.setPen(line.colour);
            painter.setFont(line.font);
            painter.drawText(line.at, line.text);
        }
    }
}

// Each edge between two slips is drawn once, left to right or top to bottom: two dashed
// lines drawn over each other fill each other's gaps and print as one solid line.
void CLoginSlips::DrawCutLines(QPainter& painter, const QSizeF& cell, int slips) const {
    std::set<std::tuple<int, int, int, int>> edges;  // (column, row) of both ends
    for (int place = 0; place < slips; ++place) {
        const int column = place % kColumns;
        const int row = place / kColumns;
        edges.insert({column, row, column + 1, row});
        edges.insert({column, row + 1, column + 1, row + 1});
        edges.insert({column, row, column, row + 1});
        edges.insert({column + 1, row, column + 1, row + 1});
    }
    painter.setPen(QPen(QBrush(Qt::gray), 0.3 * kMillimetre, Qt::DashLine));
    for (const auto& [column, row, endColumn, endRow] : edges) {
        painter.drawLine(QPointF(column * cell.width(), row * cell.height()),
                         QPointF(endColumn * cell.width(), endRow * cell.height()));
    }
}

std::vector<CLoginSlips::SlipLine> CLoginSlips::LayOut(const QRectF& cell,
                                                       const ListedAccount& student,
                                                       QPaintDevice* device) const {
    const QRectF inner = cell.adjusted(kSlipMargin * kMillimetre, kSlipMargin * kMillimetre,
                                       -kSlipMargin * kMillimetre, -kSlipMargin * kMillimetre);
    std::vector<SlipLine> lines;
    // A line of its own text, with its baseline `baseline` below the top of the inside; cut
    // with "…" only where nothing has to be typed from it.
    const auto add = [&](double baseline, const QFont& font, const QString& text,
                         QColor colour = Qt::black, double left = 0) {
        const QString shown =
            QFontMetricsF(font, device).elidedText(text, Qt::ElideRight, inner.width() - left);
        lines.push_back(
            {QPointF(inner.left() + left, inner.top() + baseline), font, colour, shown});
    };
    add(3 * kMillimetre, Font(8), QStringLiteral("Orvane – prihlasovacie údaje"), Qt::darkGray);
    add(12 * kMillimetre, Font(14, true), ToQt(student.name));
    const QFont label = Font(10);
    const double valueLeft =
        QFontMetricsF(label, device).horizontalAdvance(QStringLiteral("Prihlasovacie meno: "));
    // The server's line must stay on the slip: many value lines get smaller fonts.
    const double width = inner.width() - valueLeft;
    std::array<ValueLines, 2> values;
    const auto fit = [&](double points) {
        values = {FitValue(ToQt(student.login), points, width, device),
                  FitValue(ToQt(student.password), points, width, device)};
    };
    // Below the first value line: the value's further lines, then a gap before the next.
    const auto height = [&](const ValueLines& value) {
        return static_cast<double>(value.lines.size()) * value.spacing + kValueGap * kMillimetre;
    };
    const auto serverBaseline = [&] {
        return (kFirstValue + 1) * kMillimetre + height(values[0]) + height(values[1]);
    };
    const auto largest = [&] {
        return std::max(values[0].font.pointSizeF(), values[1].font.pointSizeF());
    };
    fit(kValuePoints);
    while (serverBaseline() > inner.height() && largest() > kSmallestPoints) {
        fit(largest() - 0.5);
    }
    double baseline = kFirstValue * kMillimetre;
    const std::array<QString, 2> captions = {QStringLiteral("Prihlasovacie meno:"),
                                             QStringLiteral("Heslo:")};
    for (std::size_t i = 0; i < values.size(); ++i) {
        add(baseline, label, captions[i]);
        double lineBaseline = baseline;
        for (const QString& part : values[i].lines) {
            lines.push_back({QPointF(inner.left() + valueLeft, inner.top() + lineBaseline),
                             values[i].font, Qt::black, part});
            lineBaseline += values[i].spacing;
        }
        baseline += height(values[i]);
    }
    if (!server.isEmpty()) {
        add(serverBaseline(), Font(9),
            QStringLiteral("Server: %1, port %2").arg(server).arg(kServerPort));
    }
    return lines;
}

}  // namespace orvane
