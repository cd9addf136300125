#include "creator/mainUnit.h"

#include "builder/BuildCommand.h"
#include "builder/Install.h"
#include "builder/PicturePreparation.h"
#include "effects/ImageShow.h"
#include "media/FlashPlayer.h"
#include "media/MediaPlayer.h"
#include "package/PackageFormat.h"
#include "platform/Desktop.h"
#include "platform/FileDialogs.h"
#include "platform/MessageService.h"
#include "platform/PrivateProfile.h"
#include "platform/Process.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <climits>
#include <exception>

namespace {

const QString PictureFilter = QStringLiteral(
    "Imagenes ( JPEG )   |*.jpeg;*.jpg|Imagenes ( BMP )   |*.bmp|Imagenes ( GIF )   |*.gif|"
    "Todas l\u00b4 imagenes|*.jpeg;*.jpg;*.bmp;*.gif");
const QString FlashFilter = QStringLiteral("Flash (swf |*.swf");
const QString MusicFilter = QStringLiteral(
    "Toda la musica (midi,mp3,wav)|*.midi;*.mid;*.mp3;*.wav|Musica (midi)|*.midi;*.mid|"
    "Musica (mp3)|*.mp3|Musica (wav)|*.wav");

const QString NoFlashSounds = QStringLiteral("En Flash no se puede poner sonidos .");
const QString BuildFirst = QStringLiteral("Construye primero el protector");
const QString AppTitle = QStringLiteral("NUVIRA ");

// Where the picture preview sits on the source files page.
const QRect PreviewRect(272, 8, 167, 135);

// The spin edit of the interval: no bounds, and a text that is no integer (an empty
// box, a lone sign, a decimal number, a number beyond the 32-bit range) reads as 0.
class DelaySpinEdit : public QSpinBox {
public:
    explicit DelaySpinEdit(QWidget *parent) : QSpinBox(parent)
    {
        setRange(INT_MIN, INT_MAX);
        setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    }

protected:
    // Digits, a sign and a decimal separator are typed freely; anything else is refused.
    QValidator::State validate(QString &text, int &) const override
    {
        static const QRegularExpression allowed(QStringLiteral("^\\s*[+-]?\\d*([.,]\\d*)?\\s*$"));
        return allowed.match(text).hasMatch() ? QValidator::Acceptable : QValidator::Invalid;
    }
    int valueFromText(const QString &text) const override
    {
        bool ok = false;
        const int v = text.trimmed().toInt(&ok);
        return ok ? v : 0;
    }
};

// A caption panel: a sunken frame with a text, like the wizard's header panels.
QLabel *captionPanel(QWidget *parent, const QString &text, const QRect &geometry)
{
    auto *label = new QLabel(text, parent);
    label->setFrameStyle(QFrame::Panel | QFrame::Raised);
    label->setGeometry(geometry);
    return label;
}

QToolButton *pictureButton(QWidget *parent, QStyle::StandardPixmap icon, const QString &hint,
                           const QRect &geometry)
{
    auto *button = new QToolButton(parent);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(hint);
    button->setGeometry(geometry);
    return button;
}

// A "Vista Preeliminar" panel with its check box.
QCheckBox *previewPanel(QWidget *parent, const QRect &geometry)
{
    auto *panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(geometry);
    auto *layout = new QHBoxLayout(panel);
    layout->setContentsMargins(6, 0, 6, 0);
    auto *check = new QCheckBox(panel);
    check->setChecked(true);
    auto *caption = new QLabel(QStringLiteral("Vista Preeliminar"), panel);
    caption->setBuddy(check);
    layout->addWidget(check);
    layout->addWidget(caption, 1);
    return check;
}

// The selected line of a single-selection list, or -1.
int selectedRow(const QListWidget *list)
{
    const int row = list->currentRow();
    if (row < 0 || !list->item(row) || !list->item(row)->isSelected()) return -1;
    return row;
}

// Selects a line the way the program does: no click event of the list is raised.
void selectRow(QListWidget *list, int row)
{
    const QSignalBlocker block(list);
    if (row < 0 || row >= list->count()) {
        list->setCurrentRow(-1);
        list->clearSelection();
        return;
    }
    list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

QStringList listTexts(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

// The busy cursor of a build, restored on every way out.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::BusyCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

} // namespace

// The window's icon lives in the library's resources, which a static library must
// register itself.
static void initCreatorResources() { Q_INIT_RESOURCE(creator); }

QString OutputNameFromFile(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    return name.size() > 4 ? name.left(name.size() - 4) : QString();
}

template <class F> void TSaverForm::guarded(F &&handler)
{
    try {
        handler();
    } catch (const std::exception &e) {
        MessageService::message(QString::fromUtf8(e.what()), this);
    }
}

template <class Sender, class Signal>
void TSaverForm::onSignal(Sender *sender, Signal signal, void (TSaverForm::*handler)())
{
    connect(sender, signal, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
}

TSaverForm::TSaverForm(QWidget *parent) : QMainWindow(parent)
{
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(448, 338);
    initCreatorResources();
    setWindowIcon(QIcon(QStringLiteral(":/nuvira/nuvira.png")));

    buildMenus();
    scPageWiz = new QTabWidget(this);
    scPageWiz->setObjectName(QStringLiteral("scPageWiz"));
    // Six captions in 448 pixels: tighter tabs than the style's own, no scroll arrows.
    scPageWiz->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 4px 7px; }"));
    scPageWiz->setUsesScrollButtons(false);
    setCentralWidget(scPageWiz);
    const char *captions[PageCount] = {"Tipo", "Archivos", "Sonidos", "Opciones", "Efectos", "Crear ScreenSaver"};
    QWidget *pages[PageCount];
    for (int i = 0; i < PageCount; ++i) {
        pages[i] = new QWidget;
        scPageWiz->addTab(pages[i], QString::fromUtf8(captions[i]));
    }
    buildTypePage(pages[PageType]);
    buildFilesPage(pages[PageFiles]);
    buildSoundsPage(pages[PageSounds]);
    buildOptionsPage(pages[PageOptions]);
    buildEffectsPage(pages[PageEffects]);
    buildBuildPage(pages[PageBuild]);

    connect(scPageWiz, &QTabWidget::currentChanged, this, [this] {
        scPageWizChange();
        // A tab chosen by the user; the navigation commands run the handling themselves.
        if (!m_navigating) guarded([this] { scPageWizClick(); });
    });

    FormCreate();
}

TSaverForm::~TSaverForm()
{
    qApp->removeEventFilter(this);
    if (ImageShow1) ImageShow1->Stop();
}

void TSaverForm::FormCreate()
{
    // The quit rule starts over with every window (the type follows its radio buttons).
    m_quitRule = 1;
    qApp->installEventFilter(this);
    edtOutPath->setText(QCoreApplication::applicationDirPath() + QLatin1Char('/'));
    goToPage(PageType);
    m_projectFile = QStringLiteral("temp.smp");
    // A refused write is reported and the window opens all the same, with the steps
    // below done.
    guarded([this] { WriteProjectFile(); });
    setWindowTitle(QStringLiteral("NUVIRA  [ 1.0. Version ]"));
    fillEffectList();
    m_previewIndex = 0;
}

// ---------------------------------------------------------------------------------------
// Window layout

void TSaverForm::buildMenus()
{
    QMenu *saver = menuBar()->addMenu(QStringLiteral("ScreenSaver"));
    mnuBuild = saver->addAction(QStringLiteral("&Generar el ScreenSaver"));
    saver->addSeparator();
    mnuInstall = saver->addAction(QStringLiteral("&Instalarlo"));
    mnuPreview = saver->addAction(QStringLiteral("&Visualizar Protector de pantalla"));
    onSignal(mnuBuild, &QAction::triggered, &TSaverForm::scButBuildClick);
    onSignal(mnuInstall, &QAction::triggered, &TSaverForm::btnSetupClick);
    onSignal(mnuPreview, &QAction::triggered, &TSaverForm::btnPreviewClick);

    QMenu *go = menuBar()->addMenu(QStringLiteral("&Ir a ..."));
    const char *items[PageCount] = {"Tipo de Protector de Pantalla",
                                    "Añadir Archivos (Imagenes o Películas Flash)",
                                    "Agregar &Sonidos (Solo a las Imágenes)",
                                    "Opciones",
                                    "&Efectos ( Solo a las Imagenes )",
                                    "&Construir el Protector de Pantalla"};
    void (TSaverForm::*commands[PageCount])() = {&TSaverForm::SaverType1_oldClick, &TSaverForm::SelectFiles1_oldClick,
                                                &TSaverForm::Souns1_oldClick,     &TSaverForm::Options1_oldClick,
                                                &TSaverForm::Effects1_oldClick,   &TSaverForm::Build1_oldClick};
    for (int i = 0; i < PageCount; ++i) {
        goToItems[i] = go->addAction(QString::fromUtf8(items[i]));
        goToItems[i]->setCheckable(true);
        goToItems[i]->setChecked(i == 0);
        const auto command = commands[i];
        connect(goToItems[i], &QAction::triggered, this, [this, command, i] {
            // The mark is the page handling's business, not the item's own toggle.
            goToItems[i]->setChecked(scPageWiz->currentIndex() == i);
            guarded([this, command] { (this->*command)(); });
        });
    }
}

QToolButton *TSaverForm::addNextButton(QWidget *page, int fromPage, const QString &hint)
{
    auto *button = new QToolButton(page);
    button->setAutoRaise(true);
    button->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
    button->setIconSize(QSize(32, 16));
    button->setToolTip(hint);
    button->setGeometry(448 - 8 - 81 - 4, 244, 81, 25);
    nextButtons[fromPage] = button;
    return button;
}

void TSaverForm::buildTypePage(QWidget *page)
{
    auto *header = captionPanel(page, QStringLiteral("Tipo de ScreenSaver"), QRect(8, 8, 428, 36));
    QFont f = header->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.3);
    header->setFont(f);
    header->setIndent(10);

    auto *panel = new QFrame(page);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(8, 52, 428, 110);
    scRdoPicType = new QRadioButton(QStringLiteral("Mostrar Imagenes *.jpg, *.bmp, *.gif"), panel);
    scRdoPicType->setGeometry(24, 22, 380, 24);
    scRdoFlaType = new QRadioButton(QStringLiteral("Animacion Flash  *.Swf"), panel);
    scRdoFlaType->setGeometry(24, 62, 380, 24);
    scRdoPicType->setChecked(true);
    connect(scRdoPicType, &QRadioButton::toggled, this, [this](bool on) {
        if (on) guarded([this] { scRdoPicTypeClick(); });
    });
    connect(scRdoFlaType, &QRadioButton::toggled, this, [this](bool on) {
        if (on) guarded([this] { scRdoFlaTypeClick(); });
    });

    onSignal(addNextButton(page, PageType, QStringLiteral("Ir a añadir Archivos...")),
             &QToolButton::clicked, &TSaverForm::SelectFiles1_oldClick);
}

void TSaverForm::buildFilesPage(QWidget *page)
{
    lbSourcefiles = new QListWidget(page);
    lbSourcefiles->setGeometry(8, 8, 218, 190);
    lbSourcefiles->setSelectionMode(QAbstractItemView::SingleSelection);
    lbSourcefiles->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    lbSourcefiles->viewport()->setMouseTracking(true);

    scButton1 = pictureButton(page, QStyle::SP_FileDialogNewFolder, QStringLiteral("Agregar Archivos"),
                              QRect(232, 8, 32, 30));
    scButton2 = pictureButton(page, QStyle::SP_TrashIcon, QStringLiteral("Quitar Elemento Seleccionado."),
                              QRect(232, 44, 32, 30));
    SpeedButton1 = pictureButton(page, QStyle::SP_ArrowUp, QStringLiteral("Mover Hacia Arriba"), QRect(232, 96, 32, 30));
    SpeedButton2 = pictureButton(page, QStyle::SP_ArrowDown, QStringLiteral("Mover Hacia Abajo"), QRect(232, 132, 32, 30));
    SpeedButton1->setAutoRaise(true);
    SpeedButton2->setAutoRaise(true);

    auto *bevel = new QFrame(page);
    bevel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bevel->setGeometry(PreviewRect.adjusted(-2, -2, 2, 2));
    imgpreview = new QLabel(page);
    imgpreview->setGeometry(PreviewRect);
    imgpreview->setScaledContents(true);
    swfPreview = new FlashPlayer(page);
    swfPreview->setGeometry(PreviewRect.x(), PreviewRect.y(), 168, 136);
    scchkPreviewSource = previewPanel(page, QRect(270, 150, 171, 28));

    lblfullname = new QLabel(page);
    lblfullname->setGeometry(8, 204, 432, 18);

    onSignal(scButton1, &QToolButton::clicked, &TSaverForm::scButton1Click);
    onSignal(scButton2, &QToolButton::clicked, &TSaverForm::scButton2Click);
    onSignal(SpeedButton1, &QToolButton::clicked, &TSaverForm::SpeedButton1Click);
    onSignal(SpeedButton2, &QToolButton::clicked, &TSaverForm::SpeedButton2Click);
    onSignal(scchkPreviewSource, &QCheckBox::clicked, &TSaverForm::scchkPreviewSourceClick);
    // The list's click event: a change of the selected line by the user (mouse or keys;
    // the selection, not the current row, which a mouse press moves before it selects),
    // or a click on the line that already was selected.
    connect(lbSourcefiles, &QListWidget::itemSelectionChanged, this, [this] {
        ++m_sourceRowChanges;
        guarded([this] { lbSourcefilesClick(); });
    });
    connect(lbSourcefiles, &QListWidget::clicked, this, [this] {
        if (m_sourceRowChanges == m_sourceRowChangesAtPress) guarded([this] { lbSourcefilesClick(); });
    });

    onSignal(addNextButton(page, PageFiles, QStringLiteral("Ir a añadir Música...")),
             &QToolButton::clicked, &TSaverForm::Souns1_oldClick);
}

void TSaverForm::buildSoundsPage(QWidget *page)
{
    lbMusicFiles = new QListWidget(page);
    lbMusicFiles->setGeometry(8, 8, 262, 190);
    lbMusicFiles->setSelectionMode(QAbstractItemView::SingleSelection);
    lbMusicFiles->viewport()->setMouseTracking(true);

    scButton5 = pictureButton(page, QStyle::SP_FileDialogNewFolder, QStringLiteral("Agrega nuevo sonido"),
                              QRect(276, 8, 32, 30));
    scButton6 = pictureButton(page, QStyle::SP_TrashIcon, QStringLiteral("Quitar sonido seleccionado."),
                              QRect(276, 44, 32, 30));
    SpeedButton4 = pictureButton(page, QStyle::SP_ArrowUp, QStringLiteral("Mover Hacia Arriba"), QRect(276, 96, 32, 30));
    SpeedButton5 = pictureButton(page, QStyle::SP_ArrowDown, QStringLiteral("Mover Hacia Abajo"), QRect(276, 132, 32, 30));
    SpeedButton4->setAutoRaise(true);
    SpeedButton5->setAutoRaise(true);
    SpeedButton6 = pictureButton(page, QStyle::SP_MediaPlay, QString(), QRect(320, 8, 116, 30));
    SpeedButton6->setText(QStringLiteral("  &Play  "));
    SpeedButton7 = pictureButton(page, QStyle::SP_MediaStop, QString(), QRect(320, 44, 116, 30));
    SpeedButton7->setText(QStringLiteral("  &Parar "));
    for (QToolButton *b : {SpeedButton6, SpeedButton7}) {
        b->setAutoRaise(true);
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }

    lblfullnamemusic = new QLabel(page);
    lblfullnamemusic->setGeometry(8, 204, 432, 18);
    mpPreMusic = new MediaPlayer(this);

    onSignal(scButton5, &QToolButton::clicked, &TSaverForm::scButton5Click);
    onSignal(scButton6, &QToolButton::clicked, &TSaverForm::scButton6Click);
    onSignal(SpeedButton4, &QToolButton::clicked, &TSaverForm::SpeedButton4Click);
    onSignal(SpeedButton5, &QToolButton::clicked, &TSaverForm::SpeedButton5Click);
    onSignal(SpeedButton6, &QToolButton::clicked, &TSaverForm::SpeedButton6Click);
    onSignal(SpeedButton7, &QToolButton::clicked, &TSaverForm::SpeedButton7Click);

    onSignal(addNextButton(page, PageSounds, QStringLiteral("Ir a Opciones del ScreenSaver...")),
             &QToolButton::clicked, &TSaverForm::Options1_oldClick);
}

void TSaverForm::buildOptionsPage(QWidget *page)
{
    grpInterval = new QGroupBox(page);
    grpInterval->setGeometry(8, 6, 428, 48);
    auto *intervalLabel = new QLabel(QStringLiteral("Intervalo entre las imagenes :"), grpInterval);
    intervalLabel->setGeometry(12, 14, 190, 22);
    SpnDelayTime = new DelaySpinEdit(grpInterval);
    SpnDelayTime->setGeometry(206, 12, 80, 26);
    SpnDelayTime->setValue(5);
    intervalLabel->setBuddy(SpnDelayTime);
    auto *seconds = new QLabel(QStringLiteral("Seg."), grpInterval);
    seconds->setGeometry(294, 14, 40, 22);

    RdoGpQuitMode = new QGroupBox(QStringLiteral("Cerrar ScreenSaver Cuando:"), page);
    RdoGpQuitMode->setGeometry(8, 60, 300, 164);
    quitModeButtons = new QButtonGroup(this);
    const char *rules[] = {"Se mueva el ratón", "Se haga click", "Se presione una tecla",
                           "Cualquiera de las 3 anteriores", "Se presionen las Teclas( Alt + F4 )"};
    for (int i = 0; i < 5; ++i) {
        auto *b = new QRadioButton(QString::fromUtf8(rules[i]), RdoGpQuitMode);
        b->setGeometry(14, 24 + 27 * i, 276, 24);
        quitModeButtons->addButton(b, i);
    }
    connect(quitModeButtons, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on) guarded([this] { RdoGpQuitModeClick(); });
    });

    // The mask option: its group is never shown, so no picture gets a mask.
    TeGroupBox1 = new QGroupBox(page);
    TeGroupBox1->setGeometry(314, 60, 122, 120);
    chkMask = new QCheckBox(QStringLiteral("Mascara"), TeGroupBox1);
    chkMask->setGeometry(8, 8, 100, 22);
    chkMask->setChecked(true);
    pnlmask1 = new QFrame(TeGroupBox1);
    pnlmask1->setGeometry(8, 34, 64, 64);
    imgmask1 = new QToolButton(pnlmask1);
    imgmask1->setGeometry(4, 4, 56, 56);
    TeGroupBox1->hide();
    onSignal(imgmask1, &QToolButton::clicked, &TSaverForm::imgmask1Click);
    onSignal(chkMask, &QCheckBox::toggled, &TSaverForm::chkMaskClick);

    onSignal(addNextButton(page, PageOptions, QStringLiteral("Ir a los Efectos...")),
             &QToolButton::clicked, &TSaverForm::Effects1_oldClick);
}

