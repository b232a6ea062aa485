// Skin files that replace the menu's buttons and the tray icons.
#include "ui/SkinImages.h"

#include "MenuTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace zeb {
namespace {

int TransparentPixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qAlpha(image.pixel(x, y)) == 0;
    return n;
}

bool HasOpaqueMagenta(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == qRgba(255, 0, 255, 255))
                return true;
    return false;
}

QImage IconImage(const QIcon& icon) {
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

class SkinImagesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureApplication(); }

    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    // A solid bitmap with a magenta square in its top-left corner.
    void WriteBitmap(const QString& name, QSize size, QColor colour) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                image.setPixel(x, y, qRgb(255, 0, 255));
        QDir().mkpath(QFileInfo(dir_.filePath(name)).path());
        ASSERT_TRUE(image.save(dir_.filePath(name), "BMP"));
    }
    void WriteFile(const QString& name, const QByteArray& bytes) {
        QFile file(dir_.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    std::string PathOf(const QString& name) { return dir_.filePath(name).toStdString(); }

    QTemporaryDir dir_;
    SkinImages builtIn_ = BuiltInSkinImages();
};

// A built-in icon draws the smallest built-in size at least as big as asked,
// scaled down to the size asked, and never enlarges the largest one.
TEST_F(SkinImagesTest, BuiltInIconsDrawTheNearestBuiltInSize) {
    const QIcon icon = BuiltInIcon(IconId::Stopped);
    // Compared premultiplied, as a pixmap holds its pixels.
    const auto premultiplied = [](const QImage& image) {
        return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    const QImage own22 = premultiplied(BuiltInImage(ImagePath(IconId::Stopped, 22)));
    EXPECT_EQ(premultiplied(icon.pixmap(QSize(22, 22), 1.0).toImage()), own22);
    EXPECT_EQ(icon.pixmap(QSize(20, 20), 1.0).size(), QSize(20, 20));
    EXPECT_EQ(icon.actualSize(QSize(64, 64)), QSize(32, 32));
    EXPECT_EQ(icon.pixmap(QSize(64, 64), 1.0).size(), QSize(32, 32));
    EXPECT_EQ(icon.availableSizes().size(), IconSizeCount(IconId::Stopped));
    EXPECT_NE(icon.pixmap(QSize(22, 22), 1.0, QIcon::Disabled)
                  .toImage()
                  .convertToFormat(QImage::Format_ARGB32),
              own22)
        << "a disabled icon looks disabled";
    const QIcon copy = icon; // a copy draws the same
    EXPECT_EQ(copy.pixmap(QSize(16, 16), 1.0).toImage(), icon.pixmap(QSize(16, 16), 1.0).toImage());
}

TEST_F(SkinImagesTest, BuiltInImagesHaveTheirSizesAndMagentaKeyedOut) {
    EXPECT_EQ(builtIn_.buttons.size(), QSize(90, 90));
    EXPECT_EQ(builtIn_.buttonsSelected.size(), QSize(90, 90));
    EXPECT_EQ(builtIn_.sideBar.size(), QSize(20, 100));
    for (const QPixmap* strip : {&builtIn_.buttons, &builtIn_.buttonsSelected}) {
        const QImage image = strip->toImage();
        EXPECT_GT(TransparentPixels(image), 0);
        EXPECT_FALSE(HasOpaqueMagenta(image));
    }
    EXPECT_EQ(builtIn_.Button(4, false).size(), QSize(90, 18));
    EXPECT_EQ(builtIn_.Button(2, true).toImage(),
              builtIn_.buttonsSelected.copy(0, 36, 90, 18).toImage());
    EXPECT_TRUE(builtIn_.Button(5, false).isNull());
    for (const QIcon* icon : {&builtIn_.playing, &builtIn_.paused, &builtIn_.stopped})
        EXPECT_FALSE(icon->pixmap(16, 16).isNull());
    EXPECT_NE(IconImage(builtIn_.playing), IconImage(builtIn_.stopped));

    std::string none;
    const SkinImages same = LoadSkinImages(none);
    EXPECT_EQ(same.buttons.toImage(), builtIn_.buttons.toImage());
    EXPECT_TRUE(none.empty());
}

TEST_F(SkinImagesTest, ASkinFileReplacesTheImagesItNamesAndLoads) {
    WriteBitmap("art/buttons.bmp", QSize(45, 45), Qt::red); // scaled up to 90x90
    WriteBitmap("stop.bmp", QSize(16, 16), Qt::blue);
    WriteFile("broken.ico", "this is not an image");
    // BOM, CRLF lines, a Windows separator, a missing file, a corrupt image,
    // a blank line.
    WriteFile("my skin.skn", "\xEF\xBB\xBF"
                             "art\\buttons.bmp\r\n"
                             "missing.bmp\r\n"
                             "broken.ico\r\n"
                             "   \r\n"
                             "stop.bmp\r\n");
    std::string skin = PathOf("my skin.skn");
    const SkinImages images = LoadSkinImages(skin);
    EXPECT_EQ(skin, PathOf("my skin.skn"));

    const QImage buttons = images.buttons.toImage();
    ASSERT_EQ(buttons.size(), QSize(90, 90));
    EXPECT_EQ(qAlpha(buttons.pixel(1, 1)), 0); // the magenta corner
    EXPECT_EQ(buttons.pixel(60, 60), qRgba(255, 0, 0, 255));
    EXPECT_FALSE(HasOpaqueMagenta(buttons));
    EXPECT_EQ(images.buttonsSelected.toImage(), builtIn_.buttonsSelected.toImage());
    EXPECT_EQ(IconImage(images.playing), IconImage(builtIn_.playing));
    EXPECT_EQ(IconImage(images.paused), IconImage(builtIn_.paused));
    const QImage stopped = IconImage(images.stopped);
    EXPECT_EQ(qAlpha(stopped.pixel(0, 0)), 0);
    EXPECT_EQ(stopped.pixel(10, 10), qRgba(0, 0, 255, 255));
    EXPECT_EQ(images.sideBar.toImage(), builtIn_.sideBar.toImage());
}

TEST_F(SkinImagesTest, ShortSkinsKeepTheOtherBuiltInImages) {
    WriteBitmap("sel.bmp", QSize(90, 90), Qt::green);
    WriteFile("short.skn", "\nsel.bmp"); // no line end at the end
    std::string skin = PathOf("short.skn");
    const SkinImages images = LoadSkinImages(skin);
    EXPECT_EQ(images.buttons.toImage(), builtIn_.buttons.toImage());
    EXPECT_EQ(images.buttonsSelected.toImage().pixel(50, 50), qRgba(0, 255, 0, 255));
    EXPECT_EQ(IconImage(images.stopped), IconImage(builtIn_.stopped));
}

TEST_F(SkinImagesTest, ASkinThatCannotBeReadIsForgotten) {
    for (const std::string& path : {PathOf("absent.skn"), dir_.path().toStdString()}) {
        std::string skin = path;
        const SkinImages images = LoadSkinImages(skin);
        EXPECT_TRUE(skin.empty()) << path;
        EXPECT_EQ(images.buttons.toImage(), builtIn_.buttons.toImage());
        EXPECT_EQ(IconImage(images.paused), IconImage(builtIn_.paused));
    }
}

} // namespace
} // namespace zeb
