// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/OrvaneApp.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>

#include "app/OrvaneDlg.h"
#include "app/SlovakQtTranslator.h"

namespace orvane {

void COrvaneApp::InstallQtTranslations() {
    QLocale::setDefault(QLocale(QLocale::Slovak, QLocale::Slovakia));
    auto* translator = new CSlovakQtTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral("qtbase_sk"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
    }
}

bool COrvaneApp::CanCreateSockets() {
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    if (probe < 0) {
        return false;
    }
    ::close(probe);
    return true;
}

int COrvaneApp::Run(SocketCheck socketCheck) {
    if (!socketCheck()) {
        QMessageBox::critical(nullptr, QApplication::applicationName(),
                              QStringLiteral("Windows sockets initialization failed."));
        return 1;
    }
    COrvaneDlg window;
    switch (window.Open()) {
        case COrvaneDlg::OpenResult::Accepted:
            window.exec();
            return 0;
        case COrvaneDlg::OpenResult::Cancelled:
            return 0;
        case COrvaneDlg::OpenResult::Unreadable:
            break;
    }
    return 1;
}

}  // namespace orvane