void TSaverForm::buildEffectsPage(QWidget *page)
{
    lbx_effects = new QListWidget(page);
    lbx_effects->setGeometry(8, 8, 236, 214);
    lbx_effects->setSelectionMode(QAbstractItemView::SingleSelection);

    pnl_effectpre = new QFrame(page);
    pnl_effectpre->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnl_effectpre->setLineWidth(2);
    pnl_effectpre->setGeometry(252, 8, 185, 161);
    auto *fill = new QVBoxLayout(pnl_effectpre);
    fill->setContentsMargins(0, 0, 0, 0);
    ImageShow1 = new TImageShow(pnl_effectpre);
    fill->addWidget(ImageShow1);
    Image1 = new QLabel(pnl_effectpre);
    Image1->setScaledContents(true);
    Image1->hide();
    scchkPreviewEffect = previewPanel(page, QRect(252, 176, 185, 28));

    connect(lbx_effects, &QListWidget::itemSelectionChanged, this, [this] {
        ++m_effectRowChanges;
        guarded([this] { lbx_effectsClick(); });
    });
    connect(lbx_effects, &QListWidget::clicked, this, [this] {
        if (m_effectRowChanges == m_effectRowChangesAtPress) guarded([this] { lbx_effectsClick(); });
    });
    onSignal(lbx_effects, &QListWidget::itemDoubleClicked, &TSaverForm::lbx_effectsDblClick);
    // Both preview boxes run the source page's handler, which looks at its own box.
    onSignal(scchkPreviewEffect, &QCheckBox::clicked, &TSaverForm::scchkPreviewSourceClick);

    onSignal(addNextButton(page, PageEffects, QStringLiteral("Ir a Construir el ScreenSaver...")),
             &QToolButton::clicked, &TSaverForm::Build1_oldClick);
}

