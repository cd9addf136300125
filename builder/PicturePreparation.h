#pragma once
// Turns a source picture (JPEG, BMP, GIF) into a screen-sized JPEG: decoded, centred on a
// black canvas of the screen's size (shrunk when it does not fit, never enlarged), masked
// when the mask option is on, encoded as baseline colour JPEG at quality 80.
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <stdexcept>

class PictureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The hidden mask option: applied only when checked and a mask file is named.
struct MaskOption {
    bool checked = true;   // chkMask starts checked
    QString maskFile;      // relative to the creator's folder; empty: no mask
    QString baseFolder;    // the creator's own folder, ending with '/'
    bool active() const { return checked && !maskFile.isEmpty(); }
};

// The source kinds, from the last four characters of the name, lower-cased.
enum class PictureKind { Unsupported, Bmp, Jpeg, Gif };
PictureKind PictureKindOf(const QString &path);

// JPEG through libjpeg: decode to RGB32 (greyscale comes out grey), encode baseline
// colour quality 80. Errors throw PictureError, never end the process.
QImage DecodeJpeg(const QString &path);
QImage DecodeJpegData(const QByteArray &data);
QByteArray EncodeJpeg(const QImage &image, int quality = 80);

// Replaces the picture by its screen canvas (integer arithmetic, plain stretch).
void FitToScreen(QImage &picture, QSize screen);
// Darkens the picture by the luminance of the mask picture, stretched to its size.
void ApplyMask(QImage &picture, const QImage &mask);

// Loads a source picture by its kind. Throws PictureError; an unsupported kind throws
// UnsupportedPicture (after which the caller shows "file not support").
class UnsupportedPicture : public PictureError {
public:
    using PictureError::PictureError;
};
QImage LoadSourcePicture(const QString &path);

// The whole preparation of one file: load, fit, mask, encode.
QByteArray PreparePicture(const QString &path, QSize screen, const MaskOption &mask);
