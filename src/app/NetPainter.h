// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CNetPainter: paints one drawn net into a box of a QPainter, for the window and for the PNG
// and SVG pictures alike. The net's drawing units are scaled to fit the box, keeping their
// proportions; texts are set in the painter's font at its own size.
#include <QPointF>
#include <QRectF>

#include "petrinet/PNPetriNet.h"

class QPainter;

namespace orvane {

class CNetPainter {
public:
    // A net is never scaled up more than this: a net of two elements stays small.
    static constexpr double kLargestScale = 2.5;

    explicit CNetPainter(const CPNPetriNet& net);

    void Paint(QPainter& painter, const QRectF& box);

private:
    QRectF Bounds() const;
    QPointF Map(double x, double y) const { return origin + QPointF(x, y) * scale; }
    static QPointF Centre(const CPNObject& element);
    void Arc(QPainter& painter, const CPNObject& source, const CPNObject::Arc& arc) const;
    void Arrowhead(QPainter& painter, QPointF from, QPointF to) const;
    void Place(QPainter& painter, const CPNObject& place) const;
    void Tokens(QPainter& painter, const CPNObject& place) const;
    void Transition(QPainter& painter, const CPNObject& transition) const;
    void Label(QPainter& painter, const CPNObject& element) const;

    const CPNPetriNet& net;
    QPointF origin;
    double scale = 1;
};

}  // namespace orvane
