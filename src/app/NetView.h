// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CNetView: a question's nets as pictures with their properties: the net the student works
// on (or, for a submission, the net the student drew) beside the solution net, and under
// "Vlastnosti siete" the analysis of both in the lines a teacher reads, and for a submission
// whether the drawn net equals the solution. The analysis runs on a thread of its own, so a
// big net never stops the window; until it is done the box says that it is working.
#include <QString>
#include <QWidget>
#include <atomic>
#include <memory>
#include <thread>

#include "petrinet/PNPetriNet.h"

class QPlainTextEdit;
class QProgressBar;
class QSplitter;

namespace orvane {

class CNetPicture;

class CNetView : public QWidget {
    Q_OBJECT

public:
    explicit CNetView(QWidget* parent = nullptr);
    ~CNetView() override;

    // Shows the nets (either may be none) and starts their analysis; `submission`: the first
    // net is one a student drew, to be compared with the solution.
    void SetNets(std::shared_ptr<const CPNPetriNet> drawn,
                 std::shared_ptr<const CPNPetriNet> solution, bool submission);

    CNetPicture* DrawnPicture() const { return drawn; }
    CNetPicture* SolutionPicture() const { return solution; }
    QString PropertiesText() const;
    bool IsWorking() const;

signals:
    // The properties of the nets last set are shown.
    void AnalysisShown();

private:
    void Stop();
    void Show(unsigned round, const QString& text);

    CNetPicture* drawn;
    CNetPicture* solution;
    QProgressBar* working;
    QPlainTextEdit* properties;
    std::thread worker;
    std::shared_ptr<std::atomic<bool>> cancel;
    unsigned round = 0;
};

}  // namespace orvane
