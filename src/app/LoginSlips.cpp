#include "app/LoginSlips.h"

#include <QApplication>
#include <QBuffer>
#include <QFontDatabase>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <set>
#include <tuple>

#include "server/TCPServer.h"

namespace orvane {
namespace {

constexpr double kMillimetre = CLoginSlips::kResolution / 25.4;
constexpr double kPageMargin = 10;  // mm: printers leave the page's edge blank
constexpr double kSlipMargin = 6;   // mm between a cut line and the text
constexpr double kValuePoints = 13;
constexpr double kWrapBelowPoints = 10;  // a value needs more lines rather than a smaller font
constexpr double kSmallestPoints = 6;
constexpr int kSlipsPerPage = CLoginSlips::kColumns * CLoginSlips::kRows;

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

// The text cut into lines no wider than `width`, each holding at least one character; a
// surrogate pair stays on one line.
QStringList Wrapped(const QString& text, const QFontMetricsF& metrics, double width) {
    QStringList lines{QString()};
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString letter = text.mid(i, length);
        if (!lines.last().isEmpty() &&
            metrics.horizontalAdvance(lines.last() + letter) > width) {
            lines << QString();
        }
        lines.last() += letter;
        i += length - 1;
    }
    return lines;
}

// The login and the password in the fixed font: at the largest size from `points` down to
// kWrapBelowPoints at which each fits on one line, else cut into lines at the size reached.
struct ValueLines {
    QFont font;
    QStringList login;
    QStringList password;
    double spacing = 0;
};

ValueLines FitValues(const ListedAccount& student, double points, double width,
                     QPaintDevice* device) {
    QFont font = Font(points, true, true);
    const auto widest = [&] {
        const QFontMetricsF metrics(font, device);
        return std::max(metrics.horizontalAdvance(ToQt(student.login)),
                        metrics.horizontalAdvance(ToQt(student.password)));
    };
    while (font.pointSizeF() > kWrapBelowPoints && widest() > width) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    const QFontMetricsF metrics(font, device);
    return {font, Wrapped(ToQt(student.login), metrics, width),
            Wrapped(ToQt(student.password), metrics, width), metrics.lineSpacing()};
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
        lines.push_back({QPointF(inner.left() + left, inner.top() + baseline), font, colour, shown});
    };
    add(3 * kMillimetre, Font(8), QStringLiteral("Orvane – prihlasovacie údaje"), Qt::darkGray);
    add(12 * kMillimetre, Font(14, true), ToQt(student.name));
    const QFont label = Font(10);
    const double valueLeft = QFontMetricsF(label, device)
                                 .horizontalAdvance(QStringLiteral("Prihlasovacie meno: "));
    // The server's line must stay on the slip: many value lines get a smaller font.
    const double width = inner.width() - valueLeft;
    ValueLines values = FitValues(student, kValuePoints, width, device);
    const auto serverBaseline = [&] {
        const auto extra = values.login.size() + values.password.size() - 2;
        return 41 * kMillimetre + static_cast<double>(extra) * values.spacing;
    };
    while (serverBaseline() > inner.height() && values.font.pointSizeF() > kSmallestPoints) {
        values = FitValues(student, values.font.pointSizeF() - 0.5, width, device);
    }
    double baseline = 22 * kMillimetre;
    for (const auto& [caption, valueLines] :
         {std::pair{QStringLiteral("Prihlasovacie meno:"), values.login},
          std::pair{QStringLiteral("Heslo:"), values.password}}) {
        add(baseline, label, caption);
        for (const QString& part : valueLines) {
            lines.push_back({QPointF(inner.left() + valueLeft, inner.top() + baseline),
                             values.font, Qt::black, part});
            baseline += values.spacing;
        }
        baseline += 9 * kMillimetre - values.spacing;
    }
    if (!server.isEmpty()) {
        add(serverBaseline(), Font(9),
            QStringLiteral("Server: %1, port %2").arg(server).arg(kServerPort));
    }
    return lines;
}

}  // namespace orvane
