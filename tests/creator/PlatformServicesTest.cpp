// The private-profile layer, the registry store, the filter conversion of the file
// dialogs and InstallSaver.
#include "builder/Install.h"
#include "platform/Desktop.h"
#include "platform/FileDialogs.h"
#include "platform/Process.h"
#include "platform/PrivateProfile.h"
#include "platform/Registry.h"
#include "tests/support/TestMedia.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString("<missing>");
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    ASSERT_TRUE(testmedia::WriteFile(path, bytes));
}

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path() + "/cfg"));
        file = dir.path() + "/p.ini";
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", saved); }
    QTemporaryDir dir;
    QByteArray saved;
    QString file;
};

} // namespace

TEST_F(ProfileTest, WritesReplaceOneKeyKeepOrderAndAppendNewKeysToTheirSection)
{
    writeAll(file, "[First]\nA=1\nB=2\n\n[Second]\nC=3\n");
    PrivateProfile::writeString(file, "first", "b", "two");   // any case finds the key
    PrivateProfile::writeString(file, "FIRST", "D", "4");     // new key: end of its section
    PrivateProfile::writeString(file, "Third", "E", "5");     // new section: end of file
    EXPECT_EQ(readAll(file), "[First]\nA=1\nB=two\nD=4\n\n[Second]\nC=3\n\n[Third]\nE=5\n");
}

TEST_F(ProfileTest, ReadingGivesDefaultsForWhatIsMissingOrNoInteger)
{
    writeAll(file, "[S]\nnum=12\nword=abc\nhalf=3x\nname=  with blanks  \n");
    EXPECT_EQ(PrivateProfile::readInteger(file, "s", "NUM", 0), 12);
    EXPECT_EQ(PrivateProfile::readInteger(file, "S", "word", 7), 7);
    EXPECT_EQ(PrivateProfile::readInteger(file, "S", "half", -1), -1);
    EXPECT_EQ(PrivateProfile::readInteger(file, "S", "absent", 3), 3);
    EXPECT_EQ(PrivateProfile::readInteger(file, "Nope", "num", 4), 4);
    EXPECT_EQ(PrivateProfile::readString(dir.path() + "/none.ini", "S", "num", "fla"), "fla");
    // Values come back exactly as written, blanks included.
    EXPECT_EQ(PrivateProfile::readString(file, "S", "name", ""), "  with blanks  ");
    PrivateProfile::writeString(file, "S", "trail", "beach ");
    EXPECT_EQ(PrivateProfile::readString(file, "S", "trail", ""), "beach ");
}

TEST_F(ProfileTest, BareNamesLiveInThePerUserFolderCreatedOnDemand)
{
    EXPECT_EQ(PrivateProfile::resolve("temp.smp"), dir.path() + "/cfg/nuvira/temp.smp");
    EXPECT_EQ(PrivateProfile::resolve("/x/y.ini"), "/x/y.ini");
    PrivateProfile::writeInteger("temp.smp", "dataFiles", "filenum", 3);
    EXPECT_EQ(PrivateProfile::readInteger(dir.path() + "/cfg/nuvira/temp.smp", "dataFiles", "filenum", 0), 3);
}

TEST_F(ProfileTest, ARefusedWriteRaisesItsMessageAndLeavesTheFileAlone)
{
    // A regular file where the folder should be: nothing can be created below it.
    writeAll(dir.path() + "/blocker", "x");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path() + "/blocker"));
    try {
        PrivateProfile::writeString("temp.smp", "S", "k", "v");
        FAIL() << "no error";
    } catch (const ProfileWriteError &e) {
        EXPECT_STREQ(e.what(), "No se puede escribir temp.smp");
    }
    EXPECT_EQ(readAll(dir.path() + "/blocker"), "x");
}

TEST_F(ProfileTest, RegistryStoreKeepsOneSectionPerKeyPath)
{
    Registry::writeString(Registry::CurrentUserDesktop, "SCRNSAVE.EXE", "/a b/Playa.scr");
    Registry::writeString("HKEY_CURRENT_USER\\Other", "SCRNSAVE.EXE", "other");
    EXPECT_EQ(Registry::storePath(), dir.path() + "/cfg/nuvira/registry.ini");
    EXPECT_EQ(Registry::readString(Registry::CurrentUserDesktop, "scrnsave.exe"), "/a b/Playa.scr");
    EXPECT_EQ(Registry::readString("HKEY_CURRENT_USER\\Other", "SCRNSAVE.EXE"), "other");
    EXPECT_TRUE(readAll(Registry::storePath()).startsWith("[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"));
}

TEST_F(ProfileTest, InstallSaverRegistersAnExistingFileAndAnnouncesIt)
{
    RecordingDesktop desktop;
    InstallSaver(dir.path() + "/missing.scr");
    EXPECT_EQ(Registry::readString(Registry::CurrentUserDesktop, "SCRNSAVE.EXE", "<unset>"), "<unset>");
    EXPECT_EQ(desktop.broadcasts, 0);

    const QString saver = dir.path() + "/mi salvador.scr";
    writeAll(saver, "bytes");
    InstallSaver(saver);
    EXPECT_EQ(Registry::readString(Registry::CurrentUserDesktop, "SCRNSAVE.EXE"), saver);
    EXPECT_EQ(desktop.broadcasts, 1);
    EXPECT_EQ(desktop.settingsOpened, 0); // opening the settings is the command's step
}

TEST(FileDialogFilters, SystemFiltersBecomeQtFiltersWithUpperCasePatterns)
{
    EXPECT_EQ(FileDialogs::qtFilters("Imagenes ( JPEG )   |*.jpeg;*.jpg|Imagenes ( GIF )   |*.gif"),
              QStringList({"Imagenes ( JPEG )    (*.jpeg *.jpg *.JPEG *.JPG)", "Imagenes ( GIF )    (*.gif *.GIF)"}));
    EXPECT_EQ(FileDialogs::qtFilters("Flash (swf |*.swf"), QStringList({"Flash (swf  (*.swf *.SWF)"}));
    EXPECT_EQ(FileDialogs::qtFilters("Musica (midi)|*.midi;*.mid"),
              QStringList({"Musica (midi) (*.midi *.mid *.MIDI *.MID)"}));
}

TEST(DesktopSettings, OpensTheFirstScreensaverSettingsProgramOnThePath)
{
    QTemporaryDir bin;
    const QByteArray savedPath = qgetenv("PATH");
    auto makeTool = [&](const QString &name) {
        QFile f(bin.path() + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n");
        f.close();
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    };
    RecordingProcess process;
    SystemDesktop desktop;
    qputenv("PATH", QFile::encodeName(bin.path()));

    desktop.openScreensaverSettings(); // none installed: nothing starts, nothing is reported
    EXPECT_TRUE(process.calls.empty());

    makeTool("xscreensaver-demo");
    desktop.openScreensaverSettings();
    makeTool("xscreensaver-settings");
    desktop.openScreensaverSettings();
    qputenv("PATH", savedPath);

    ASSERT_EQ(process.calls.size(), 2u);
    EXPECT_EQ(process.calls[0].program, bin.path() + "/xscreensaver-demo");
    EXPECT_EQ(process.calls[1].program, bin.path() + "/xscreensaver-settings");
    EXPECT_TRUE(process.calls[1].arguments.isEmpty());
}
