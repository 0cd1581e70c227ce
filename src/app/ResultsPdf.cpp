// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ResultsPdf.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <map>

#include "app/NetPainter.h"
#include "app/ResultsSummary.h"
#include "app/WidgetText.h"
#include "exam/AnswerText.h"
#include "results/ResultsCsv.h"
#include "results/Similarity.h"

namespace orvane {
namespace {

constexpr double kLine = 13;
constexpr double kNetWidth = 170;

QString Points(double points) {
    return ToQt(PointsText(points));
}

// Writes lines from `y` down within `width`; answers the y after them.
double Lines(QPainter& painter, double x, double y, double width, const QStringList& lines,
             double bottom) {
    for (const QString& line : lines) {
        if (y + kLine > bottom) {
            break;
        }
        painter.drawText(QRectF(x, y, width, kLine), Qt::AlignLeft | Qt::TextSingleLine,
                         painter.fontMetrics().elidedText(line, Qt::ElideRight, int(width)));
        y += kLine;
    }
    return y;
}

void Question(QPainter& painter, const QRectF& box, std::size_t index,
              const SStudentResult& student, const CPNQuestion& kept) {
    const SSubmission& latest = *student.Latest();
    const SQuestionScore& score = latest.scores[index];
    const SFinalPoints& points = student.points[index];
    QStringList lines;
    lines << QStringLiteral("%1. %2 — %3 z %4 b.%5")
                 .arg(index + 1)
                 .arg(ToQt(kept.GetTitle()), Points(points.points), Points(points.maxPoints),
                      points.overridden ? QStringLiteral(" (určil učiteľ)") : QString());
    for (const auto& answered : latest.test->Questions()) {
        if (answered->GetId() == kept.GetId()) {
            lines << QStringLiteral("Odpoveď: ") + ToQt(AnswerText(*answered));
        }
    }
    for (const std::u16string& why : score.why) {
        lines << QStringLiteral("  ") + ToQt(why);
    }
    if (!points.note.empty()) {
        lines << QStringLiteral("Poznámka: ") + ToQt(points.note);
    }
    const bool net = score.drawnNet != nullptr && !score.drawnNet->IsEmpty();
    Lines(painter, box.left(), box.top(), box.width() - (net ? kNetWidth + 8 : 0), lines,
          box.bottom());
    if (net) {
        const QRectF picture(box.right() - kNetWidth, box.top(), kNetWidth, box.height() - 4);
        painter.drawRect(picture);
        CNetPainter(*score.drawnNet).Paint(painter, picture.adjusted(2, 2, -2, -2));
    }
}

void StudentPage(QPainter& painter, const QRectF& page, const SStudentResult& student) {
    QFont bold = painter.font();
    bold.setBold(true);
    painter.save();
    painter.setFont(bold);
    painter.drawText(QRectF(page.left(), page.top(), page.width(), 18), Qt::AlignLeft,
                     ToQt(student.login) + QStringLiteral(" — ") + ToQt(student.name));
    painter.restore();
    const SSubmission* latest = student.Latest();
    QStringList head;
    head << (latest != nullptr ? QStringLiteral("Odovzdané: ") + ToQt(KeptTimeText(latest->time))
                               : QStringLiteral("Neodovzdal."))
         << QStringLiteral("Spolu: %1 z %2 bodov (%3 %), %4")
                .arg(Points(student.total), Points(student.maxTotal),
                     Points(student.Percent()), ToQt(StateText(student.state)));
    if (latest != nullptr && !latest->matches) {
        head << ToQt(kMismatchText) + QStringLiteral(": ") + ToQt(latest->mismatch);
    }
    double y = Lines(painter, page.left(), page.top() + 22, page.width(), head, page.bottom());
    if (latest == nullptr || latest->test == nullptr || student.test == nullptr) {
        return;
    }
    const auto questions = QuestionsInFileOrder(*student.test);
    const double height =
        std::min(110.0, (page.bottom() - y - 8) / std::max<double>(1, questions.size()));
    for (std::size_t i = 0; i < questions.size() && i < latest->scores.size(); ++i) {
        Question(painter, QRectF(page.left(), y + 8 + height * i, page.width(), height), i,
                 student, *questions[i]);
    }
}

void SummaryPage(QPainter& painter, const QRectF& page, const SResultsTable& table) {
    std::map<ResultState, int> states;
    double sum = 0;
    int handedIn = 0;
    for (const SStudentResult& student : table.students) {
        ++states[student.state];
        if (student.Latest() != nullptr) {
            sum += student.Percent();
            ++handedIn;
        }
    }
    QStringList lines;
    lines << QStringLiteral("Výsledky skúšky %1").arg(QString::fromStdString(table.run.name))
          << QStringLiteral("Študentov: %1, odovzdali: %2, priemer: %3 %")
                 .arg(table.students.size())
                 .arg(handedIn)
                 .arg(Points(handedIn > 0 ? sum / handedIn : 0));
    for (const auto& [state, count] : states) {
        lines << QStringLiteral("  %1: %2").arg(ToQt(StateText(state))).arg(count);
    }
    double y = Lines(painter, page.left(), page.top(), page.width(), lines, page.bottom());
    const QRectF picture(page.left(), y + 10, page.width(), 240);
    PaintResultsSummary(painter, picture, table);
    QStringList similar{ToQt(kSimilarTitle)};
    for (const SSimilarGroup& group : table.similar) {
        QStringList logins;
        for (const std::u16string& login : group.logins) {
            logins << ToQt(login);
        }
        similar << QStringLiteral("  otázka ID:%1 (%2): %3")
                       .arg(group.questionId)
                       .arg(ToQt(group.title), logins.join(QStringLiteral(", ")));
    }
    Lines(painter, page.left(), picture.bottom() + 16, page.width(), similar, page.bottom());
}

}  // namespace

std::optional<QByteArray> ResultsPdf(const SResultsTable& table,
                                     const std::function<bool(int drawn)>& drawn) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(72);
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    writer.setTitle(QStringLiteral("Výsledky skúšky"));
    QPainter painter(&writer);
    QFont font = painter.font();
    font.setPointSizeF(9);
    painter.setFont(font);
    const QRectF page = writer.pageLayout().paintRectPixels(72);
    const QRectF box(0, 0, page.width(), page.height());
    int pages = 0;
    for (const SStudentResult& student : table.students) {
        StudentPage(painter, box, student);
        if (drawn && !drawn(++pages)) {
            painter.end();
            return std::nullopt;
        }
        writer.newPage();
    }
    SummaryPage(painter, box, table);
    painter.end();
    return bytes;
}

}  // namespace orvane