void TSaverForm::buildBuildPage(QWidget *page)
{
    captionPanel(page, QStringLiteral("  Destino del ScreenSaver:"), QRect(8, 8, 428, 24));
    edtOutPath = new QLineEdit(page);
    edtOutPath->setReadOnly(true);
    edtOutPath->setGeometry(8, 36, 392, 26);
    SpeedButton8 = new QToolButton(page);
    SpeedButton8->setText(QStringLiteral("..."));
    SpeedButton8->setGeometry(406, 36, 30, 26);
    connect(edtOutPath, &QLineEdit::textChanged, this, [this] { edtOutPathChange(); });
    onSignal(SpeedButton8, &QToolButton::clicked, &TSaverForm::BrowseOutputFolder);

    captionPanel(page, QStringLiteral("  Nombre del ScreenSaver ( Scr ):"), QRect(8, 72, 428, 24));
    edtOutputName = new QLineEdit(page);
    edtOutputName->setGeometry(8, 100, 428, 26);

    RdoGpOutType = new QGroupBox(QStringLiteral(" Tipo de Archivo - ScreenSaver o Ejecutable "), page);
    RdoGpOutType->setGeometry(8, 134, 428, 54);
    outTypeButtons = new QButtonGroup(this);
    auto *scr = new QRadioButton(QStringLiteral("*.Scr"), RdoGpOutType);
    scr->setGeometry(14, 22, 190, 24);
    auto *exe = new QRadioButton(QStringLiteral("*.Exe"), RdoGpOutType);
    exe->setGeometry(222, 22, 190, 24);
    outTypeButtons->addButton(scr, 0);
    outTypeButtons->addButton(exe, 1);
    scr->setChecked(true);

    lblBuildProgress = new QLabel(page);
    lblBuildProgress->setGeometry(8, 198, 428, 18);
    barBuildProgress = new QProgressBar(page);
    barBuildProgress->setGeometry(8, 218, 428, 18);
    lblBuildProgress->hide();
    barBuildProgress->hide();
}

