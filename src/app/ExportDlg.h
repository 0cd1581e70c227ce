// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CExportDlg: "Export ...": where to write the list of every account (CSV, for a spreadsheet
// and for an import into another server) and the students' login slips (PDF), and which
// server address the slips name. "Exportovať" writes the files chosen and closes. Both hold
// passwords, so they are made readable by their owner only, and never in the server's working
// folder, from which any logged-in client could download them; a file that cannot be written
// keeps the window open with a message.
#include <QDialog>
#include <memory>
#include <vector>

#include "users/AccountTable.h"

class QLineEdit;

namespace Ui {
class ExportDlg;
}

namespace orvane {

class CExportDlg : public QDialog {
    Q_OBJECT

public:
    // `accounts` in the order in which the files list them.
    explicit CExportDlg(std::vector<ListedAccount> accounts, QWidget* parent = nullptr);
    ~CExportDlg() override;

    void accept() override;

    // This machine's IPv4 addresses other than the loopback ones, joined by ", ".
    static QString MachineAddresses();

private:
    void Browse(QLineEdit* field, const QString& filter);
    // Says why a file cannot go to `path`; false when it can.
    bool Refuses(const QString& path);
    bool Write(const QString& path, const QByteArray& bytes);
    void Warn(const QString& text);

    std::unique_ptr<Ui::ExportDlg> ui;
    std::vector<ListedAccount> accounts;
};

}  // namespace orvane
