#pragma once
// The preview window: a small borderless white window with fading text about NUVIRA,
// placed inside the preview area of the desktop's screensaver settings.
#include <QWidget>

#include "runtime/FadeText.h"

class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);
    FadeText *AAFadeText1 = nullptr;

    // The six lines the preview shows, the last two a name and a web address.
    static QStringList previewLines();
};

// Runs the preview inside the X11 window whose id is hostText (a decimal integer): the
// preview window becomes its child, fills it, and the process ends when the host window
// goes away. A host text that is not a decimal integer is reported and ends the run with
// a failure code. Returns the process exit code.
int RunPreview(const QString &hostText);