void TSaverForm::fillEffectList()
{
    lbx_effects->clear();
    int position = 0;
    for (int n : package::OfferedEffects()) {
        auto *item = new QListWidgetItem(QStringLiteral("Efecto %1").arg(++position), lbx_effects);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        item->setData(Qt::UserRole, n);
    }
}

// ---------------------------------------------------------------------------------------
// SaverProject

QStringList TSaverForm::sourceFiles() const { return listTexts(lbSourcefiles); }
QStringList TSaverForm::musicFiles() const { return listTexts(lbMusicFiles); }
int TSaverForm::quitChoice() const { return quitModeButtons->checkedId(); }
int TSaverForm::delaySeconds() const { return SpnDelayTime->value(); }
QString TSaverForm::outputName() const { return edtOutputName->text(); }
int TSaverForm::outputKind() const { return outTypeButtons->checkedId(); }

QList<int> TSaverForm::enabledEffects() const
{
    QList<int> out;
    for (int i = 0; i < lbx_effects->count(); ++i)
        if (lbx_effects->item(i)->checkState() == Qt::Checked) out << lbx_effects->item(i)->data(Qt::UserRole).toInt();
    return out;
}

PackageSettings TSaverForm::packageSettings() const
{
    PackageSettings s;
    s.saverType = saverType();
    s.musicFiles = musicFiles();
    s.quitRule = m_quitRule;
    s.delaySeconds = delaySeconds();
    s.enabledEffects = enabledEffects();
    s.mask.checked = chkMask->isChecked();
    s.mask.maskFile = m_maskFile;
    s.mask.baseFolder = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        s.screen = (QSizeF(screen->size()) * screen->devicePixelRatio()).toSize();
    return s;
}

