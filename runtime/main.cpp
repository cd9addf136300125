// The runtime's entry point: the screensaver switches choose the preview, the configure
// message or the full-screen show.
#include <QApplication>

#include "platform/Application.h"
#include "platform/MessageService.h"
#include "runtime/ModeChoice.h"
#include "runtime/Unitprewin.h"
#include "runtime/unithead.h"

int main(int argc, char **argv)
{
    Application app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    if (!args.isEmpty()) args.removeFirst();
    const ModeChoice choice = ChooseMode(args);

    switch (choice.mode) {
    case RunMode::Preview:
        return RunPreview(choice.previewHost);
    case RunMode::Configure:
        MessageService::box(QStringLiteral("No tiene ninguna configuración el screensaver ."),
                            QStringLiteral("Información"), MsgIcon::None, MsgButtons::Ok);
        return 0;
    case RunMode::Show:
        break;
    }

    QCoreApplication::setApplicationName(TForm1::title());
    TForm1 form;
    form.showCoveringScreen();
    return app.exec();
}
