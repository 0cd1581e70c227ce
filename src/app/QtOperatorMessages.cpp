#include "app/QtOperatorMessages.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

namespace orvane {

CQtOperatorMessages::CQtOperatorMessages(QWidget* messageWindow)
    : QObject(nullptr), window(messageWindow) {}

void CQtOperatorMessages::Show(const std::string& message) {
    if (QThread::currentThread() == thread()) {
        ShowOnWindowThread(message);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, &message] { ShowOnWindowThread(message); }, Qt::BlockingQueuedConnection);
}

void CQtOperatorMessages::ShowOnWindowThread(const std::string& message) {
    QMessageBox box(QMessageBox::Information, QApplication::applicationName(),
                    QString::fromStdString(message), QMessageBox::Ok, window);
    box.exec();
}

}  // namespace orvane
