// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CImportDlg: what a teacher reads before an import changes anything: how the file was read
// (encoding, separator, header), the accounts that would be added, and every line that cannot
// become an account, with its number and the reason. "Importovať" confirms; it is offered only
// when there is something to add, and never for a file that is not text.
#include <QDialog>
#include <memory>

#include "users/AccountImport.h"
#include "users/AccountTable.h"

namespace Ui {
class ImportDlg;
}

namespace orvane {

class CImportDlg : public QDialog {
    Q_OBJECT

public:
    CImportDlg(const QString& fileName, const CAccountTable& table, const CAccountImport& plan,
               QWidget* parent = nullptr);
    ~CImportDlg() override;

private:
    void ShowFile(const QString& fileName, const CAccountTable& table, bool header);
    void ShowNotText(int line);
    void ShowAccounts(const CAccountImport& plan);
    void ShowRefused(const CAccountImport& plan);

    std::unique_ptr<Ui::ImportDlg> ui;
};

}  // namespace orvane
