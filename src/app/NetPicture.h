// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CNetPicture: one drawn net as a picture. Places are circles with their tokens (dots up to
// five, a number above that) and their capacity where one is set; transitions are rectangles
// at their stored size; arcs run through their bend points with an arrowhead at the place or
// transition they reach, and a weight above 1 stands beside their first segment; labels stand
// at their offsets. The picture fits its box keeping its proportions and is drawn again when
// the box changes; texts keep their size, so they stay readable however the net is scaled.
// Its context menu saves the net as a PNG or an SVG picture.
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "petrinet/PNPetriNet.h"

class QMenu;
class QPainter;

namespace orvane {

class CNetPicture : public QWidget {
    Q_OBJECT

public:
    // Asks for the name of a file to save to: (dialog title, file filter) → a path, or an
    // empty text when the teacher cancels.
    using FileChooser = std::function<QString(const QString& title, const QString& filter)>;

    explicit CNetPicture(QWidget* parent = nullptr);

    // The net to show (none: an empty picture) and the title above it.
    void SetNet(std::shared_ptr<const CPNPetriNet> net, const QString& title);
    // In place of the save dialog (the tests choose the files themselves).
    void SetFileChooser(FileChooser chooser) { chooseFile = std::move(chooser); }

    // Saves what is shown: a PNG twice the size on screen (800 × 600 at least), an SVG of the
    // size on screen; false when the file cannot be written.
    [[nodiscard]] bool SavePng(const QString& path) const;
    [[nodiscard]] bool SaveSvg(const QString& path) const;
    // The context menu: "Uložiť ako PNG…" and "Uložiť ako SVG…".
    QMenu* ContextMenu();

    QSize sizeHint() const override { return {360, 280}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void Paint(QPainter& painter, const QRectF& box) const;
    void Save(const QString& title, const QString& filter,
              const std::function<bool(const QString&)>& save);

    std::shared_ptr<const CPNPetriNet> net;
    QString title;
    FileChooser chooseFile;
    QMenu* menu = nullptr;
};

}  // namespace orvane
