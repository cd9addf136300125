#include "Fixtures.h"

#include <gtest/gtest.h>

namespace {

// The drawn rectangle of a prepared picture: the bounding box of non-black pixels.
QRect drawnRect(const QImage &img)
{
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & 0xffffff) != 0) r |= QRect(x, y, 1, 1);
    return r;
}

} // namespace

TEST(FitToScreen, PlacesAndShrinksWithIntegerArithmetic)
{
    struct Case {
        int w, h;
        QRect drawn;
    };
    const QSize screen(1024, 768);
    for (const Case c : {Case{1920, 1080, {0, 96, 1024, 576}}, Case{600, 1200, {320, 0, 384, 768}},
                         Case{800, 600, {112, 84, 800, 600}}, Case{2048, 1536, {0, 0, 1024, 768}},
                         Case{1024, 768, {0, 0, 1024, 768}}, Case{1025, 1, {}}, Case{1, 1000, {}}, Case{3, 1000, {511, 0, 2, 768}}}) {
        SCOPED_TRACE(QString("%1x%2").arg(c.w).arg(c.h).toStdString());
        QImage img = flatImage(c.w, c.h, Qt::white);
        FitToScreen(img, screen);
        ASSERT_EQ(img.size(), screen);
        EXPECT_EQ(drawnRect(img), c.drawn);
    }
}

TEST(FitToScreen, PlainStretchDropsPixelsWithoutSmoothing)
{
    // Columns alternate red and blue; halving keeps every other column, never a mix.
    QImage img(400, 10, QImage::Format_RGB32);
    for (int x = 0; x < 400; ++x)
        for (int y = 0; y < 10; ++y) img.setPixel(x, y, x % 2 ? qRgb(0, 0, 255) : qRgb(255, 0, 0));
    FitToScreen(img, QSize(200, 100));
    for (int x = 0; x < 200; ++x) EXPECT_EQ(img.pixel(x, 47), qRgb(255, 0, 0)) << x;
    // A small picture keeps its pixels exactly.
    QImage small(3, 2, QImage::Format_RGB32);
    small.setPixel(0, 0, qRgb(1, 2, 3));
    small.setPixel(2, 1, qRgb(9, 8, 7));
    FitToScreen(small, QSize(7, 6));
    EXPECT_EQ(small.pixel(2, 2), qRgb(1, 2, 3));
    EXPECT_EQ(small.pixel(4, 3), qRgb(9, 8, 7));
    EXPECT_EQ(small.pixel(1, 2), qRgb(0, 0, 0));
}

TEST(ApplyMask, DarkensByTheMaskLuminance)
{
    QImage pic = flatImage(4, 4, QColor(200, 100, 50));
    QImage mask(2, 1, QImage::Format_RGB32);
    mask.setPixel(0, 0, qRgb(255, 255, 255)); // Y 255: unchanged
    mask.setPixel(1, 0, qRgb(100, 200, 0));   // Y = (3000 + 11800) / 100 = 148
    ApplyMask(pic, mask);
    EXPECT_EQ(pic.pixel(0, 0), qRgb(200, 100, 50));
    EXPECT_EQ(pic.pixel(3, 3), qRgb(200 * 148 / 255, 100 * 148 / 255, 50 * 148 / 255));
}

TEST(PictureKind, ByTheLastFourCharacters)
{
    struct Case {
        const char *name;
        PictureKind kind;
    };
    for (const Case c : {Case{"a.jpg", PictureKind::Jpeg}, Case{"PHOTO.JPG", PictureKind::Jpeg},
                         Case{"photo.jpeg", PictureKind::Jpeg}, Case{"x.JPEG", PictureKind::Jpeg},
                         Case{"b.bmp", PictureKind::Bmp}, Case{"c.GIF", PictureKind::Gif},
                         Case{"photo.png", PictureKind::Unsupported}, Case{"jpg", PictureKind::Unsupported},
                         Case{"archive.jpg.txt", PictureKind::Unsupported}}) {
        EXPECT_EQ(PictureKindOf(c.name), c.kind) << c.name;
    }
}

TEST(Jpeg, EncodesBaselineColourJfifAtQuality80AndDecodesBack)
{
    const QImage img = flatImage(64, 48, QColor(30, 160, 220));
    const QByteArray jpeg = EncodeJpeg(img, 80);
    ASSERT_GT(jpeg.size(), 4);
    EXPECT_EQ(jpeg.left(2), QByteArray("\xFF\xD8", 2));
    EXPECT_EQ(jpeg.mid(6, 4), QByteArray("JFIF"));
    EXPECT_TRUE(jpeg.contains(QByteArray("\xFF\xC0", 2)));  // baseline frame
    EXPECT_FALSE(jpeg.contains(QByteArray("\xFF\xC2", 2))); // not progressive
    const int sof = int(jpeg.indexOf(QByteArray("\xFF\xC0", 2)));
    EXPECT_EQ(int(jpeg[sof + 9]), 3); // three colour components

    const QImage back = DecodeJpegData(jpeg);
    ASSERT_EQ(back.size(), img.size());
    const QColor c = back.pixelColor(10, 10);
    EXPECT_NEAR(c.red(), 30, 4);
    EXPECT_NEAR(c.green(), 160, 4);
    EXPECT_NEAR(c.blue(), 220, 4);
}

