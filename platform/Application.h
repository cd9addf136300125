#pragma once
// The application object of both programs: an exception that leaves an event handler
// is shown as a message box with its text, and the program goes on.
#include <QApplication>

class Application : public QApplication {
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
