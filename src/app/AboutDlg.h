// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CAboutDlg: the About window, opened from the administration window's context menu.
#include <QDialog>
#include <memory>

namespace Ui {
class AboutDlg;
}

namespace orvane {

class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    ~CAboutDlg() override;

    // The context menu's entry that opens the window.
    static QString MenuEntryText();

private:
    std::unique_ptr<Ui::AboutDlg> ui;
};

}  // namespace orvane
