// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/NetPicture.h"

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QSvgGenerator>

#include "app/NetPainter.h"

namespace orvane {
namespace {

// Saved pictures are at least this large, and twice the box on screen otherwise.
constexpr QSize kSmallestPicture(800, 600);
constexpr int kPictureScale = 2;
constexpr int kTitleHeight = 22;

}  // namespace

CNetPicture::CNetPicture(QWidget* parent)
    : QWidget(parent), chooseFile([this](const QString& caption, const QString& filter) {
          return QFileDialog::getSaveFileName(this, caption, QString(), filter);
      }) {
    setMinimumSize(160, 120);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void CNetPicture::SetNet(std::shared_ptr<const CPNPetriNet> shown, const QString& heading) {
    net = std::move(shown);
    title = heading;
    update();
}

void CNetPicture::Paint(QPainter& painter, const QRectF& box) const {
    painter.fillRect(box, Qt::white);
    painter.setPen(Qt::black);
    QFont bold = painter.font();
    bold.setBold(true);
    painter.save();
    painter.setFont(bold);
    painter.drawText(box.adjusted(6, 2, -6, 0), Qt::AlignLeft | Qt::AlignTop, title);
    painter.restore();
    const QRectF below = box.adjusted(0, kTitleHeight, 0, 0);
    if (net == nullptr) {
        painter.drawText(below, Qt::AlignCenter, QStringLiteral("Bez siete."));
        return;
    }
    CNetPainter(*net).Paint(painter, below);
}

void CNetPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    Paint(painter, rect());
}

bool CNetPicture::SavePng(const QString& path) const {
    const QSize size = (this->size() * kPictureScale).expandedTo(kSmallestPicture);
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QFont larger = font();
        larger.setPointSizeF(larger.pointSizeF() * kPictureScale);
        painter.setFont(larger);
        Paint(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    return image.save(path, "PNG");
}

bool CNetPicture::SaveSvg(const QString& path) const {
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(size());
    svg.setViewBox(rect());
    svg.setTitle(title);
    QPainter painter;
    if (!painter.begin(&svg)) {
        return false;
    }
    painter.setFont(font());
    Paint(painter, rect());
    return painter.end();
}

void CNetPicture::Save(const QString& caption, const QString& filter,
                       const std::function<bool(const QString&)>& save) {
    const QString path = chooseFile(caption, filter);
    if (!path.isEmpty() && !save(path)) {
        QMessageBox::warning(this, caption,
                             QStringLiteral("Obrázok sa nepodarilo uložiť: %1").arg(path));
    }
}

QMenu* CNetPicture::ContextMenu() {
    if (menu == nullptr) {
        menu = new QMenu(this);
        menu->addAction(QStringLiteral("Uložiť ako PNG…"), this, [this] {
            Save(QStringLiteral("Uložiť sieť ako PNG"), QStringLiteral("Obrázok PNG (*.png)"),
                 [this](const QString& path) { return SavePng(path); });
        });
        menu->addAction(QStringLiteral("Uložiť ako SVG…"), this, [this] {
            Save(QStringLiteral("Uložiť sieť ako SVG"), QStringLiteral("Obrázok SVG (*.svg)"),
                 [this](const QString& path) { return SaveSvg(path); });
        });
    }
    return menu;
}

void CNetPicture::contextMenuEvent(QContextMenuEvent* event) {
    ContextMenu()->exec(event->globalPos());
}

}  // namespace orvane
