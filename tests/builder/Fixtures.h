#pragma once
// Small source files for the builder's tests, made on the spot.
#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include "builder/PicturePreparation.h"
#include "tests/support/TestMedia.h"

inline QImage flatImage(int w, int h, QColor c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    if (!testmedia::WriteFile(path, bytes)) qFatal("cannot write %s", qPrintable(path));
}

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline QString writeJpeg(const QTemporaryDir &dir, const QString &name, const QImage &img)
{
    const QString path = dir.filePath(name);
    writeBytes(path, EncodeJpeg(img, 95));
    return path;
}
