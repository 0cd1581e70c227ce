// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CLoginSlips: the slips that a teacher prints, cuts apart and hands out, one per student:
// full name, login, password and the server's address, ten to an A4 page between dashed cut
// lines. Logins and passwords are set in a fixed-width font, where 0 and O, l and 1 differ,
// and always whole: a long one gets a smaller font and then more lines. The PDF is made by
// Qt's own writer.
#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QPointF>
#include <QString>
#include <vector>

#include "users/AccountTable.h"

class QPainter;
class QPaintDevice;
class QRectF;
class QSizeF;

namespace orvane {

class CLoginSlips {
public:
    static constexpr int kColumns = 2;
    static constexpr int kRows = 5;
    static constexpr int kResolution = 300;  // dots per inch of the pages

    // One line of text on a slip, with the left end of its baseline.
    struct SlipLine {
        QPointF at;
        QFont font;
        QColor colour;
        QString text;
    };

    // The students among `accounts`, in their order; an empty `server` is left off the slips.
    CLoginSlips(const std::vector<ListedAccount>& accounts, QString server);

    int GetSlipCount() const { return static_cast<int>(students.size()); }
    int GetPageCount() const;
    QByteArray Pdf() const;
    // Draws page `page` (from 0) onto a painter whose device has kResolution dots per inch;
    // `area` is the printable part of the page, in dots.
    void DrawPage(QPainter& painter, const QSizeF& area, int page) const;
    // The lines of one student's slip in `cell`, measured for `device`.
    std::vector<SlipLine> LayOut(const QRectF& cell, const ListedAccount& student,
                                 QPaintDevice* device) const;

private:
    void DrawCutLines(QPainter& painter, const QSizeF& cell, int slips) const;

    std::vector<ListedAccount> students;
    QString server;
};

}  // namespace orvane