// ---------------------------------------------------------------------------------------
// The project file

void TSaverForm::WriteProjectFile()
{
    if (m_projectFile.isEmpty()) return;
    // Every key is set in memory and the file written once.
    PrivateProfile::Profile p(m_projectFile);
    if (scRdoPicType->isChecked()) p.writeString(QStringLiteral("saverType"), QStringLiteral("type"), QStringLiteral("pic"));
    else if (scRdoFlaType->isChecked()) p.writeString(QStringLiteral("saverType"), QStringLiteral("type"), QStringLiteral("fla"));

    p.writeInteger(QStringLiteral("dataFiles"), QStringLiteral("filenum"), lbSourcefiles->count());
    for (int i = 0; i < lbSourcefiles->count(); ++i)
        p.writeString(QStringLiteral("dataFiles"), QStringLiteral("file%1").arg(i), lbSourcefiles->item(i)->text());
    p.writeInteger(QStringLiteral("musicFiles"), QStringLiteral("musicnum"), lbMusicFiles->count());
    for (int i = 0; i < lbMusicFiles->count(); ++i)
        p.writeString(QStringLiteral("musicFiles"), QStringLiteral("music%1").arg(i), lbMusicFiles->item(i)->text());

    p.writeInteger(QStringLiteral("myOptions"), QStringLiteral("quitMode"), quitChoice());
    p.writeInteger(QStringLiteral("myOptions"), QStringLiteral("DelayTime"), SpnDelayTime->value());

    p.writeString(QStringLiteral("myBuild"), QStringLiteral("OutPath"), edtOutPath->text());
    p.writeString(QStringLiteral("myBuild"), QStringLiteral("OutFileName"), edtOutputName->text());
    p.writeInteger(QStringLiteral("myBuild"), QStringLiteral("OutType"), outputKind());
    p.save();
}

