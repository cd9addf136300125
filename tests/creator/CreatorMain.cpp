// The creator's tests run with the creator's own application object (whose error report
// turns an exception that leaves an event handler into a message box) on the offscreen
// platform, under the application title the window uses in its messages.
#include "platform/Application.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
    Application app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("NUVIRA "));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
