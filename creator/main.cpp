// The creator: one main window, the wizard that builds NUVIRA screensavers.
#include "creator/mainUnit.h"
#include "platform/Application.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>

int main(int argc, char **argv)
{
    Application app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QCoreApplication::setApplicationName(QStringLiteral("NUVIRA "));
    QGuiApplication::setDesktopFileName(QStringLiteral("nuvira"));

    auto *window = new TSaverForm;
    window->setAttribute(Qt::WA_DeleteOnClose); // closing frees the window and ends the program
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window->setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window->size(),
                                                screen->availableGeometry()));
    window->show();
    return app.exec();
}
