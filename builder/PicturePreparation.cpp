#include "builder/PicturePreparation.h"

#include <QFile>
#include <QImageReader>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>
#include <memory>
#include <vector>

// RGB32 keeps pixels as 32-bit 0xffRRGGBB words: blue, green, red, unused in memory on a
// little-endian machine, which is libjpeg-turbo's extended BGRX layout.
static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "pixel layout assumes little-endian");

namespace {

// libjpeg reports fatal errors through error_exit, which must not return. We jump back
// to the call site, which turns the message into an exception after libjpeg's frames
// are gone; warnings are dropped.
struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onJpegError(j_common_ptr cinfo)
{
    auto *err = reinterpret_cast<JpegErrorManager *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void onJpegMessage(j_common_ptr) {}

void initErrors(JpegErrorManager &err)
{
    jpeg_std_error(&err.pub);
    err.pub.error_exit = onJpegError;
    err.pub.output_message = onJpegMessage;
    err.message[0] = 0;
}

// Decodes into *image; returns false with err.message set on failure. Kept free of
// objects with destructors because a libjpeg error jumps out of it.
bool decodeInto(const unsigned char *data, unsigned long size, QImage *image, JpegErrorManager &err)
{
    jpeg_decompress_struct cinfo;
    initErrors(err);
    cinfo.err = &err.pub;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_width > 65535 || cinfo.output_height > 65535) {
        std::strcpy(err.message, "picture too large");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    *image = QImage(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGB32);
    if (image->isNull()) {
        std::strcpy(err.message, "not enough memory for the picture");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = image->scanLine(int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool encodeFrom(const QImage &image, int quality, unsigned char **out, unsigned long *outSize,
                JpegErrorManager &err)
{
    jpeg_compress_struct cinfo;
    initErrors(err);
    cinfo.err = &err.pub;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, out, outSize);
    cinfo.image_width = JDIMENSION(image.width());
    cinfo.image_height = JDIMENSION(image.height());
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&cinfo);          // baseline, JFIF, YCbCr colour
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

QByteArray readWholeFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw PictureError("cannot open " + path.toStdString() + ": " + f.errorString().toStdString());
    QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw PictureError("cannot read " + path.toStdString() + ": " + f.errorString().toStdString());
    return data;
}

// Plain stretch of the whole of src into rectangle (left, top, dw, dh) of dst: every
// destination pixel takes the nearest source pixel, nothing is smoothed.
void stretchInto(QImage &dst, int left, int top, int dw, int dh, const QImage &src)
{
    if (dw <= 0 || dh <= 0 || src.isNull()) return;
    const int sw = src.width(), sh = src.height();
    std::vector<int> cols(static_cast<std::size_t>(dw));
    for (int x = 0; x < dw; ++x) cols[std::size_t(x)] = int(std::int64_t(x) * sw / dw);
    for (int y = 0; y < dh; ++y) {
        const int sy = int(std::int64_t(y) * sh / dh);
        const auto *s = reinterpret_cast<const quint32 *>(src.constScanLine(sy));
        auto *d = reinterpret_cast<quint32 *>(dst.scanLine(top + y)) + left;
        if (dw == sw) {
            std::memcpy(d, s, std::size_t(dw) * 4);
        } else {
            for (int x = 0; x < dw; ++x) d[x] = s[cols[std::size_t(x)]];
        }
    }
}

} // namespace

PictureKind PictureKindOf(const QString &path)
{
    const QString tail = path.right(4).toLower();
    if (tail == QLatin1String(".bmp")) return PictureKind::Bmp;
    if (tail == QLatin1String(".jpg") || tail == QLatin1String("jpeg")) return PictureKind::Jpeg;
    if (tail == QLatin1String(".gif")) return PictureKind::Gif;
    return PictureKind::Unsupported;
}

QImage DecodeJpegData(const QByteArray &data)
{
    if (data.isEmpty()) throw PictureError("empty JPEG data");
    QImage image;
    JpegErrorManager err;
    if (!decodeInto(reinterpret_cast<const unsigned char *>(data.constData()), (unsigned long)data.size(),
                    &image, err))
        throw PictureError(std::string("JPEG: ") + err.message);
    return image;
}

QImage DecodeJpeg(const QString &path)
{
    try {
        return DecodeJpegData(readWholeFile(path));
    } catch (const PictureError &e) {
        throw PictureError(path.toStdString() + ": " + e.what());
    }
}

QByteArray EncodeJpeg(const QImage &image, int quality)
{
    const QImage rgb = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    if (rgb.isNull() || rgb.width() == 0 || rgb.height() == 0) throw PictureError("nothing to encode");
    unsigned char *out = nullptr;
    unsigned long outSize = 0;
    JpegErrorManager err;
    const bool ok = encodeFrom(rgb, quality, &out, &outSize, err);
    std::unique_ptr<unsigned char, decltype(&std::free)> guard(out, &std::free);
    if (!ok) throw PictureError(std::string("JPEG encoding: ") + err.message);
    return QByteArray(reinterpret_cast<const char *>(out), qsizetype(outSize));
}

void FitToScreen(QImage &picture, QSize screen)
{
    const std::int64_t w = picture.width(), h = picture.height();
    const std::int64_t W = screen.width(), H = screen.height();
    std::int64_t dw, dh;
    if (h <= H && w <= W) {
        dw = w;
        dh = h;
    } else if (w * H > h * W) {
        dw = W;
        dh = h * W / w;
    } else {
        dh = H;
        dw = w * H / h;
    }
    const int left = int((W - dw) / 2), top = int((H - dh) / 2);
    const QImage copy = picture.format() == QImage::Format_RGB32 ? picture
                                                                   : picture.convertToFormat(QImage::Format_RGB32);
    QImage canvas(int(W), int(H), QImage::Format_RGB32);
    if (canvas.isNull()) throw PictureError("not enough memory for the screen canvas");
    canvas.fill(0xff000000u);
    stretchInto(canvas, left, top, int(dw), int(dh), copy);
    picture = std::move(canvas);
}

void ApplyMask(QImage &picture, const QImage &mask)
{
    if (picture.format() != QImage::Format_RGB32) picture = picture.convertToFormat(QImage::Format_RGB32);
    QImage stretched(picture.size(), QImage::Format_RGB32);
    stretchInto(stretched, 0, 0, picture.width(), picture.height(),
                mask.format() == QImage::Format_RGB32 ? mask : mask.convertToFormat(QImage::Format_RGB32));
    for (int y = 0; y < picture.height(); ++y) {
        auto *p = reinterpret_cast<quint32 *>(picture.scanLine(y));
        const auto *m = reinterpret_cast<const quint32 *>(stretched.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const quint32 lum = (30 * qRed(m[x]) + 59 * qGreen(m[x]) + 11 * qBlue(m[x])) / 100;
            const quint32 c = p[x];
            p[x] = qRgb(int(qRed(c) * lum / 255), int(qGreen(c) * lum / 255), int(qBlue(c) * lum / 255));
        }
    }
}

QImage LoadSourcePicture(const QString &path)
{
    const PictureKind kind = PictureKindOf(path);
    switch (kind) {
    case PictureKind::Jpeg:
        return DecodeJpeg(path);
    case PictureKind::Bmp:
    case PictureKind::Gif: {
        QImageReader reader(path, kind == PictureKind::Bmp ? "bmp" : "gif");
        reader.setAutoTransform(false);
        QImage image = reader.read(); // a GIF gives its first frame at its full logical size
        if (image.isNull())
            throw PictureError(path.toStdString() + ": " + reader.errorString().toStdString());
        return image;
    }
    case PictureKind::Unsupported:
        break;
    }
    throw UnsupportedPicture("file not support");
}

QByteArray PreparePicture(const QString &path, QSize screen, const MaskOption &mask)
{
    QImage picture = LoadSourcePicture(path);
    FitToScreen(picture, screen);
    if (mask.active()) {
        const QImage maskPicture = DecodeJpeg(mask.baseFolder + mask.maskFile);
        ApplyMask(picture, maskPicture);
    }
    return EncodeJpeg(picture, 80);
}