bool TSaverForm::ProjectMatchesFile()
{
    const PrivateProfile::Profile p(m_projectFile); // read once for every key below
    m_unchanged = false;
    if (scRdoPicType->isChecked() &&
        p.readString(QStringLiteral("saverType"), QStringLiteral("type"), QStringLiteral("fla")) == QLatin1String("fla"))
        return false;
    if (p.readInteger(QStringLiteral("dataFiles"), QStringLiteral("filenum"), 0) != lbSourcefiles->count()) return false;
    if (p.readInteger(QStringLiteral("musicFiles"), QStringLiteral("musicnum"), 0) != lbMusicFiles->count()) return false;
    if (p.readInteger(QStringLiteral("myOptions"), QStringLiteral("quitMode"), 0) != quitChoice()) return false;
    if (p.readInteger(QStringLiteral("myOptions"), QStringLiteral("DelayTime"), 3) != SpnDelayTime->value()) return false;
    if (p.readString(QStringLiteral("myBuild"), QStringLiteral("OutPath"), QString()) != edtOutPath->text()) return false;
    if (p.readString(QStringLiteral("myBuild"), QStringLiteral("OutFileName"), QString()) != edtOutputName->text())
        return false;
    if (p.readInteger(QStringLiteral("myBuild"), QStringLiteral("OutType"), 0) != outputKind()) return false;
    m_unchanged = true;
    return true;
}

bool TSaverForm::FormCloseQuery()
{
    if (m_projectFile.isEmpty()) return true;
    ProjectMatchesFile();
    if (!m_unchanged && !m_built) {
        const MsgAnswer answer = MessageService::box(QStringLiteral("Está deshabilitada esta función."),
                                                     QStringLiteral("°qet°"), MsgIcon::Question,
                                                     MsgButtons::YesNo, this);
        if (answer == MsgAnswer::Yes) {
            try {
                WriteProjectFile();
            } catch (const ProfileWriteError &e) {
                // The refused write keeps the window open; the next close asks again.
                MessageService::message(QString::fromUtf8(e.what()), this);
                return false;
            }
        }
    }
    return true;
}

void TSaverForm::closeEvent(QCloseEvent *event)
{
    if (FormCloseQuery()) event->accept();
    else event->ignore();
}

// ---------------------------------------------------------------------------------------
// Navigation, the type switch and the message filter

void TSaverForm::goToPage(int page)
{
    m_navigating = true;
    scPageWiz->setCurrentIndex(page);
    m_navigating = false;
    scPageWizClick();
}

void TSaverForm::stopMusicPreview()
{
    if (mpPreMusic->Mode() == MediaMode::Playing) mpPreMusic->Close();
}

void TSaverForm::scPageWizClick()
{
    if (scPageWiz->currentIndex() != PageSounds) stopMusicPreview();
    if (scRdoFlaType->isChecked() && scPageWiz->currentIndex() == PageSounds) {
        MessageService::message(NoFlashSounds, this);
        m_navigating = true;
        scPageWiz->setCurrentIndex(PageOptions);
        m_navigating = false;
    }
    for (int i = 0; i < PageCount; ++i) goToItems[i]->setChecked(scPageWiz->currentIndex() == i);
}

void TSaverForm::scRdoPicTypeClick()
{
    quitModeButtons->button(0)->setChecked(true);
    scButton5->setEnabled(true);
    grpInterval->setVisible(true);
}

void TSaverForm::scRdoFlaTypeClick()
{
    quitModeButtons->button(2)->setChecked(true);
    scButton5->setEnabled(false);
    grpInterval->setVisible(false);
}

void TSaverForm::SaverType1_oldClick() { goToPage(PageType); }
void TSaverForm::SelectFiles1_oldClick() { goToPage(PageFiles); }
void TSaverForm::Souns1_oldClick() { goToPage(PageSounds); }
void TSaverForm::Options1_oldClick() { goToPage(PageOptions); }
void TSaverForm::Effects1_oldClick() { goToPage(PageEffects); }
void TSaverForm::Build1_oldClick() { goToPage(PageBuild); }

bool TSaverForm::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        // The Flash player never gets the right button, so its menu never opens.
        if (mouse->button() == Qt::RightButton && watched == swfPreview) return true;
        if (watched == lbSourcefiles->viewport()) m_sourceRowChangesAtPress = m_sourceRowChanges;
        if (watched == lbx_effects->viewport()) m_effectRowChangesAtPress = m_effectRowChanges;
        break;
    }
    case QEvent::ContextMenu:
        if (watched == swfPreview) return true;
        break;
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (watched == lbSourcefiles->viewport()) lbSourcefilesMouseMove(mouse->position().toPoint());
        else if (watched == lbMusicFiles->viewport()) lbMusicFilesMouseMove(mouse->position().toPoint());
        break;
    }
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------
// Source files page

