#include "platform/Application.h"
#include "platform/MessageService.h"

#include <exception>

Application::Application(int &argc, char **argv) : QApplication(argc, argv) {}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        MessageService::message(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        MessageService::message(QStringLiteral("Error"));
    }
    return false;
}
