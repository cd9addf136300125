// The runtime's tests run inside the program's own application object, so an exception
// that leaves an event handler is reported the way the program reports it.
#include <gtest/gtest.h>

#include "platform/Application.h"

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
    ::testing::InitGoogleTest(&argc, argv);
    Application app(argc, argv);
    Application::setApplicationName(QStringLiteral("NUVIRA "));
    return RUN_ALL_TESTS();
}
