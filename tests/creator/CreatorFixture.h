#pragma once
// A creator window with every dialog, message box, desktop call and started program
// scripted, a private per-user folder, and pictures made on the spot.
#include "creator/mainUnit.h"
#include "platform/Desktop.h"
#include "platform/FileDialogs.h"
#include "platform/MessageService.h"
#include "platform/PrivateProfile.h"
#include "platform/Process.h"
#include "platform/Resources.h"
#include "tests/support/TestMedia.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QCheckBox>
#include <QListWidget>
#include <QSpinBox>
#include <QToolButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// Stand-in bytes for the runtime at the head of every package: the tests look at what
// follows them, not at the program itself.
inline const QByteArray &FakeRuntimeBytes()
{
    static const QByteArray bytes = [] {
        QByteArray b("\x7f" "ELF-test-runtime-");
        b.append(QByteArray(4096, '\x5a'));
        return b;
    }();
    static const bool registered =
        Resources::add("EXEFILE", "HEAD", reinterpret_cast<const unsigned char *>(bytes.constData()),
                       std::size_t(bytes.size()));
    (void)registered;
    return bytes;
}

class CreatorFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        savedConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + "/config"));
        QDir().mkpath(home.path() + "/media");
        QDir().mkpath(home.path() + "/out");
        FakeRuntimeBytes();
    }
    void TearDown() override
    {
        window.reset();
        qputenv("XDG_CONFIG_HOME", savedConfig);
    }

    // Creates (and shows) the window; the start-up writes the project file.
    TSaverForm &open()
    {
        window = std::make_unique<TSaverForm>();
        window->show();
        return *window;
    }

    QString projectPath() const { return home.path() + "/config/nuvira/temp.smp"; }
    QString readProject(const QString &section, const QString &key, const QString &def = "<none>") const
    {
        return PrivateProfile::readString(projectPath(), section, key, def);
    }

    // A JPEG picture of one colour, w x h.
    QString picture(const QString &name, const QColor &colour, int w = 64, int h = 48) const
    {
        const QString path = home.path() + "/media/" + name;
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(colour);
        EXPECT_TRUE(image.save(path, "JPEG", 95)) << path.toStdString();
        return path;
    }
    QString garbage(const QString &name) const
    {
        const QString path = home.path() + "/media/" + name;
        EXPECT_TRUE(testmedia::WriteFile(path, "this is not a picture at all"));
        return path;
    }

    // Adds files to the source list through the add button and its (scripted) dialog.
    void addSources(const QStringList &files)
    {
        dialogs.openAnswers.push_back(files);
        QTest::mouseClick(window->scButton1, Qt::LeftButton);
    }
    void checkEffect(int row) { window->lbx_effects->item(row)->setCheckState(Qt::Checked); }
    void setOutputFolder(const QString &folder)
    {
        dialogs.folderAnswers.push_back(folder);
        window->BrowseOutputFolder();
    }
    QString outDir() const { return home.path() + "/out/"; }

    QTemporaryDir home;
    QByteArray savedConfig;
    RecordingMessageService messages;
    ScriptedFileDialogs dialogs;
    RecordingDesktop desktop;
    RecordingProcess process;
    std::unique_ptr<TSaverForm> window;
};
