#pragma once
// A private temporary folder for each loader test, set as the runtime's TempDir.
#include "platform/TempPath.h"
#include "runtime/LoadPackage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

class LoaderFixture : public ::testing::Test {
protected:
    QTemporaryDir work;
    void SetUp() override { TempDir = TempPath::ensurePrivateFolder(work.filePath("tmp")); }
    QByteArray extracted(const QString &name) const
    {
        QFile f(TempDir + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QStringList extractedNames() const { return QDir(TempDir).entryList(QDir::Files, QDir::Name); }
};
