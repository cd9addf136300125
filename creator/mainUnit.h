#pragma once
// The creator's main window, TSaverForm: a six-page wizard that holds the whole project
// (SaverProject) in its controls and fields, writes the automatic project file, and
// builds, installs and previews the screensaver.
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include "builder/WritePackage.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QToolButton;
class FlashPlayer;
class MediaPlayer;
class TImageShow;

// The pages of the wizard, in tab order.
enum WizardPage { PageType = 0, PageFiles, PageSounds, PageOptions, PageEffects, PageBuild, PageCount };

// The output name the source page derives from a file: its name without folder and
// without its last four characters (empty for names of four characters or fewer).
QString OutputNameFromFile(const QString &path);

class TSaverForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TSaverForm(QWidget *parent = nullptr);
    ~TSaverForm() override;

    // --- the project file -------------------------------------------------------------
    // Writes every setting to projectFile (throws ProfileWriteError when refused).
    void WriteProjectFile();
    // Compares the window with projectFile; sets unchanged when everything matches.
    bool ProjectMatchesFile();
    // The close check; false when the close must not go on (the write failed).
    bool FormCloseQuery();

    // --- navigation and the type switch --------------------------------------------------
    void scPageWizClick();
    void scPageWizChange() {}
    void scRdoPicTypeClick();
    void scRdoFlaTypeClick();
    void SaverType1_oldClick();
    void SelectFiles1_oldClick();
    void Souns1_oldClick();
    void Options1_oldClick();
    void Effects1_oldClick();
    void Build1_oldClick();

    // --- source files page ---------------------------------------------------------------
    void scButton1Click();
    void scButton2Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void lbSourcefilesClick();
    void scchkPreviewSourceClick();
    void lbSourcefilesMouseMove(const QPoint &viewportPos);
    // Swaps the selected line of a file list with its neighbour.
    static void MoveListItem(QListWidget *list, bool up);

    // --- sounds page ------------------------------------------------------------------------
    void scButton5Click();
    void scButton6Click();
    void SpeedButton4Click();
    void SpeedButton5Click();
    void SpeedButton6Click();
    void SpeedButton7Click();
    void lbMusicFilesMouseMove(const QPoint &viewportPos);

    // --- options and effects pages ------------------------------------------------------
    void RdoGpQuitModeClick();
    void lbx_effectsClick();
    void lbx_effectsDblClick();
    void imgmask1Click();
    void chkMaskClick();

    // --- build, install, preview --------------------------------------------------------
    void scButBuildClick();
    void BrowseOutputFolder();
    void edtOutPathChange();
    void btnSetupClick();
    void btnPreviewClick();

    // --- SaverProject, read in place ----------------------------------------------------
    SaverType saverType() const; // as the type radio buttons say
    QStringList sourceFiles() const;
    QStringList musicFiles() const;
    int quitChoice() const;
    int quitRule() const { return m_quitRule; }
    int delaySeconds() const;
    QString outputFolder() const; // the output field's text
    QString outputName() const;
    int outputKind() const;
    QList<int> enabledEffects() const;
    QString projectFile() const { return m_projectFile; }
    bool unchanged() const { return m_unchanged; }
    bool built() const { return m_built; }
    QString lastBuiltFile() const { return m_lastBuiltFile; }
    quint8 previewIndex() const { return m_previewIndex; }
    QString maskFile() const { return m_maskFile; }
    // The settings the package writer takes from the project.
    PackageSettings packageSettings() const;

    // Page 0
    QTabWidget *scPageWiz = nullptr;
    QRadioButton *scRdoPicType = nullptr;
    QRadioButton *scRdoFlaType = nullptr;
    QToolButton *nextButtons[PageCount - 1] = {};
    // Page 1
    QListWidget *lbSourcefiles = nullptr;
    QToolButton *scButton1 = nullptr;
    QToolButton *scButton2 = nullptr;
    QToolButton *SpeedButton1 = nullptr;
    QToolButton *SpeedButton2 = nullptr;
    QLabel *imgpreview = nullptr;
    FlashPlayer *swfPreview = nullptr;
    QLabel *lblfullname = nullptr;
    QCheckBox *scchkPreviewSource = nullptr;
    // Page 2
    QListWidget *lbMusicFiles = nullptr;
    QToolButton *scButton5 = nullptr;
    QToolButton *scButton6 = nullptr;
    QToolButton *SpeedButton4 = nullptr;
    QToolButton *SpeedButton5 = nullptr;
    QToolButton *SpeedButton6 = nullptr;
    QToolButton *SpeedButton7 = nullptr;
    QLabel *lblfullnamemusic = nullptr;
    MediaPlayer *mpPreMusic = nullptr;
    // Page 3
    QGroupBox *grpInterval = nullptr;
    QSpinBox *SpnDelayTime = nullptr;
    QGroupBox *RdoGpQuitMode = nullptr;
    QButtonGroup *quitModeButtons = nullptr;
    QGroupBox *TeGroupBox1 = nullptr;
    QCheckBox *chkMask = nullptr;
    QFrame *pnlmask1 = nullptr;
    QToolButton *imgmask1 = nullptr;
    // Page 4
    QListWidget *lbx_effects = nullptr;
    QFrame *pnl_effectpre = nullptr;
    TImageShow *ImageShow1 = nullptr;
    QLabel *Image1 = nullptr;
    QCheckBox *scchkPreviewEffect = nullptr;
    // Page 5
    QLineEdit *edtOutPath = nullptr;
    QToolButton *SpeedButton8 = nullptr;
    QLineEdit *edtOutputName = nullptr;
    QGroupBox *RdoGpOutType = nullptr;
    QButtonGroup *outTypeButtons = nullptr;
    QLabel *lblBuildProgress = nullptr;
    QProgressBar *barBuildProgress = nullptr;
    // Menus
    QAction *mnuBuild = nullptr;
    QAction *mnuInstall = nullptr;
    QAction *mnuPreview = nullptr;
    QAction *goToItems[PageCount] = {};

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void buildMenus();
    void buildTypePage(QWidget *page);
    void buildFilesPage(QWidget *page);
    void buildSoundsPage(QWidget *page);
    void buildOptionsPage(QWidget *page);
    void buildEffectsPage(QWidget *page);
    void buildBuildPage(QWidget *page);
    QToolButton *addNextButton(QWidget *page, int fromPage, const QString &hint);
    void goToPage(int page);
    void fillEffectList();
    void stopMusicPreview();
    void showBuildProgress(int k, int n);
    // Runs a handler and sends an error that leaves it to the application's error report.
    template <class F> void guarded(F &&handler);
    // Runs the handler, guarded, whenever the sender emits the signal.
    template <class Sender, class Signal>
    void onSignal(Sender *sender, Signal signal, void (TSaverForm::*handler)());

    int m_quitRule = 1;
    QString m_projectFile;
    bool m_unchanged = false;
    bool m_built = false;
    QString m_lastBuiltFile;
    quint8 m_previewIndex = 0;
    QString m_maskFile;
    bool m_navigating = false;
    // Changes of the current line of a list, to tell a click that changed it from one
    // on the line already current.
    int m_sourceRowChanges = 0, m_sourceRowChangesAtPress = 0;
    int m_effectRowChanges = 0, m_effectRowChangesAtPress = 0;
};
