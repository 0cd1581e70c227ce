#pragma once
// CLoginSlips: the slips that a teacher prints, cuts apart and hands out, one per student:
// full name, login, password and the server's address, ten to an A4 page between dashed cut
// lines. Logins and passwords are set in a fixed-width font, where 0 and O, l and 1 differ.
// The PDF is made by Qt's own writer.
#include <QByteArray>
#include <QString>
#include <vector>

#include "users/AccountTable.h"

class QPainter;
class QRectF;

namespace orvane {

class CLoginSlips {
public:
    static constexpr int kColumns = 2;
    static constexpr int kRows = 5;

    // The students among `accounts`, in their order; an empty `server` is left off the slips.
    CLoginSlips(const std::vector<ListedAccount>& accounts, QString server);

    int GetSlipCount() const { return static_cast<int>(students.size()); }
    QByteArray Pdf() const;

private:
    void DrawSlip(QPainter& painter, const QRectF& cell, const ListedAccount& student) const;

    std::vector<ListedAccount> students;
    QString server;
};

}  // namespace orvane
