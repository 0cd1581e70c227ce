// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/NetView.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSplitter>
#include <QVBoxLayout>
#include <optional>

#include "analysis/NetComparison.h"
#include "analysis/PropertyText.h"
#include "app/NetPicture.h"

namespace orvane {
namespace {

QString Section(const QString& heading, const std::vector<std::u16string>& lines) {
    QString text = heading + QLatin1Char('\n');
    for (const auto& line : lines) {
        text += QStringLiteral("• ") + QString::fromStdU16String(line) + QLatin1Char('\n');
    }
    return text;
}

// What the worker reads: the meaning of each net, taken on the window's thread.
struct SWork {
    std::optional<CNetStructure> drawn;
    std::optional<CNetStructure> solution;
    bool compare = false;
    QString drawnHeading;
};

QString Analysed(const SWork& work, const SExploreLimits& limits) {
    QString text;
    if (work.drawn) {
        text += Section(work.drawnHeading, PropertyLines(AnalyseNet(*work.drawn, limits)));
    }
    if (work.solution) {
        text +=
            Section(QStringLiteral("Riešenie:"), PropertyLines(AnalyseNet(*work.solution, limits)));
    }
    if (work.compare) {
        text += Section(QStringLiteral("Porovnanie s riešením:"),
                        ComparisonLines(CompareNets(*work.drawn, *work.solution, limits)));
    }
    return text.isEmpty() ? QStringLiteral("Otázka nemá sieť.") : text;
}

}  // namespace

CNetView::CNetView(QWidget* parent)
    : QWidget(parent),
      drawn(new CNetPicture),
      solution(new CNetPicture),
      working(new QProgressBar),
      properties(new QPlainTextEdit) {
    auto* pictures = new QSplitter(Qt::Horizontal);
    pictures->addWidget(drawn);
    pictures->addWidget(solution);
    auto* box = new QGroupBox(QString::fromStdU16String(std::u16string(kPropertiesTitle)));
    auto* column = new QVBoxLayout(box);
    working->setRange(0, 0);  // moving to and fro: no end is known
    working->setTextVisible(false);
    working->hide();
    properties->setReadOnly(true);
    properties->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    column->addWidget(working);
    column->addWidget(properties);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(pictures, 3);
    row->addWidget(box, 2);
}

CNetView::~CNetView() {
    Stop();
}

void CNetView::Stop() {
    if (cancel != nullptr) {
        cancel->store(true);
    }
    if (worker.joinable()) {
        worker.join();
    }
}

void CNetView::SetNets(std::shared_ptr<const CPNPetriNet> drawnNet,
                       std::shared_ptr<const CPNPetriNet> solutionNet, bool submission) {
    Stop();
    const QString heading =
        submission ? QStringLiteral("Nakreslená sieť") : QStringLiteral("Zadaná sieť");
    drawn->SetNet(drawnNet, heading);
    solution->SetNet(solutionNet, QStringLiteral("Riešenie"));
    solution->setVisible(solutionNet != nullptr);
    SWork work;
    work.drawnHeading = heading + QLatin1Char(':');
    if (drawnNet != nullptr) {
        work.drawn = CNetStructure::FromDrawing(*drawnNet);
    }
    if (solutionNet != nullptr) {
        work.solution = CNetStructure::FromDrawing(*solutionNet);
    }
    work.compare = submission && drawnNet != nullptr && solutionNet != nullptr &&
                   !drawnNet->IsEmpty() && !solutionNet->IsEmpty();
    properties->setPlainText(QStringLiteral("Počítam vlastnosti siete…"));
    working->show();
    cancel = std::make_shared<std::atomic<bool>>(false);
    const unsigned started = ++round;
    worker = std::thread([this, work = std::move(work), stop = cancel, started] {
        SExploreLimits limits;
        limits.cancel = stop.get();
        const QString text = Analysed(work, limits);
        if (!stop->load()) {
            // Runs on the window's thread; dropped if the view is gone by then.
            QMetaObject::invokeMethod(
                this, [this, started, text] { Show(started, text); }, Qt::QueuedConnection);
        }
    });
}

void CNetView::Show(unsigned shown, const QString& text) {
    if (shown != round) {
        return;  // the answer for nets no longer shown
    }
    working->hide();
    properties->setPlainText(text);
    emit AnalysisShown();
}

QString CNetView::PropertiesText() const {
    return properties->toPlainText();
}

bool CNetView::IsWorking() const {
    return !working->isHidden();
}

}  // namespace orvane
