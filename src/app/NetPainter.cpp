// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/NetPainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <array>
#include <cmath>

#include "petrinet/PNLabel.h"
#include "petrinet/PNPlace.h"

namespace orvane {
namespace {

// Room around the net, in pixels.
constexpr double kMargin = 14;
// How far two arcs between the same two elements, one each way, stand apart (drawing units).
constexpr int kPairShift = 4;
constexpr double kArrowLength = 9;
constexpr int kMostDots = 5;
constexpr double kLetterWidth = 7;

// Where the dots of 1 to 5 tokens stand, in radii from the centre.
constexpr std::array<std::array<QPointF, kMostDots>, kMostDots> kDots{{
    {{{0, 0}}},
    {{{-0.35, 0}, {0.35, 0}}},
    {{{0, -0.35}, {-0.35, 0.3}, {0.35, 0.3}}},
    {{{-0.33, -0.33}, {0.33, -0.33}, {-0.33, 0.33}, {0.33, 0.33}}},
    {{{-0.4, -0.4}, {0.4, -0.4}, {0, 0}, {-0.4, 0.4}, {0.4, 0.4}}},
}};

bool IsNode(const CPNObject& element) {
    return element.GetType() == kNodeType;
}

bool LeadsBack(const CPNObject& from, const CPNObject& to) {
    for (const auto& arc : to.Arcs()) {
        if (arc.target.get() == &from) {
            return true;
        }
    }
    return false;
}

}  // namespace

CNetPainter::CNetPainter(const CPNPetriNet& painted) : net(painted) {}

QPointF CNetPainter::Centre(const CPNObject& element) {
    return element.GetType() == kTransitionType
               ? QPointF(element.GetX() + element.GetWidth() / 2.0,
                         element.GetY() + element.GetHeight() / 2.0)
               : QPointF(element.GetX(), element.GetY());
}

QRectF CNetPainter::Bounds() const {
    QRectF bounds;
    const auto add = [&](const QRectF& area) {
        bounds = bounds.isNull() ? area : bounds.united(area);
    };
    for (const auto& element : net.Elements()) {
        const double x = element->GetX(), y = element->GetY();
        if (element->GetType() == kPlaceType) {
            const double r = element->GetRadius();
            add(QRectF(x - r, y - r, 2 * r, 2 * r));
        } else if (element->GetType() == kTransitionType) {
            add(QRectF(x, y, element->GetWidth(), element->GetHeight()));
        } else {
            add(QRectF(x, y, 1, 1));
        }
        if (const auto label = element->GetLabel()) {
            // The text's size on screen is not known here: about 7 units a letter.
            const double width = kLetterWidth * static_cast<double>(label->GetText().size());
            add(QRectF(x + label->GetX(), y + label->GetY() - 12, std::max(width, 1.0), 12));
        }
    }
    return bounds;
}

void CNetPainter::Paint(QPainter& painter, const QRectF& box) {
    const QRectF bounds = Bounds();
    if (bounds.isNull()) {
        painter.drawText(box, Qt::AlignCenter, QStringLiteral("Sieť je prázdna."));
        return;
    }
    const QRectF inside = box.adjusted(kMargin, kMargin + 8, -kMargin, -kMargin);
    scale = std::min({inside.width() / std::max(bounds.width(), 1.0),
                      inside.height() / std::max(bounds.height(), 1.0), kLargestScale});
    origin = inside.center() - bounds.center() * scale;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.5));
    for (const auto& element : net.Elements()) {
        for (const auto& arc : element->Arcs()) {
            Arc(painter, *element, arc);
        }
    }
    for (const auto& element : net.Elements()) {
        if (element->GetType() == kPlaceType) {
            Place(painter, *element);
        } else if (element->GetType() == kTransitionType) {
            Transition(painter, *element);
        }
        Label(painter, *element);
    }
    painter.restore();
}

