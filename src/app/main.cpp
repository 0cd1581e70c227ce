// Orvane: the administration window of the Petri-net examination server.
#include <QApplication>

#include "app/OrvaneApp.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    QApplication::setApplicationVersion(QStringLiteral(ORVANE_VERSION));
    orvane::COrvaneApp::InstallQtTranslations();
    return orvane::COrvaneApp().Run();
}