TEST(Jpeg, GreyscaleSourcesComeOutGrey)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("grey.jpg");
    QProcess::execute("convert", {"-size", "16x16", "xc:rgb(90,90,90)", "-colorspace", "Gray", "-type", "Grayscale", path});
    const QByteArray data = readBytes(path);
    ASSERT_FALSE(data.isEmpty());
    const int sof = int(data.indexOf(QByteArray("\xFF\xC0", 2)));
    ASSERT_GT(sof, 0);
    EXPECT_EQ(int(data[sof + 9]), 1); // really a one-component JPEG
    const QImage decoded = DecodeJpeg(path);
    EXPECT_NEAR(qRed(decoded.pixel(5, 5)), 90, 3);
    EXPECT_EQ(qRed(decoded.pixel(5, 5)), qBlue(decoded.pixel(5, 5)));
}

TEST(LoadSourcePicture, BadFilesThrowInsteadOfEndingTheProcess)
{
    QTemporaryDir dir;
    const QByteArray good = EncodeJpeg(flatImage(32, 32, Qt::red), 80);
    QImage bmpImage = flatImage(10, 10, Qt::blue);
    ASSERT_TRUE(bmpImage.save(dir.filePath("good.bmp"), "BMP"));
    const QByteArray bmp = readBytes(dir.filePath("good.bmp"));

    struct Case {
        const char *name;
        QByteArray bytes;
    };
    for (const Case &c : {Case{"empty.jpg", {}}, Case{"garbage.jpg", QByteArray(500, 'x')},
                          Case{"truncated.jpg", good.left(good.size() / 3)}, Case{"header-only.jpg", good.left(2)},
                          Case{"empty.bmp", {}}, Case{"truncated.bmp", bmp.left(40)},
                          Case{"garbage.gif", QByteArray("GIF89a\x01\x00", 8)}, Case{"text.gif", "hello"}}) {
        SCOPED_TRACE(c.name);
        writeBytes(dir.filePath(c.name), c.bytes);
        EXPECT_THROW(LoadSourcePicture(dir.filePath(c.name)), PictureError);
    }
    EXPECT_THROW(LoadSourcePicture(dir.filePath("missing.jpg")), PictureError);
    EXPECT_THROW(LoadSourcePicture(dir.filePath("photo.png")), UnsupportedPicture);
}

TEST(LoadSourcePicture, ReadsEachKind)
{
    QTemporaryDir dir;
    const QString jpg = writeJpeg(dir, "PHOTO.JPG", flatImage(40, 30, Qt::green));
    ASSERT_TRUE(flatImage(20, 10, Qt::blue).save(dir.filePath("b.bmp"), "BMP"));
    writeBytes(dir.filePath("c.jpeg"), EncodeJpeg(flatImage(8, 8, Qt::red)));
    EXPECT_EQ(LoadSourcePicture(jpg).size(), QSize(40, 30));
    EXPECT_EQ(LoadSourcePicture(dir.filePath("b.bmp")).pixel(3, 3), qRgb(0, 0, 255));
    EXPECT_EQ(LoadSourcePicture(dir.filePath("c.jpeg")).size(), QSize(8, 8));

    // A GIF gives its first frame at its full logical size.
    QProcess::execute("convert", {"-size", "30x20", "xc:red", "-size", "30x20", "xc:blue", dir.filePath("two.gif")});
    const QImage first = LoadSourcePicture(dir.filePath("two.gif"));
    EXPECT_EQ(first.size(), QSize(30, 20));
    EXPECT_EQ(first.pixel(5, 5) & 0xffffff, 0xff0000u);
}

TEST(PreparePicture, GivesAScreenSizedJpegWithTheMask)
{
    QTemporaryDir dir;
    const QString src = writeJpeg(dir, "src.jpg", flatImage(200, 100, Qt::white));
    const QByteArray out = PreparePicture(src, QSize(100, 100), MaskOption{true, {}, {}});
    const QImage img = DecodeJpegData(out);
    EXPECT_EQ(img.size(), QSize(100, 100));
    EXPECT_GT(qRed(img.pixel(50, 50)), 240); // picture
    EXPECT_LT(qRed(img.pixel(50, 5)), 15);   // black band above it

    // With a black mask file the picture turns black; a missing mask file fails.
    writeJpeg(dir, "mask1.jpg", flatImage(10, 10, Qt::black));
    const QImage masked = DecodeJpegData(PreparePicture(src, QSize(100, 100), MaskOption{true, "mask1.jpg", dir.path() + "/"}));
    EXPECT_LT(qRed(masked.pixel(50, 50)), 15);
    EXPECT_THROW(PreparePicture(src, QSize(100, 100), MaskOption{true, "nomask.jpg", dir.path() + "/"}), PictureError);
    // An unchecked box leaves the picture alone whatever the file.
    const QImage plain = DecodeJpegData(PreparePicture(src, QSize(100, 100), MaskOption{false, "mask1.jpg", dir.path() + "/"}));
    EXPECT_GT(qRed(plain.pixel(50, 50)), 240);
}
