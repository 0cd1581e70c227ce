// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ImportDlg.h"

#include "app/WidgetText.h"
#include "ui_ImportDlg.h"

namespace orvane {
namespace {

QString EncodingName(CAccountTable::Encoding encoding) {
    switch (encoding) {
        case CAccountTable::Encoding::Utf8:
            return QStringLiteral("UTF-8");
        case CAccountTable::Encoding::Utf16:
            return QStringLiteral("UTF-16");
        case CAccountTable::Encoding::Windows1250:
            return QStringLiteral("Windows-1250");
    }
    return {};
}

QString SeparatorName(char16_t separator) {
    switch (separator) {
        case u'\t':
            return QStringLiteral("tabulátor");
        case u';':
            return QStringLiteral("bodkočiarka");
        default:
            return QStringLiteral("čiarka");
    }
}

// The line of the summary that tells why a line of the file is refused.
QString RefusalText(const CAccountImport::RefusedLine& refused) {
    using Refusal = CAccountImport::Refusal;
    const QString login = ToQt(refused.login);
    QString reason;
    switch (refused.reason) {
        case Refusal::EmptyLogin:
            reason = QStringLiteral("chýba prihlasovacie meno");
            break;
        case Refusal::SpaceInLogin:
            reason = QStringLiteral("prihlasovacie meno „%1“ obsahuje medzeru").arg(login);
            break;
        case Refusal::LoginExists:
            reason = QStringLiteral("konto „%1“ už existuje").arg(login);
            break;
        case Refusal::LoginRepeated:
            reason = QStringLiteral("prihlasovacie meno „%1“ je už na riadku %2")
                         .arg(login)
                         .arg(refused.firstLine);
            break;
        case Refusal::SpaceInPassword:
            reason = QStringLiteral("heslo konta „%1“ obsahuje medzeru").arg(login);
            break;
        case Refusal::UnknownTeacherMark:
            reason =
                QStringLiteral("pri konte „%1“ nie je jasné, či je učiteľ (napíšte áno alebo nie)")
                    .arg(login);
            break;
    }
    return QStringLiteral("Riadok %1: %2").arg(refused.line).arg(reason);
}

}  // namespace

CImportDlg::CImportDlg(const QString& fileName, const CAccountTable& table,
                       const CAccountImport& plan, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::ImportDlg>()) {
    ui->setupUi(this);
    connect(ui->importButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    ShowFile(fileName, table, plan.HasHeader());
    if (plan.GetNotTextLine() != 0) {
        ShowNotText(plan.GetNotTextLine());
    } else {
        ShowAccounts(plan);
        ShowRefused(plan);
    }
    (ui->importButton->isEnabled() ? ui->importButton : ui->cancelButton)->setFocus();
}

CImportDlg::~CImportDlg() = default;

void CImportDlg::ShowFile(const QString& fileName, const CAccountTable& table, bool header) {
    ui->fileLabel->setText(QStringLiteral("Súbor %1: kódovanie %2, oddeľovač %3, %4.")
                               .arg(fileName, EncodingName(table.GetEncoding()),
                                    SeparatorName(table.GetSeparator()),
                                    header ? QStringLiteral("prvý riadok je hlavička")
                                           : QStringLiteral("bez hlavičky")));
}

void CImportDlg::ShowNotText(int line) {
    ui->accountsLabel->setText(
        QStringLiteral("Súbor nie je textový zoznam kont: na riadku %1 je riadiaci znak "
                       "(napríklad bajt 0), aký v texte nebýva. Z tohto súboru sa nič "
                       "neimportuje; uložte zoznam z tabuľkového programu ako CSV alebo text.")
            .arg(line));
    ui->importButton->setEnabled(false);
    ui->accountTable->hide();
    ui->refusedLabel->hide();
    ui->refusedList->hide();
}

void CImportDlg::ShowAccounts(const CAccountImport& plan) {
    const auto& accounts = plan.GetAccounts();
    const int count = static_cast<int>(accounts.size());
    const int teachers = plan.GetTeacherCount();
    ui->accountsLabel->setText(
        count == 0 ? QStringLiteral("Zo súboru sa nedá importovať žiadne konto.")
                   : QStringLiteral("Kontá na import: %1 (študenti: %2, učitelia: %3, "
                                    "s vygenerovaným heslom: %4).")
                         .arg(count)
                         .arg(count - teachers)
                         .arg(teachers)
                         .arg(plan.GetGeneratedPasswordCount()));
    ui->importButton->setEnabled(count > 0);
    ui->accountTable->setRowCount(count);
    for (int row = 0; row < count; ++row) {
        const ListedAccount& account = accounts[row];
        const QString password =
            account.password.empty() ? QStringLiteral("(vygeneruje sa)") : ToQt(account.password);
        const QStringList cells{QString::number(account.line), ToQt(account.login),
                                ToQt(account.name), password,
                                ToQt(CAccountTable::TeacherMark(account.teacher))};
        for (int column = 0; column < cells.size(); ++column) {
            ui->accountTable->setItem(row, column, new QTableWidgetItem(cells[column]));
        }
    }
    ui->accountTable->resizeColumnsToContents();
}

void CImportDlg::ShowRefused(const CAccountImport& plan) {
    const auto& refused = plan.GetRefused();
    ui->refusedLabel->setText(
        refused.empty()
            ? QStringLiteral("Odmietnuté riadky: žiadne.")
            : QStringLiteral("Odmietnuté riadky, ktoré sa neimportujú: %1").arg(refused.size()));
    ui->refusedList->setVisible(!refused.empty());
    for (const auto& line : refused) {
        ui->refusedList->addItem(RefusalText(line));
    }
}

}  // namespace orvane
