#include "builder/BuildCommand.h"
#include "platform/Resources.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(OutputPath, NameOrFirstSourceThenTheChosenExtension)
{
    struct Case {
        const char *name, *first;
        int kind;
        const char *expected;
    };
    for (const Case c : {Case{"Playa", "/f/a.jpg", 0, "/out/Playa.scr"}, Case{"mi.salvador", "/f/a.jpg", 0, "/out/mi.salvador.scr"},
                         Case{"Playa", "/f/a.jpg", 1, "/out/Playa.exe"}, Case{"", "/fotos/beach.jpg", 1, "/out/beach.exe"},
                         Case{"", "/fotos/beach.jpg", 0, "/out/beach.scr"}, Case{"", "/fotos/noext", 0, "/out/noext.scr"},
                         Case{"", "/fotos/a.b.c.gif", 1, "/out/a.b.c.exe"}}) {
        EXPECT_EQ(OutputPath("/out/", c.name, c.first, c.kind), QString(c.expected)) << c.name << " " << c.first;
    }
    EXPECT_EQ(ReplaceExtension("/a.b/file", ".scr"), QString("/a.b/file.scr"));
}

TEST(ExtractRuntime, WritesTheResourceExecutableAndReplacesAnOldFile)
{
    static const unsigned char bytes[] = {0x7f, 'E', 'L', 'F', 1, 2, 3};
    Resources::add("EXEFILE", "TESTHEAD", bytes, sizeof bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath("x.scr");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100, 'o'));
    }
    ASSERT_TRUE(ExtractRuntime("exefile", "testhead", path));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray(reinterpret_cast<const char *>(bytes), sizeof bytes));
    EXPECT_TRUE(f.permissions() & QFileDevice::ExeOwner);
    EXPECT_TRUE(f.permissions() & QFileDevice::ExeOther);

    EXPECT_FALSE(ExtractRuntime("exefile", "nosuch", dir.filePath("y.scr")));
    EXPECT_FALSE(ExtractRuntime("exefile", "testhead", dir.filePath("no/such/folder/z.scr")));
}
