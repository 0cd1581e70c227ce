// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ResultsSummary.h"

#include <QPainter>
#include <algorithm>

#include "app/WidgetText.h"
#include "results/QuestionScore.h"

namespace orvane {
namespace {

constexpr int kBins = 10;

// Students per tenth of the points (the last one takes 100 %).
std::array<int, kBins> Histogram(const SResultsTable& table) {
    std::array<int, kBins> counts{};
    for (const SStudentResult& student : table.students) {
        if (student.Latest() != nullptr) {
            ++counts[std::clamp(static_cast<int>(student.Percent() / 10), 0, kBins - 1)];
        }
    }
    return counts;
}

std::vector<double> MostPoints(const SResultsTable& table) {
    std::vector<double> most(table.questionColumns, 0);
    for (const SStudentResult& student : table.students) {
        for (std::size_t i = 0; i < student.points.size() && i < most.size(); ++i) {
            most[i] = std::max(most[i], student.points[i].maxPoints);
        }
    }
    return most;
}

void Bars(QPainter& painter, const QRectF& box, const QString& title,
          const std::vector<double>& values, const std::vector<double>& scale,
          const std::vector<QString>& labels, const std::vector<QString>& tops) {
    painter.drawText(box.adjusted(0, 0, 0, -box.height() + 20), Qt::AlignCenter, title);
    const QRectF area = box.adjusted(10, 42, -10, -22);
    painter.drawLine(area.bottomLeft(), area.bottomRight());
    const double width = values.empty() ? 0 : area.width() / static_cast<double>(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double share = scale[i] > 0 ? std::clamp(values[i] / scale[i], 0.0, 1.0) : 0;
        const QRectF bar(area.left() + width * i + width * 0.15, area.bottom() - share * area.height(),
                         width * 0.7, share * area.height());
        painter.fillRect(bar, QColor(70, 120, 190));
        painter.drawText(QRectF(bar.left() - 10, bar.top() - 18, bar.width() + 20, 16),
                         Qt::AlignCenter, tops[i]);
        painter.drawText(QRectF(area.left() + width * i, area.bottom() + 2, width, 18),
                         Qt::AlignCenter, labels[i]);
    }
}

}  // namespace

void PaintResultsSummary(QPainter& painter, const QRectF& box, const SResultsTable& table) {
    painter.save();
    painter.fillRect(box, Qt::white);
    painter.setPen(Qt::black);
    const QRectF left(box.left(), box.top(), box.width() / 2, box.height());
    const QRectF right(box.center().x(), box.top(), box.width() / 2, box.height());
    const std::array<int, kBins> counts = Histogram(table);
    const double most = std::max(1, *std::max_element(counts.begin(), counts.end()));
    std::vector<double> values, scale;
    std::vector<QString> labels, tops;
    for (int i = 0; i < kBins; ++i) {
        values.push_back(counts[i]);
        scale.push_back(most);
        labels.push_back(QString::number(i * 10));
        tops.push_back(counts[i] > 0 ? QString::number(counts[i]) : QString());
    }
    Bars(painter, left, QStringLiteral("Rozdelenie výsledkov (študenti podľa %)"), values, scale,
         labels, tops);
    const std::vector<double> averages = QuestionAverages(table);
    const std::vector<double> maxima = MostPoints(table);
    labels.clear();
    tops.clear();
    for (std::size_t i = 0; i < averages.size(); ++i) {
        labels.push_back(QString::number(i + 1));
        tops.push_back(ToQt(PointsText(averages[i])));
    }
    Bars(painter, right, QStringLiteral("Priemerné body otázok (z najviac)"), averages, maxima,
         labels, tops);
    painter.restore();
}

CResultsSummary::CResultsSummary(QWidget* parent) : QWidget(parent) {
    setMinimumHeight(180);
}

void CResultsSummary::SetTable(const SResultsTable* shown) {
    table = shown;
    update();
}

void CResultsSummary::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (table != nullptr) {
        PaintResultsSummary(painter, rect(), *table);
    }
}

}  // namespace orvane
