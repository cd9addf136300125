// The runtime's entry point. For now it loads the package it heads and ends.
#include <QApplication>
#include <QCursor>

#include "platform/MessageService.h"
#include "platform/TempPath.h"
#include "runtime/LoadPackage.h"

namespace {
class QuietMedia : public PackageMedia {
public:
    void hideFlashPlayer() override {}
    void showFlashPlayer() override {}
    void startMusic(const QString &) override {}
    void startMovie(const QString &) override {}
    void hidePointer() override {}
    QPoint pointerPosition() override { return QCursor::pos(); }
    void effectError() override
    {
        MessageService::message(
            QStringLiteral("Error al cargar efectos, crealo otra vez este proyector de pantalla   !"));
    }
};
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("NUVIRA "));
    PlayerState state;
    QuietMedia media;
    try {
        TempDir = TempPath::path();
    } catch (const TempPathError &e) {
        MessageService::message(QString::fromLocal8Bit(e.what()));
        return 1;
    }
    return LoadPackage(QCoreApplication::applicationFilePath(), state, media) ? 0 : 1;
}
