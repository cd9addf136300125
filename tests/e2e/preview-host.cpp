// A stand-in for the desktop's screensaver settings: a plain window whose area hosts a
// preview. It prints its X11 window id and stays until it is killed.
#include <QApplication>
#include <QPalette>
#include <QWidget>
#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget host;
    host.setWindowTitle(QStringLiteral("preview host"));
    QPalette pal = host.palette();
    pal.setColor(QPalette::Window, QColor(0x33, 0x66, 0x99));
    host.setPalette(pal);
    host.setAutoFillBackground(true);
    host.setGeometry(100, 100, 320, 240);
    host.show();
    std::printf("%llu\n", static_cast<unsigned long long>(host.winId()));
    std::fflush(stdout);
    return app.exec();
}