void CNetPainter::Arc(QPainter& painter, const CPNObject& source, const CPNObject::Arc& arc) const {
    const CPNObject& target = *arc.target;
    const bool fromNode = IsNode(source), toNode = IsNode(target);
    const int shift = !fromNode && !toNode && LeadsBack(source, target) ? kPairShift : 0;
    const QPointF aim = Centre(target), back = Centre(source);
    // An element's outline, from the place's and transition's own geometry; a node is a point.
    const auto end = [&](const CPNObject& element, QPointF toward, int across) {
        return IsNode(element) ? Centre(element)
                               : QPointF(element.BorderX(toward.x(), toward.y(), 0, across),
                                         element.BorderY(toward.x(), toward.y(), 0, across));
    };
    const QPointF from = Map(end(source, aim, shift).x(), end(source, aim, shift).y());
    const QPointF to = Map(end(target, back, -shift).x(), end(target, back, -shift).y());
    painter.drawLine(from, to);
    if (!toNode) {
        Arrowhead(painter, from, to);
    }
    if (!fromNode && arc.weight != 1) {
        const QPointF middle = (from + to) / 2;
        const QPointF along = to - from;
        const double length = std::max(std::hypot(along.x(), along.y()), 1.0);
        const QPointF side(along.y() / length * 9, -along.x() / length * 9);
        const QString text = QString::number(arc.weight);
        const QRectF area(middle + side - QPointF(20, 10), QSizeF(40, 20));
        painter.drawText(area, Qt::AlignCenter, text);
    }
}

void CNetPainter::Arrowhead(QPainter& painter, QPointF from, QPointF to) const {
    const double angle = std::atan2(to.y() - from.y(), to.x() - from.x());
    QPainterPath head(to);
    for (const double side : {0.4, -0.4}) {
        head.lineTo(to - QPointF(std::cos(angle + side), std::sin(angle + side)) * kArrowLength);
    }
    head.closeSubpath();
    painter.fillPath(head, painter.pen().color());
}

void CNetPainter::Place(QPainter& painter, const CPNObject& place) const {
    const QPointF centre = Map(place.GetX(), place.GetY());
    const double radius = std::max(place.GetRadius() * scale, 4.0);
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, radius, radius);
    painter.setBrush(Qt::NoBrush);
    Tokens(painter, place);
    if (place.GetCapacity() != CPNPlace::kDefaultCapacity) {
        const QPointF corner = centre + QPointF(radius * 0.75, -radius * 0.75);
        painter.drawText(corner + QPointF(3, -3), QStringLiteral("K=%1").arg(place.GetCapacity()));
    }
}

void CNetPainter::Tokens(QPainter& painter, const CPNObject& place) const {
    const QPointF centre = Map(place.GetX(), place.GetY());
    const double radius = std::max(place.GetRadius() * scale, 4.0);
    const int tokens = place.GetTokens();
    if (tokens == 0) {
        return;
    }
    if (tokens < 0 || tokens > kMostDots) {
        const QRectF area(centre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius));
        painter.drawText(area, Qt::AlignCenter, QString::number(tokens));
        return;
    }
    const double dot = std::max(radius * 0.14, 2.0);
    painter.setBrush(Qt::black);
    for (int i = 0; i < tokens; ++i) {
        painter.drawEllipse(centre + kDots[tokens - 1][i] * radius, dot, dot);
    }
    painter.setBrush(Qt::NoBrush);
}

void CNetPainter::Transition(QPainter& painter, const CPNObject& transition) const {
    const QPointF corner = Map(transition.GetX(), transition.GetY());
    const QSizeF size(std::max(transition.GetWidth() * scale, 3.0),
                      std::max(transition.GetHeight() * scale, 3.0));
    painter.setBrush(QColor(0x33, 0x33, 0x33));
    painter.drawRect(QRectF(corner, size));
    painter.setBrush(Qt::NoBrush);
}

void CNetPainter::Label(QPainter& painter, const CPNObject& element) const {
    const auto label = element.GetLabel();
    if (label == nullptr || label->GetText().empty()) {
        return;
    }
    const QPointF at = Map(element.GetX() + label->GetX(), element.GetY() + label->GetY());
    painter.drawText(at, QString::fromStdU16String(label->GetText()));
}

}  // namespace orvane
