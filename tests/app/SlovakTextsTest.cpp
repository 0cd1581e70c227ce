// SPDX-License-Identifier: GPL-3.0-or-later
// The texts that the program adds to its windows, and Qt's own, are Slovak.
#include <QDialogButtonBox>
#include <QDir>
#include <QFileIconProvider>
#include <QLabel>

#include "GuiTestSupport.h"
#include "app/AboutDlg.h"

namespace orvane {
namespace {

class SlovakTexts : public test::GuiTest {};

TEST_F(SlovakTexts, QtsOwnTextsComeFromItsSlovakTranslations) {
    ASSERT_TRUE(QDir().mkdir(QStringLiteral("podpriecinok")));
    QDialogButtonBox buttons(QDialogButtonBox::Yes | QDialogButtonBox::No |
                             QDialogButtonBox::Cancel | QDialogButtonBox::Open);
    const QFileIconProvider icons;
    const std::pair<QString, QString> shown[] = {
        {buttons.button(QDialogButtonBox::Yes)->text(), "Án&o"},
        {buttons.button(QDialogButtonBox::Cancel)->text(), "Zrušiť"},
        {buttons.button(QDialogButtonBox::Open)->text(), "Otvoriť"},
        // the type column of the file dialog's list
        {icons.type(QFileInfo(QStringLiteral("podpriecinok"))), "Priečinok"},
        {QCoreApplication::translate("QFileDialog", "Look in:"), "Hľadať v:"},
    };
    for (const auto& [text, slovak] : shown) {
        EXPECT_EQ(text.toStdString(), slovak.toStdString());
    }
}

TEST_F(SlovakTexts, TheAboutWindowAndItsMenuEntry) {
    const CAboutDlg about;
    EXPECT_EQ(CAboutDlg::MenuEntryText(), QStringLiteral("&O programe Orvane..."));
    EXPECT_EQ(about.windowTitle(), QStringLiteral("O programe Orvane"));
    EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("versionLabel"))->text(),
              QStringLiteral("Verzia " ORVANE_VERSION));
    EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("purposeLabel"))->text(),
              QStringLiteral("Server skúšobného systému Petriho sietí: kontá, testy a vzdialený "
                             "prístup."));
}

}  // namespace
}  // namespace orvane