void TSaverForm::scButton1Click()
{
    const QStringList chosen =
        saverType() == SaverType::Pictures
            ? FileDialogs::current().openFiles(this, QStringLiteral("dlgOpenPic"), PictureFilter, true)
            : FileDialogs::current().openFiles(this, QStringLiteral("dlgOpen"), FlashFilter, false);
    for (const QString &path : chosen) lbSourcefiles->addItem(path);
    if (lbSourcefiles->count() > 0) {
        selectRow(lbSourcefiles, 0);
        lbSourcefilesClick();
        lbSourcefiles->setToolTip(lbSourcefiles->item(0)->text());
        edtOutputName->setText(OutputNameFromFile(lbSourcefiles->item(0)->text()));
    }
}

void TSaverForm::scButton2Click()
{
    const int i = selectedRow(lbSourcefiles);
    if (i < 0) return;
    delete lbSourcefiles->takeItem(i);
    selectRow(lbSourcefiles, i == 0 ? 0 : i - 1);
    lbSourcefilesClick();
    const int now = selectedRow(lbSourcefiles);
    lblfullname->setText(now >= 0 ? lbSourcefiles->item(now)->text() + QString(10, ' ') : QString(3, ' '));
}

void TSaverForm::MoveListItem(QListWidget *list, bool up)
{
    const int k = selectedRow(list);
    const int other = up ? k - 1 : k + 1;
    if (k < 0 || other < 0 || other >= list->count()) return;
    const QString text = list->item(k)->text();
    list->item(k)->setText(list->item(other)->text());
    list->item(other)->setText(text);
    selectRow(list, other);
}

void TSaverForm::SpeedButton1Click() { MoveListItem(lbSourcefiles, true); }
void TSaverForm::SpeedButton2Click() { MoveListItem(lbSourcefiles, false); }

void TSaverForm::lbSourcefilesClick()
{
    const int row = selectedRow(lbSourcefiles);
    if (row < 0 || !scchkPreviewSource->isChecked()) return;
    const QString path = lbSourcefiles->item(row)->text();
    if (saverType() == SaverType::Pictures) {
        swfPreview->resize(0, 0);
        imgpreview->setPixmap(QPixmap::fromImage(LoadSourcePicture(path)));
    } else {
        swfPreview->setGeometry(PreviewRect.x(), PreviewRect.y(), 167, 136);
        swfPreview->raise();
        swfPreview->setMovie(path);
        swfPreview->Play();
    }
    lbSourcefiles->setToolTip(path);
}

void TSaverForm::scchkPreviewSourceClick()
{
    if (scchkPreviewSource->isChecked()) {
        lbSourcefilesClick();
    } else {
        imgpreview->clear();
        swfPreview->setMovie(QStringLiteral("noswf"));
    }
}

void TSaverForm::lbSourcefilesMouseMove(const QPoint &viewportPos)
{
    const QListWidgetItem *item = lbSourcefiles->itemAt(viewportPos);
    if (!item) return;
    const QString text = item->text() + QString(4, ' ');
    lblfullname->setText(text);
    lblfullname->setToolTip(text);
}

// ---------------------------------------------------------------------------------------
// Sounds page

void TSaverForm::scButton5Click()
{
    const QStringList chosen = FileDialogs::current().openFiles(this, QStringLiteral("dlgOpen"), MusicFilter, false);
    for (const QString &path : chosen) lbMusicFiles->addItem(path);
    if (lbMusicFiles->count() > 0) selectRow(lbMusicFiles, 0);
}

void TSaverForm::scButton6Click()
{
    const int i = selectedRow(lbMusicFiles);
    if (i >= 0) {
        delete lbMusicFiles->takeItem(i);
        selectRow(lbMusicFiles, i == 0 ? 0 : i - 1);
    }
    const int now = selectedRow(lbMusicFiles);
    lblfullnamemusic->setText(now >= 0 ? lbMusicFiles->item(now)->text() + QString(10, ' ') : QString(3, ' '));
}

void TSaverForm::SpeedButton4Click() { MoveListItem(lbMusicFiles, true); }
void TSaverForm::SpeedButton5Click() { MoveListItem(lbMusicFiles, false); }

void TSaverForm::SpeedButton6Click()
{
    const int row = selectedRow(lbMusicFiles);
    if (row < 0) return;
    mpPreMusic->setFileName(lbMusicFiles->item(row)->text());
    mpPreMusic->Open();
    mpPreMusic->Play();
}

void TSaverForm::SpeedButton7Click() { stopMusicPreview(); }

void TSaverForm::lbMusicFilesMouseMove(const QPoint &viewportPos)
{
    const QListWidgetItem *item = lbMusicFiles->itemAt(viewportPos);
    if (!item) return;
    lblfullnamemusic->setText(item->text() + QString(10, ' '));
    lblfullnamemusic->setToolTip(item->text());
}

// ---------------------------------------------------------------------------------------
// Options and effects pages

void TSaverForm::RdoGpQuitModeClick() { m_quitRule = quitModeButtons->checkedId() + 1; }

void TSaverForm::imgmask1Click()
{
    m_maskFile = QStringLiteral("mask1.jpg");
    pnlmask1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pnlmask1->setLineWidth(2);
    chkMask->setChecked(true);
}

