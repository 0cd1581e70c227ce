// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The summary of an exam as a picture a teacher takes in at a glance: the distribution of the
// students' percentages (a histogram in steps of ten) and each question's average points
// against its most. The window shows it; the PDF's class page prints it.
#include <QWidget>

#include "results/ResultsTable.h"

class QPainter;

namespace orvane {

void PaintResultsSummary(QPainter& painter, const QRectF& box, const SResultsTable& table);

class CResultsSummary : public QWidget {
public:
    explicit CResultsSummary(QWidget* parent = nullptr);
    void SetTable(const SResultsTable* shown);
    QSize sizeHint() const override { return {640, 220}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const SResultsTable* table = nullptr;
};

}  // namespace orvane
