// The runtime's entry point: the screensaver switches choose the preview, the configure
// message or the full-screen show.
#include <QApplication>

#include "platform/Application.h"
#include "runtime/ModeChoice.h"
#include "runtime/Unitprewin.h"
#include "runtime/unithead.h"

int main(int argc, char **argv)
{
    // The switches as the process received them, before Qt takes out the options it
    // knows (a screensaver switch must never be mistaken for one of those).
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    const ModeChoice choice = ChooseMode(args);
    Application app(argc, argv);

    switch (choice.mode) {
    case RunMode::Preview:
        return RunPreview(choice.previewHost);
    case RunMode::Configure:
        return RunConfigure();
    case RunMode::Show:
        break;
    }

    QCoreApplication::setApplicationName(TForm1::title());
    TForm1 form;
    form.showCoveringScreen();
    return app.exec();
}