void TSaverForm::chkMaskClick()
{
    if (chkMask->isChecked()) {
        m_maskFile = QStringLiteral("mask1.jpg");
        pnlmask1->setFrameStyle(QFrame::Panel | QFrame::Raised);
        pnlmask1->setLineWidth(2);
    } else {
        m_maskFile.clear();
        pnlmask1->setFrameStyle(QFrame::NoFrame);
    }
}

void TSaverForm::lbx_effectsDblClick()
{
    const int row = selectedRow(lbx_effects);
    if (row < 0) return;
    QListWidgetItem *item = lbx_effects->item(row);
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void TSaverForm::lbx_effectsClick()
{
    const int count = lbSourcefiles->count();
    if (!scchkPreviewEffect->isChecked() || saverType() != SaverType::Pictures || count == 0) return;
    if (m_previewIndex >= count) m_previewIndex = 0;
    Image1->clear();
    const QImage picture = LoadSourcePicture(lbSourcefiles->item(m_previewIndex)->text());
    Image1->setPixmap(QPixmap::fromImage(picture));

    QImage bitmap(pnl_effectpre->contentsRect().size(), QImage::Format_RGB32);
    bitmap.fill(Qt::black);
    {
        QPainter painter(&bitmap);
        painter.drawImage(bitmap.rect(), picture);
    }
    const int row = selectedRow(lbx_effects);
    if (row >= 0) {
        ImageShow1->SetStretch(true);
        ImageShow1->SetPicture(bitmap);
        ImageShow1->SetStyle(lbx_effects->item(row)->data(Qt::UserRole).toInt());
        ImageShow1->Execute();
        ++m_previewIndex; // 8 bits: wraps from 255 to 0
        if (m_previewIndex == count) m_previewIndex = 0;
    }
}

// ---------------------------------------------------------------------------------------
// Build, install, preview

// The output folder is the field's text itself; nothing else follows it.
void TSaverForm::edtOutPathChange() {}

QString TSaverForm::outputFolder() const { return edtOutPath->text(); }

SaverType TSaverForm::saverType() const
{
    return scRdoFlaType->isChecked() ? SaverType::Flash : SaverType::Pictures;
}

void TSaverForm::BrowseOutputFolder()
{
    QString folder = FileDialogs::current().pickFolder(this, QStringLiteral("Especifica un directorio  "));
    if (folder.isEmpty()) return;
    if (!folder.endsWith('/')) folder += '/';
    edtOutPath->setText(folder);
}

void TSaverForm::showBuildProgress(int k, int n)
{
    lblBuildProgress->setText(QStringLiteral("Imagen %1 de %2").arg(k + 1).arg(n));
    barBuildProgress->setRange(0, n);
    barBuildProgress->setValue(k);
    lblBuildProgress->show();
    barBuildProgress->show();
    // Keep the window painted while the pictures are prepared; user input waits, so no
    // second command can start in the middle of this one.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TSaverForm::scButBuildClick()
{
    const BusyCursor busy;
    if (scPageWiz->currentIndex() != PageBuild) goToPage(PageBuild);
    stopMusicPreview();
    const QStringList sources = sourceFiles();
    if (sources.isEmpty()) {
        MessageService::message(QStringLiteral("Selecciona imagenes o un archivo Swf primero"), this);
        return;
    }
    if (saverType() == SaverType::Pictures && enabledEffects().isEmpty()) {
        MessageService::message(QStringLiteral("Selecciona al menos un efecto para el proyector scr "), this);
        return;
    }
    const QString output = OutputPath(outputFolder(), outputName(), sources.first(), outputKind());
    bool done = false;
    if (ExtractRuntime(QStringLiteral("exefile"), QStringLiteral("head"), output)) {
        done = WritePackage(output, sources, packageSettings(), [this](int k, int n) { showBuildProgress(k, n); });
        lblBuildProgress->hide();
        barBuildProgress->hide();
    }
    if (done) {
        MessageService::box(QStringLiteral("Proceso hecho "), QStringLiteral("Informacion"), MsgIcon::Information,
                            MsgButtons::Ok, this);
        m_built = true;
    } else {
        // A runtime that could not be written fails the build as loudly as a failed
        // writer, and leaves no partial file behind either.
        if (QFileInfo::exists(output)) QFile::remove(output);
        MessageService::box(QStringLiteral("Proceso falló !"), QStringLiteral("Informacion"), MsgIcon::Information,
                            MsgButtons::Ok, this);
    }
    m_lastBuiltFile = output;
}

void TSaverForm::btnSetupClick()
{
    if (!QFileInfo(m_lastBuiltFile).isFile()) {
        MessageService::box(BuildFirst, AppTitle, MsgIcon::Information, MsgButtons::Ok, this);
        return;
    }
    InstallSaver(m_lastBuiltFile);
    Desktop::current().openScreensaverSettings();
}

void TSaverForm::btnPreviewClick()
{
    if (!QFileInfo(m_lastBuiltFile).isFile()) {
        MessageService::box(BuildFirst, AppTitle, MsgIcon::Information, MsgButtons::Ok, this);
        return;
    }
    Process::current().startDetached(m_lastBuiltFile, {});
}
