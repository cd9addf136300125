// Drives the creator's real window on a real X display, the way a person would: walks
// the six pages with the next buttons, adds pictures and music through the real file
// dialogs, chooses the closing rule, checks two effects by double clicks, picks the
// output folder, types the name and builds from the "ScreenSaver" menu, answering the
// message box. Saves a picture of every page and of the dialogs on the way.
// usage: creator-drive MEDIA-FOLDER OUTPUT-FOLDER SHOTS-FOLDER
// Prints "built: PATH" and "message: TEXT" lines; exits 0 when the build succeeded.
#include "creator/mainUnit.h"
#include "platform/Application.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <functional>

namespace {

QString shots;
QStringList messages;

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

void settle(int ms = 300)
{
    QTest::qWait(ms);
    QCoreApplication::processEvents();
}

void shot(QWidget *w, const QString &name)
{
    settle(400);
    w->grab().save(shots + "/" + name + ".png");
}

// Runs `handle` on the next modal widget of type T that appears (polling the event loop
// the modal dialog runs), then lets the caller's blocking call return.
template <class T> void whenModal(std::function<void(T *)> handle)
{
    auto *timer = new QTimer;
    timer->setInterval(100);
    QObject::connect(timer, &QTimer::timeout, [timer, handle] {
        if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            handle(dialog);
        }
    });
    timer->start();
}

// Types file names into a real file dialog and presses Return.
void answerFileDialog(const QString &folder, const QString &typed, const QString &shotName)
{
    whenModal<QFileDialog>([folder, typed, shotName](QFileDialog *dialog) {
        dialog->setDirectory(folder);
        // The last filter takes every kind the dialog offers, as a person would choose it.
        dialog->selectNameFilter(dialog->nameFilters().last());
        settle(500);
        auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (!edit) {
            say("no file name box in the dialog");
            dialog->reject();
            return;
        }
        edit->clear();
        QTest::keyClicks(edit, typed);
        if (!shotName.isEmpty()) shot(dialog, shotName);
        QTest::keyClick(edit, Qt::Key_Return);
    });
}

void answerMessageBox(const QString &shotName)
{
    whenModal<QMessageBox>([shotName](QMessageBox *box) {
        messages << box->text();
        say("message: " + box->windowTitle() + " | " + box->text());
        shot(box, shotName);
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
}

void clickNext(TSaverForm &w, int page)
{
    QTest::mouseClick(w.nextButtons[page], Qt::LeftButton);
    settle();
}

void doubleClickItem(QListWidget *list, int row)
{
    list->scrollToItem(list->item(row));
    const QPoint p = list->visualItemRect(list->item(row)).center() + QPoint(30, 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, p);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, p);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, p);
    settle(1500); // the preview transition plays
}

} // namespace

int main(int argc, char **argv)
{
    Application app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QCoreApplication::setApplicationName(QStringLiteral("NUVIRA "));
    if (argc != 4) {
        std::fprintf(stderr, "usage: creator-drive MEDIA-FOLDER OUTPUT-FOLDER SHOTS-FOLDER\n");
        return 2;
    }
    const QString media = QFile::decodeName(argv[1]);
    const QString out = QFile::decodeName(argv[2]);
    shots = QFile::decodeName(argv[3]);
    QDir().mkpath(shots);

    TSaverForm w;
    w.show();
    if (!QTest::qWaitForWindowExposed(&w)) return 3;
    shot(&w, "page0-tipo");

    // Page 1: three pictures through the picture dialog.
    clickNext(w, PageType);
    answerFileDialog(media, "\"rojo.jpg\" \"verde.bmp\" \"azul.jpg\"", "dialog-pictures");
    QTest::mouseClick(w.scButton1, Qt::LeftButton);
    settle();
    say("sources: " + w.sourceFiles().join(", "));
    shot(&w, "page1-archivos");

    // Page 2: one tune; play it and stop it.
    clickNext(w, PageFiles);
    answerFileDialog(media, "\"tono.wav\"", "");
    QTest::mouseClick(w.scButton5, Qt::LeftButton);
    settle();
    QTest::mouseClick(w.SpeedButton6, Qt::LeftButton);
    shot(&w, "page2-sonidos");
    QTest::mouseClick(w.SpeedButton7, Qt::LeftButton);

    // Page 3: close on a click.
    clickNext(w, PageSounds);
    QAbstractButton *click = w.quitModeButtons->button(1);
    QTest::mouseClick(click, Qt::LeftButton, {}, QPoint(8, click->height() / 2));
    shot(&w, "page3-opciones");

    // Page 4: "Efecto 1" and "Efecto 7" by double clicks, each previewed.
    clickNext(w, PageOptions);
    doubleClickItem(w.lbx_effects, 0);
    doubleClickItem(w.lbx_effects, 6);
    settle(600);
    shot(&w, "page4-efectos");

    // Page 5: the output folder through the folder picker, the name typed.
    clickNext(w, PageEffects);
    whenModal<QFileDialog>([out](QFileDialog *dialog) {
        dialog->setDirectory(out);
        settle(500);
        shot(dialog, "dialog-folder");
        auto *buttons = dialog->findChild<QDialogButtonBox *>();
        QAbstractButton *choose = buttons ? buttons->button(QDialogButtonBox::Open) : nullptr;
        if (choose) QTest::mouseClick(choose, Qt::LeftButton);
        else dialog->reject();
    });
    QTest::mouseClick(w.SpeedButton8, Qt::LeftButton);
    settle();
    w.edtOutputName->clear();
    QTest::keyClicks(w.edtOutputName, "Playa");
    shot(&w, "page5-crear");

    // "ScreenSaver" > "&Generar el ScreenSaver".
    QMenuBar *bar = w.menuBar();
    QAction *saverMenu = bar->actions().at(0);
    answerMessageBox("message-built");
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(saverMenu).center());
    settle();
    QMenu *menu = saverMenu->menu();
    if (!menu->isVisible()) {
        say("the ScreenSaver menu did not open");
        return 4;
    }
    // The window keeps painting while the pictures are prepared: catch it once mid-build.
    bool progressSeen = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!progressSeen && w.lblBuildProgress->isVisible()) {
            progressSeen = true;
            say("progress: " + w.lblBuildProgress->text());
            w.grab().save(shots + "/page5-building.png");
        }
    });
    watch.start(0);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(w.mnuBuild).center());
    watch.stop();
    settle(500);

    say("built: " + w.lastBuiltFile());
    say(QStringLiteral("mark on page: %1").arg(w.scPageWiz->currentIndex()));
    const bool ok = w.built() && messages == QStringList{"Proceso hecho "} && QFileInfo(w.lastBuiltFile()).isFile();

    // A built project closes without the question.
    w.close();
    settle();
    if (messages.size() != 1) {
        say("unexpected message at closing");
        return 5;
    }
    return ok ? 0 : 1;
}
