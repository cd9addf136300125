// The creator's window: start-up state, navigation, the type switch, the project file
// and its close check, the file lists and the effect list with its preview.
#include "CreatorFixture.h"

#include "effects/ImageShow.h"
#include "media/FlashPlayer.h"
#include "media/MediaPlayer.h"
#include "package/PackageFormat.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>

namespace {

int checkedGoToItem(const TSaverForm &w)
{
    int found = -1;
    for (int i = 0; i < PageCount; ++i)
        if (w.goToItems[i]->isChecked()) {
            if (found >= 0) return -2; // more than one mark
            found = i;
        }
    return found;
}

QColor centreColour(const QLabel *label)
{
    const QImage image = label->pixmap().toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

bool near(const QColor &a, const QColor &b)
{
    return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40 && std::abs(a.blue() - b.blue()) < 40;
}

// Counts the right-button presses that reach a widget.
class PressCounter : public QObject {
public:
    int right = 0, left = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::MouseButtonPress) {
            const auto *m = static_cast<QMouseEvent *>(e);
            (m->button() == Qt::RightButton ? right : left)++;
        }
        return false;
    }
};

using CreatorWindow = CreatorFixture;

} // namespace

TEST_F(CreatorWindow, StartsOnTheTypePageWithTheStartValuesAndWritesThemToTheProjectFile)
{
    // What an earlier run left is overwritten.
    QDir().mkpath(home.path() + "/config/nuvira");
    PrivateProfile::writeString(projectPath(), "saverType", "type", "fla");
    PrivateProfile::writeInteger(projectPath(), "dataFiles", "filenum", 8);
    PrivateProfile::writeInteger(projectPath(), "myOptions", "DelayTime", 30);

    TSaverForm &w = open();
    EXPECT_EQ(w.size(), QSize(448, 338));
    EXPECT_EQ(w.windowTitle(), "NUVIRA  [ 1.0. Version ]");
    EXPECT_FALSE(w.windowIcon().pixmap(32, 32).isNull());
    EXPECT_EQ(w.scPageWiz->count(), 6);
    const QStringList tabs{"Tipo", "Archivos", "Sonidos", "Opciones", "Efectos", "Crear ScreenSaver"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(w.scPageWiz->tabText(i), tabs[i]);
    EXPECT_EQ(w.scPageWiz->currentIndex(), PageType);
    EXPECT_EQ(checkedGoToItem(w), 0);
    EXPECT_TRUE(w.scRdoPicType->isChecked());
    EXPECT_FALSE(w.scRdoFlaType->isChecked());
    EXPECT_EQ(w.saverType(), SaverType::Pictures);
    EXPECT_EQ(w.quitChoice(), -1);
    EXPECT_EQ(w.quitRule(), 1);
    EXPECT_EQ(w.delaySeconds(), 5);
    EXPECT_EQ(w.edtOutPath->text(), QCoreApplication::applicationDirPath() + "/");
    EXPECT_EQ(w.outputFolder(), w.edtOutPath->text());
    EXPECT_EQ(w.outputName(), "");
    EXPECT_EQ(w.outputKind(), 0);
    EXPECT_EQ(w.lbx_effects->count(), 103);
    EXPECT_TRUE(w.enabledEffects().isEmpty());
    EXPECT_EQ(w.projectFile(), "temp.smp");
    EXPECT_FALSE(w.built());
    EXPECT_EQ(w.lastBuiltFile(), "");
    EXPECT_EQ(w.previewIndex(), 0);
    EXPECT_TRUE(messages.calls.empty());

    EXPECT_EQ(readProject("saverType", "type"), "pic");
    EXPECT_EQ(readProject("dataFiles", "filenum"), "0");
    EXPECT_EQ(readProject("musicFiles", "musicnum"), "0");
    EXPECT_EQ(readProject("myOptions", "quitMode"), "-1");
    EXPECT_EQ(readProject("myOptions", "DelayTime"), "5");
    EXPECT_EQ(readProject("myBuild", "OutPath"), w.edtOutPath->text());
    EXPECT_EQ(readProject("myBuild", "OutFileName"), "");
    EXPECT_EQ(readProject("myBuild", "OutType"), "0");
}

TEST_F(CreatorWindow, HintsAndMenusCarryTheirCaptions)
{
    TSaverForm &w = open();
    const QStringList hints{"Ir a añadir Archivos...", "Ir a añadir Música...", "Ir a Opciones del ScreenSaver...",
                            "Ir a los Efectos...", "Ir a Construir el ScreenSaver..."};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(w.nextButtons[i]->toolTip(), hints[i]);
        EXPECT_EQ(w.nextButtons[i]->size(), QSize(81, 25));
        EXPECT_TRUE(w.nextButtons[i]->text().isEmpty() || w.nextButtons[i]->toolButtonStyle() == Qt::ToolButtonIconOnly);
    }
    EXPECT_EQ(w.mnuBuild->text(), "&Generar el ScreenSaver");
    EXPECT_EQ(w.mnuInstall->text(), "&Instalarlo");
    EXPECT_EQ(w.mnuPreview->text(), "&Visualizar Protector de pantalla");
    const QStringList items{"Tipo de Protector de Pantalla", "Añadir Archivos (Imagenes o Películas Flash)",
                            "Agregar &Sonidos (Solo a las Imágenes)", "Opciones", "&Efectos ( Solo a las Imagenes )",
                            "&Construir el Protector de Pantalla"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(w.goToItems[i]->text(), items[i]);
    EXPECT_EQ(w.scButton1->toolTip(), "Agregar Archivos");
    EXPECT_EQ(w.scButton2->toolTip(), "Quitar Elemento Seleccionado.");
    EXPECT_EQ(w.scButton5->toolTip(), "Agrega nuevo sonido");
    EXPECT_EQ(w.scButton6->toolTip(), "Quitar sonido seleccionado.");
    EXPECT_EQ(w.SpeedButton6->text(), "  &Play  ");
    EXPECT_EQ(w.SpeedButton7->text(), "  &Parar ");
    EXPECT_EQ(w.RdoGpQuitMode->title(), "Cerrar ScreenSaver Cuando:");
    EXPECT_EQ(w.RdoGpOutType->title(), " Tipo de Archivo - ScreenSaver o Ejecutable ");
    EXPECT_EQ(w.imgpreview->size(), QSize(167, 135));
    EXPECT_EQ(w.swfPreview->size(), QSize(168, 136));
    EXPECT_EQ(w.pnl_effectpre->size(), QSize(185, 161));
}

TEST_F(CreatorWindow, MenuAndNextButtonsMoveTheMark)
{
    TSaverForm &w = open();
    w.goToItems[PageEffects]->trigger();
    EXPECT_EQ(w.scPageWiz->currentIndex(), PageEffects);
    EXPECT_EQ(checkedGoToItem(w), PageEffects);
    QTest::mouseClick(w.nextButtons[PageEffects], Qt::LeftButton);
    EXPECT_EQ(w.scPageWiz->currentIndex(), PageBuild);
    EXPECT_EQ(checkedGoToItem(w), PageBuild);
    w.scPageWiz->setCurrentIndex(PageFiles); // a tab chosen by the user
    EXPECT_EQ(checkedGoToItem(w), PageFiles);
    QTest::mouseClick(w.nextButtons[PageFiles], Qt::LeftButton);
    EXPECT_EQ(w.scPageWiz->currentIndex(), PageSounds);
    EXPECT_TRUE(messages.calls.empty());
}

TEST_F(CreatorWindow, TypeSwitchesSetTheirQuitRuleAndKeepTheLists)
{
    TSaverForm &w = open();
    addSources({picture("a.jpg", Qt::red)});
    w.lbMusicFiles->addItem(home.path() + "/media/tune.wav");

    QTest::mouseClick(w.scRdoFlaType, Qt::LeftButton, {}, QPoint(8, w.scRdoFlaType->height() / 2));
    EXPECT_EQ(w.saverType(), SaverType::Flash);
    EXPECT_EQ(w.quitChoice(), 2);
    EXPECT_EQ(w.quitRule(), 3);
    EXPECT_FALSE(w.scButton5->isEnabled());
    EXPECT_TRUE(w.grpInterval->isHidden());
    EXPECT_EQ(w.sourceFiles().size(), 1);
    EXPECT_EQ(w.musicFiles().size(), 1);

    // A rule the user chose is replaced by the type's default at the next switch.
    w.quitModeButtons->button(3)->click();
    EXPECT_EQ(w.quitRule(), 4);
    QTest::mouseClick(w.scRdoFlaType, Qt::LeftButton, {}, QPoint(8, w.scRdoFlaType->height() / 2)); // already checked: nothing happens
    EXPECT_EQ(w.quitChoice(), 3);
    QTest::mouseClick(w.scRdoPicType, Qt::LeftButton, {}, QPoint(8, w.scRdoPicType->height() / 2));
    EXPECT_EQ(w.saverType(), SaverType::Pictures);
    EXPECT_EQ(w.quitChoice(), 0);
    EXPECT_EQ(w.quitRule(), 1);
    EXPECT_TRUE(w.scButton5->isEnabled());
    EXPECT_FALSE(w.grpInterval->isHidden());
    EXPECT_EQ(w.sourceFiles().size(), 1);
    EXPECT_EQ(w.musicFiles().size(), 1);

    // Every item of the group sets its own rule.
    for (int i = 4; i >= 0; --i) {
        w.quitModeButtons->button(i)->click();
        EXPECT_EQ(w.quitRule(), i + 1);
    }
}

TEST_F(CreatorWindow, FlashRefusesTheSoundsPageAndMarksOptions)
{
    TSaverForm &w = open();
    w.scRdoFlaType->click();
    w.goToItems[PageSounds]->trigger();
    EXPECT_EQ(messages.texts(), QStringList{"En Flash no se puede poner sonidos ."});
    EXPECT_EQ(messages.calls[0].caption, "NUVIRA ");
    EXPECT_EQ(messages.calls[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(w.scPageWiz->currentIndex(), PageOptions);
    EXPECT_EQ(checkedGoToItem(w), PageOptions);

    w.SelectFiles1_oldClick();
    QTest::mouseClick(w.nextButtons[PageFiles], Qt::LeftButton);
    EXPECT_EQ(messages.calls.size(), 2u);
    EXPECT_EQ(w.scPageWiz->currentIndex(), PageOptions);
    EXPECT_EQ(checkedGoToItem(w), PageOptions);

    w.scPageWiz->setCurrentIndex(PageSounds); // the tab itself
    EXPECT_EQ(messages.calls.size(), 3u);
    EXPECT_EQ(w.scPageWiz->currentIndex(), PageOptions);
}

TEST_F(CreatorWindow, RightButtonNeverReachesTheFlashPreview)
{
    TSaverForm &w = open();
    PressCounter flash, list;
    w.swfPreview->installEventFilter(&flash);
    w.lbSourcefiles->viewport()->installEventFilter(&list);
    w.scRdoFlaType->click();
    w.swfPreview->resize(167, 136);
    QTest::mousePress(w.swfPreview, Qt::RightButton, {}, QPoint(10, 10));
    QTest::mouseRelease(w.swfPreview, Qt::RightButton, {}, QPoint(10, 10));
    QTest::mousePress(w.swfPreview, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(w.swfPreview, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mousePress(w.lbSourcefiles->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(flash.right, 0);
    EXPECT_EQ(flash.left, 1);
    EXPECT_EQ(list.right, 1);
}

// --- the project file and the close check ---------------------------------------------

TEST_F(CreatorWindow, ClosingStraightAfterStartUpAsksNothing)
{
    TSaverForm &w = open();
    EXPECT_TRUE(w.close());
    EXPECT_TRUE(messages.calls.empty());
    EXPECT_TRUE(w.unchanged());
}

TEST_F(CreatorWindow, ClosingAfterChoosingFlashAsksAndYesWritesTheSettings)
{
    TSaverForm &w = open();
    w.scRdoFlaType->click();
    w.edtOutputName->setText("Playa");
    messages.answers.push_back(MsgAnswer::Yes);
    EXPECT_TRUE(w.close());
    ASSERT_EQ(messages.calls.size(), 1u);
    EXPECT_EQ(messages.calls[0].text, "Está deshabilitada esta función.");
    EXPECT_EQ(messages.calls[0].caption, "°qet°");
    EXPECT_EQ(messages.calls[0].icon, MsgIcon::Question);
    EXPECT_EQ(messages.calls[0].buttons, MsgButtons::YesNo);
    EXPECT_FALSE(w.unchanged());
    EXPECT_EQ(readProject("saverType", "type"), "fla");
    EXPECT_EQ(readProject("myOptions", "quitMode"), "2");
    EXPECT_EQ(readProject("myBuild", "OutFileName"), "Playa");
}

TEST_F(CreatorWindow, AnsweringNoClosesWithoutWriting)
{
    TSaverForm &w = open();
    w.scRdoFlaType->click();
    w.scRdoPicType->click(); // back to pictures: the rule is now 0, the file says -1
    messages.answers.push_back(MsgAnswer::No);
    EXPECT_TRUE(w.close());
    EXPECT_EQ(messages.calls.size(), 1u);
    EXPECT_EQ(readProject("saverType", "type"), "pic");
    EXPECT_EQ(readProject("myOptions", "quitMode"), "-1");
}

TEST_F(CreatorWindow, CloseCheckComparesCountsNotPaths)
{
    TSaverForm &w = open();
    w.lbSourcefiles->addItem("/one.jpg");
    w.WriteProjectFile();
    w.lbSourcefiles->item(0)->setText("/another.jpg");
    EXPECT_TRUE(w.ProjectMatchesFile());
    // A file without the type key counts as Flash, which differs from pictures.
    QFile::remove(projectPath());
    EXPECT_FALSE(w.ProjectMatchesFile());
}

TEST_F(CreatorWindow, AShorterListLeavesTheKeysBeyondItsCount)
{
    TSaverForm &w = open();
    for (int i = 0; i < 8; ++i) w.lbSourcefiles->addItem(QString("/fotos/%1.jpg").arg(i));
    w.WriteProjectFile();
    for (int i = 0; i < 3; ++i) delete w.lbSourcefiles->takeItem(0);
    w.WriteProjectFile();
    EXPECT_EQ(readProject("dataFiles", "filenum"), "5");
    EXPECT_EQ(readProject("dataFiles", "file0"), "/fotos/3.jpg");
    EXPECT_EQ(readProject("dataFiles", "file4"), "/fotos/7.jpg");
    EXPECT_EQ(readProject("dataFiles", "file5"), "/fotos/5.jpg");
    EXPECT_EQ(readProject("dataFiles", "file7"), "/fotos/7.jpg");
}

TEST_F(CreatorWindow, AStartUpWriteThatFailsIsReportedAndTheWindowStillOpens)
{
    QFile blocker(home.path() + "/blocker");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + "/blocker"));
    TSaverForm &w = open();
    EXPECT_EQ(messages.texts(), QStringList{"No se puede escribir temp.smp"});
    EXPECT_EQ(w.lbx_effects->count(), 103);
    EXPECT_EQ(w.windowTitle(), "NUVIRA  [ 1.0. Version ]");
}

TEST_F(CreatorWindow, AClosingWriteThatFailsKeepsTheWindowOpenUntilNo)
{
    TSaverForm &w = open();
    w.scRdoFlaType->click();
    QFile blocker(home.path() + "/blocker");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + "/blocker"));

    messages.answers = {MsgAnswer::Yes};
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(messages.texts(), QStringList({"Está deshabilitada esta función.", "No se puede escribir temp.smp"}));

    messages.answers = {MsgAnswer::No};
    EXPECT_TRUE(w.close());
    EXPECT_EQ(messages.calls.size(), 3u);
}

// --- the source files page ---------------------------------------------------------------

TEST(OutputName, DropsFolderAndLastFourCharacters)
{
    const std::pair<const char *, const char *> cases[] = {
        {"/fotos/beach.jpg", "beach"}, {"/fotos/beach.jpeg", "beach."}, {"/fotos/a.gif", "a"},
        {"/fotos/ab.jpg", "ab"},       {"/fotos/.bmp", ""},             {"/f/mi.salvador.swf", "mi.salvador"}};
    for (const auto &[path, name] : cases) EXPECT_EQ(OutputNameFromFile(path), name) << path;
}

TEST_F(CreatorWindow, AddingAppendsInDialogOrderSelectsTheFirstAndNamesTheOutput)
{
    TSaverForm &w = open();
    const QString a = picture("a.jpg", Qt::red), b = picture("b.jpg", Qt::green);
    addSources({a, b});
    ASSERT_EQ(dialogs.openCalls.size(), 1u);
    EXPECT_EQ(dialogs.openCalls[0].dialogName, "dlgOpenPic");
    EXPECT_TRUE(dialogs.openCalls[0].picturePreview);
    EXPECT_EQ(dialogs.openCalls[0].filter,
              "Imagenes ( JPEG )   |*.jpeg;*.jpg|Imagenes ( BMP )   |*.bmp|Imagenes ( GIF )   |*.gif|"
              "Todas l´ imagenes|*.jpeg;*.jpg;*.bmp;*.gif");
    EXPECT_EQ(w.sourceFiles(), QStringList({a, b}));
    EXPECT_EQ(w.lbSourcefiles->currentRow(), 0);
    EXPECT_EQ(w.outputName(), "a");
    EXPECT_EQ(w.lbSourcefiles->toolTip(), a);
    EXPECT_TRUE(near(centreColour(w.imgpreview), Qt::red));
    EXPECT_EQ(w.swfPreview->size(), QSize(0, 0));

    // Duplicates are added again; a cancelled dialog still reselects the first line and
    // resets the name the user typed.
    addSources({b});
    EXPECT_EQ(w.sourceFiles(), QStringList({a, b, b}));
    w.lbSourcefiles->setCurrentRow(2);
    w.edtOutputName->setText("Mi nombre");
    addSources({});
    EXPECT_EQ(w.sourceFiles().size(), 3);
    EXPECT_EQ(w.lbSourcefiles->currentRow(), 0);
    EXPECT_EQ(w.outputName(), "a");
}

TEST_F(CreatorWindow, FlashMoviesComeFromThePlainDialogAndPreviewInTheFlashControl)
{
    TSaverForm &w = open();
    w.scRdoFlaType->click();
    addSources({home.path() + "/media/movie.swf"});
    ASSERT_EQ(dialogs.openCalls.size(), 1u);
    EXPECT_EQ(dialogs.openCalls[0].dialogName, "dlgOpen");
    EXPECT_EQ(dialogs.openCalls[0].filter, "Flash (swf |*.swf");
    EXPECT_EQ(w.swfPreview->size(), QSize(167, 136));
    EXPECT_EQ(w.swfPreview->movie(), home.path() + "/media/movie.swf");
    EXPECT_EQ(w.outputName(), "movie");
    EXPECT_TRUE(messages.calls.empty()); // a movie the control cannot play reports nothing
}

TEST_F(CreatorWindow, RemovingSelectsTheNeighbourAndSetsTheLabel)
{
    TSaverForm &w = open();
    const QString a = picture("a.jpg", Qt::red), b = picture("b.jpg", Qt::green), c = picture("c.jpg", Qt::blue);
    addSources({a, b, c});
    w.lbSourcefiles->setCurrentRow(2);
    QTest::mouseClick(w.scButton2, Qt::LeftButton);
    EXPECT_EQ(w.sourceFiles(), QStringList({a, b}));
    EXPECT_EQ(w.lbSourcefiles->currentRow(), 1);
    EXPECT_EQ(w.lblfullname->text(), b + QString(10, ' '));
    EXPECT_TRUE(near(centreColour(w.imgpreview), Qt::green));

    w.lbSourcefiles->setCurrentRow(0);
    w.scButton2Click();
    EXPECT_EQ(w.sourceFiles(), QStringList({b}));
    EXPECT_EQ(w.lbSourcefiles->currentRow(), 0);
    EXPECT_EQ(w.outputName(), "a"); // a removal leaves the name alone

    w.scButton2Click();
    EXPECT_TRUE(w.sourceFiles().isEmpty());
    EXPECT_EQ(w.lbSourcefiles->currentRow(), -1);
    EXPECT_EQ(w.lblfullname->text(), "   ");
    w.scButton2Click(); // nothing selected: nothing happens
    EXPECT_EQ(w.lblfullname->text(), "   ");
}

TEST_F(CreatorWindow, MovingSwapsWithTheNeighbourAndKeepsTheFileSelected)
{
    TSaverForm &w = open();
    for (const char *p : {"/f/1.jpg", "/f/2.jpg", "/f/3.jpg"}) w.lbSourcefiles->addItem(p);
    w.scchkPreviewSource->setChecked(false); // the paths name no pictures
    w.lbSourcefiles->setCurrentRow(0);
    w.SpeedButton1Click(); // first line up: nothing
    EXPECT_EQ(w.sourceFiles(), QStringList({"/f/1.jpg", "/f/2.jpg", "/f/3.jpg"}));
    QTest::mouseClick(w.SpeedButton2, Qt::LeftButton);
    EXPECT_EQ(w.sourceFiles(), QStringList({"/f/2.jpg", "/f/1.jpg", "/f/3.jpg"}));
    EXPECT_EQ(w.lbSourcefiles->currentRow(), 1);
    w.SpeedButton2Click();
    w.SpeedButton2Click(); // last line down: nothing
    EXPECT_EQ(w.sourceFiles(), QStringList({"/f/2.jpg", "/f/3.jpg", "/f/1.jpg"}));
    EXPECT_EQ(w.lbSourcefiles->currentRow(), 2);
    EXPECT_TRUE(messages.calls.empty());

    // The music list moves with the same routine.
    w.lbMusicFiles->addItems({"/m/a.mid", "/m/b.mp3"});
    w.lbMusicFiles->setCurrentRow(1);
    QTest::mouseClick(w.SpeedButton4, Qt::LeftButton);
    EXPECT_EQ(w.musicFiles(), QStringList({"/m/b.mp3", "/m/a.mid"}));
    EXPECT_EQ(w.lbMusicFiles->currentRow(), 0);
}

TEST_F(CreatorWindow, PreviewOffLeavesThePreviewsAloneAndAnUnreadablePictureIsReported)
{
    TSaverForm &w = open();
    const QString a = picture("a.jpg", Qt::red), bad = garbage("bad.jpg");
    addSources({a});
    QTest::mouseClick(w.scchkPreviewSource, Qt::LeftButton, {}, QPoint(8, w.scchkPreviewSource->height() / 2));
    EXPECT_FALSE(w.scchkPreviewSource->isChecked());
    EXPECT_TRUE(w.imgpreview->pixmap().isNull());
    EXPECT_EQ(w.swfPreview->movie(), "noswf");

    addSources({bad});
    w.lbSourcefiles->setCurrentRow(1);
    EXPECT_TRUE(w.imgpreview->pixmap().isNull());
    EXPECT_TRUE(messages.calls.empty());

    // The effects page's box runs the same handler, which looks at this page's box.
    w.scchkPreviewSource->setChecked(true);
    QTest::mouseClick(w.scchkPreviewEffect, Qt::LeftButton, {}, QPoint(8, w.scchkPreviewEffect->height() / 2));
    ASSERT_EQ(messages.calls.size(), 1u);
    EXPECT_TRUE(messages.calls[0].text.contains("bad.jpg")) << messages.calls[0].text.toStdString();
    EXPECT_EQ(w.sourceFiles().size(), 2); // the file stays in the list
}

TEST_F(CreatorWindow, ThePointerOverAListShowsThePathUnderIt)
{
    TSaverForm &w = open();
    w.lbSourcefiles->addItems({"/f/uno.jpg", "/f/dos.jpg"});
    w.lbMusicFiles->addItems({"/m/tema.mp3"});
    w.SelectFiles1_oldClick(); // the list must be on the screen for the pointer to reach it
    QTest::qWait(50);
    const QRect second = w.lbSourcefiles->visualItemRect(w.lbSourcefiles->item(1));
    QTest::mouseMove(w.lbSourcefiles->viewport(), second.center());
    EXPECT_EQ(w.lblfullname->text(), "/f/dos.jpg    ");
    EXPECT_EQ(w.lblfullname->toolTip(), "/f/dos.jpg    ");
    w.lbSourcefilesMouseMove(QPoint(5, 180)); // below the last line: nothing changes
    EXPECT_EQ(w.lblfullname->text(), "/f/dos.jpg    ");
    w.lbMusicFilesMouseMove(w.lbMusicFiles->visualItemRect(w.lbMusicFiles->item(0)).center());
    EXPECT_EQ(w.lblfullnamemusic->text(), "/m/tema.mp3" + QString(10, ' '));
    EXPECT_EQ(w.lblfullnamemusic->toolTip(), "/m/tema.mp3");
}

// --- the sounds page -----------------------------------------------------------------------

TEST_F(CreatorWindow, MusicIsAddedWithItsFilterAndRemoved)
{
    TSaverForm &w = open();
    dialogs.openAnswers.push_back({"/m/a.mid", "/m/b.wav"});
    QTest::mouseClick(w.scButton5, Qt::LeftButton);
    ASSERT_EQ(dialogs.openCalls.size(), 1u);
    EXPECT_EQ(dialogs.openCalls[0].dialogName, "dlgOpen");
    EXPECT_EQ(dialogs.openCalls[0].filter, "Toda la musica (midi,mp3,wav)|*.midi;*.mid;*.mp3;*.wav|Musica (midi)|"
                                           "*.midi;*.mid|Musica (mp3)|*.mp3|Musica (wav)|*.wav");
    EXPECT_EQ(w.musicFiles(), QStringList({"/m/a.mid", "/m/b.wav"}));
    EXPECT_EQ(w.lbMusicFiles->currentRow(), 0);
    w.lbMusicFiles->setCurrentRow(1);
    w.scButton5Click(); // cancelled: the first line is selected again
    EXPECT_EQ(w.lbMusicFiles->currentRow(), 0);

    QTest::mouseClick(w.scButton6, Qt::LeftButton);
    EXPECT_EQ(w.musicFiles(), QStringList({"/m/b.wav"}));
    EXPECT_EQ(w.lblfullnamemusic->text(), "/m/b.wav" + QString(10, ' '));
    w.scButton6Click();
    EXPECT_EQ(w.lblfullnamemusic->text(), "   ");
    // Play with nothing selected, stop with nothing playing: nothing at all.
    w.SpeedButton6Click();
    w.SpeedButton7Click();
    EXPECT_TRUE(messages.calls.empty());
}

namespace {
// A WAV long enough to be still playing when looked at.
QString longWav(const QString &path)
{
    EXPECT_TRUE(testmedia::WriteFile(path, testmedia::Wav(20000)));
    return path;
}
} // namespace

TEST_F(CreatorWindow, TheMusicPreviewPlaysOnItsPageAndStopsWhenThePageIsLeft)
{
    TSaverForm &w = open();
    w.lbMusicFiles->addItem(longWav(home.path() + "/media/quiet.wav"));
    w.Souns1_oldClick();
    w.lbMusicFiles->setCurrentRow(0);
    QTest::mouseClick(w.SpeedButton6, Qt::LeftButton);
    ASSERT_EQ(w.mpPreMusic->Mode(), MediaMode::Playing) << messages.texts().join("|").toStdString();
    w.scButton6Click(); // removing the file that plays does not stop it
    EXPECT_EQ(w.mpPreMusic->Mode(), MediaMode::Playing);
    w.scPageWiz->setCurrentIndex(PageSounds); // staying on the page
    EXPECT_EQ(w.mpPreMusic->Mode(), MediaMode::Playing);
    w.Options1_oldClick();
    EXPECT_NE(w.mpPreMusic->Mode(), MediaMode::Playing);

    // Stop, and a build, close the player too.
    w.lbMusicFiles->addItem(home.path() + "/media/quiet.wav");
    w.Souns1_oldClick();
    w.lbMusicFiles->setCurrentRow(0);
    w.SpeedButton6Click();
    ASSERT_EQ(w.mpPreMusic->Mode(), MediaMode::Playing);
    QTest::mouseClick(w.SpeedButton7, Qt::LeftButton);
    EXPECT_EQ(w.mpPreMusic->Mode(), MediaMode::NotOpen);
    w.SpeedButton6Click();
    w.SpeedButton6Click(); // twice: from the beginning again, still playing
    ASSERT_EQ(w.mpPreMusic->Mode(), MediaMode::Playing);
    w.mnuBuild->trigger();
    EXPECT_EQ(w.mpPreMusic->Mode(), MediaMode::NotOpen);
    EXPECT_TRUE(messages.texts().contains("Selecciona imagenes o un archivo Swf primero"));
}

TEST_F(CreatorWindow, AMusicFileThePlayerCannotOpenIsReported)
{
    TSaverForm &w = open();
    w.lbMusicFiles->addItem(garbage("noise.mp3"));
    w.lbMusicFiles->setCurrentRow(0);
    QTest::mouseClick(w.SpeedButton6, Qt::LeftButton);
    EXPECT_EQ(messages.calls.size(), 1u);
    EXPECT_EQ(messages.calls[0].caption, "NUVIRA ");
    EXPECT_EQ(w.mpPreMusic->Mode(), MediaMode::NotOpen);
}

// --- the options and effects pages -------------------------------------------------------

TEST_F(CreatorWindow, TheIntervalHasNoBoundsAndAnEmptyBoxReadsZero)
{
    TSaverForm &w = open();
    w.SpnDelayTime->findChild<QLineEdit *>()->clear();
    EXPECT_EQ(w.delaySeconds(), 0);
    w.SpnDelayTime->stepDown();
    EXPECT_EQ(w.delaySeconds(), -1);
    w.SpnDelayTime->setValue(100000);
    EXPECT_EQ(w.delaySeconds(), 100000);
    w.SpnDelayTime->findChild<QLineEdit *>()->setText("");
    QTest::keyClicks(w.SpnDelayTime->findChild<QLineEdit *>(), "4x2");
    EXPECT_EQ(w.delaySeconds(), 42); // the letter is refused
    QTest::keyClicks(w.SpnDelayTime->findChild<QLineEdit *>(), ".5");
    EXPECT_EQ(w.SpnDelayTime->findChild<QLineEdit *>()->text(), "42.5");
    EXPECT_EQ(w.delaySeconds(), 0); // no integer
}

TEST_F(CreatorWindow, TheEffectListOffersOneHundredAndThreeNumbers)
{
    TSaverForm &w = open();
    ASSERT_EQ(w.lbx_effects->count(), 103);
    const std::pair<int, int> stored[] = {{1, 1}, {6, 6}, {7, 8}, {8, 10}, {14, 18}, {20, 28}, {25, 35}, {37, 52}, {103, 118}};
    for (const auto &[item, number] : stored) {
        EXPECT_EQ(w.lbx_effects->item(item - 1)->text(), QString("Efecto %1").arg(item));
        EXPECT_EQ(w.lbx_effects->item(item - 1)->data(Qt::UserRole).toInt(), number);
    }
    for (int i = 0; i < 103; ++i) {
        const int n = w.lbx_effects->item(i)->data(Qt::UserRole).toInt();
        EXPECT_FALSE(package::IsExcludedEffect(n)) << n;
        EXPECT_TRUE(n >= 1 && n <= 118) << n;
    }
    // The build takes the stored numbers, never the captions.
    checkEffect(0);
    checkEffect(6);
    EXPECT_EQ(w.enabledEffects(), QList<int>({1, 8}));
}

TEST_F(CreatorWindow, DoubleClickTogglesTheCheckOfTheSelectedItem)
{
    TSaverForm &w = open();
    w.lbx_effects->setCurrentRow(4);
    w.lbx_effectsDblClick();
    EXPECT_EQ(w.lbx_effects->item(4)->checkState(), Qt::Checked);
    const QRect r = w.lbx_effects->visualItemRect(w.lbx_effects->item(4));
    // A real double click: press and release, then the double-click press and release.
    const QPoint onCaption(r.right() - 10, r.center().y());
    QTest::mouseClick(w.lbx_effects->viewport(), Qt::LeftButton, {}, onCaption);
    QTest::mouseDClick(w.lbx_effects->viewport(), Qt::LeftButton, {}, onCaption);
    QTest::mouseRelease(w.lbx_effects->viewport(), Qt::LeftButton, {}, onCaption);
    EXPECT_EQ(w.lbx_effects->item(4)->checkState(), Qt::Unchecked);
}

TEST_F(CreatorWindow, EffectPreviewWalksThePicturesInListOrder)
{
    TSaverForm &w = open();
    addSources({picture("1.jpg", Qt::red), picture("2.jpg", Qt::green), picture("3.jpg", Qt::blue)});
    const QColor expected[] = {Qt::red, Qt::green, Qt::blue, Qt::red};
    for (int i = 0; i < 4; ++i) {
        // Clicks on the lines, "Efecto 7" first; the last click is on the line already
        // selected, which previews again.
        const int row = i == 0 ? 6 : i == 3 ? 2 : i;
        const QRect r = w.lbx_effects->visualItemRect(w.lbx_effects->item(row));
        QTest::mouseClick(w.lbx_effects->viewport(), Qt::LeftButton, {}, QPoint(r.right() - 10, r.center().y()));
        EXPECT_TRUE(near(centreColour(w.Image1), expected[i])) << "preview " << i;
        EXPECT_EQ(w.previewIndex(), (i + 1) % 3);
    }
    EXPECT_TRUE(w.ImageShow1->Stretch());
    EXPECT_EQ(w.ImageShow1->Style(), 3); // the last item clicked, "Efecto 3"
    EXPECT_EQ(w.ImageShow1->Picture().size(), w.pnl_effectpre->contentsRect().size());
    EXPECT_TRUE(messages.calls.empty());

    // After the list shrinks below the index, the next preview starts again at the first.
    w.lbx_effects->setCurrentRow(9);
    w.lbx_effects->setCurrentRow(10);
    EXPECT_EQ(w.previewIndex(), 0);
    w.lbx_effects->setCurrentRow(11);
    EXPECT_EQ(w.previewIndex(), 1);
    w.lbSourcefiles->setCurrentRow(0);
    w.scButton2Click();
    w.scButton2Click(); // one picture (blue) left, index 1
    w.lbx_effects->setCurrentRow(12);
    EXPECT_TRUE(near(centreColour(w.Image1), Qt::blue));
    EXPECT_EQ(w.previewIndex(), 0);
}

TEST_F(CreatorWindow, EffectPreviewStaysStillForFlashWithoutFilesOrWithThePreviewOff)
{
    TSaverForm &w = open();
    w.lbx_effects->setCurrentRow(1); // no source file
    EXPECT_TRUE(w.Image1->pixmap().isNull());
    addSources({picture("1.jpg", Qt::red)});
    w.scchkPreviewEffect->setChecked(false);
    w.lbx_effects->setCurrentRow(2);
    EXPECT_TRUE(w.Image1->pixmap().isNull());
    w.scchkPreviewEffect->setChecked(true);
    w.scRdoFlaType->click();
    w.lbx_effects->setCurrentRow(3);
    EXPECT_TRUE(w.Image1->pixmap().isNull());
    EXPECT_EQ(w.previewIndex(), 0);
}

TEST_F(CreatorWindow, AnUnreadablePreviewPictureKeepsTheIndex)
{
    TSaverForm &w = open();
    w.scchkPreviewSource->setChecked(false);
    addSources({garbage("bad.jpg"), picture("ok.jpg", Qt::red)});
    w.lbx_effects->setCurrentRow(0);
    ASSERT_EQ(messages.calls.size(), 1u);
    EXPECT_EQ(w.previewIndex(), 0);
    w.lbx_effects->setCurrentRow(1);
    EXPECT_EQ(messages.calls.size(), 2u); // the same picture again
}

TEST_F(CreatorWindow, TheHiddenMaskOptionNamesItsFileOnlyWhenClicked)
{
    TSaverForm &w = open();
    EXPECT_TRUE(w.TeGroupBox1->isHidden());
    EXPECT_TRUE(w.chkMask->isChecked());
    EXPECT_FALSE(w.packageSettings().mask.active());
    w.imgmask1Click();
    EXPECT_EQ(w.maskFile(), "mask1.jpg");
    EXPECT_TRUE(w.packageSettings().mask.active());
    w.chkMask->setChecked(false);
    EXPECT_EQ(w.maskFile(), "");
    EXPECT_FALSE(w.packageSettings().mask.active());
}

TEST_F(CreatorWindow, TheEffectPreviewEndsShowingThePicture)
{
    TSaverForm &w = open();
    w.scchkPreviewSource->setChecked(false);
    addSources({picture("1.jpg", Qt::red)});
    w.lbx_effects->setCurrentRow(0);
    QTRY_VERIFY_WITH_TIMEOUT(!w.ImageShow1->Busy(), 10000);
    QTest::qWait(100);
    const QImage shown = w.ImageShow1->grab().toImage();
    EXPECT_EQ(w.ImageShow1->size(), w.pnl_effectpre->contentsRect().size());
    EXPECT_TRUE(near(shown.pixelColor(shown.width() / 2, shown.height() / 2), Qt::red))
        << shown.pixelColor(shown.width() / 2, shown.height() / 2).name().toStdString();
}
