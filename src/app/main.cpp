// Orvane: the administration window of the Petri-net examination server.
#include <QApplication>

#include "app/OrvaneApp.h"
#include "common/WriteSignals.h"

int main(int argc, char* argv[]) {
    orvane::IgnoreWriteSignals();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    QApplication::setApplicationVersion(QStringLiteral(ORVANE_VERSION));
    return orvane::COrvaneApp().Run();
}
