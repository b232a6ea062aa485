// Loads every built-in image through Qt's resource system, as the program
// does, and checks sizes, transparency rules and that the pictures that must
// look different do.
#include "resources/ImageNames.h"
#include "resources/PackedImages.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QSet>
#include <gtest/gtest.h>

static void InitImageResources() {
    Q_INIT_RESOURCE(images);
}

namespace zeb {
namespace {

constexpr IconId kIcons[] = {IconId::Program, IconId::Mp3File, IconId::M3uFile,
                             IconId::Playing, IconId::Stopped, IconId::Paused};
constexpr BitmapId kBitmaps[] = {BitmapId::SideBar, BitmapId::ButtonsSelected,
                                 BitmapId::Buttons, BitmapId::Mp3Tools,
                                 BitmapId::CdTools, BitmapId::MiniButtons};

class ImagesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (QGuiApplication::instance() == nullptr) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
                qputenv("QT_QPA_PLATFORM", "offscreen");
            }
            static int argc = 1;
            static char name[] = "images_test";
            static char* argv[] = {name, nullptr};
            static QGuiApplication app(argc, argv);
        }
        InitImageResources();
    }

    static QImage Load(const char* path) {
        QImage image(QString::fromUtf8(path));
        EXPECT_FALSE(image.isNull()) << path;
        return image.convertToFormat(QImage::Format_ARGB32);
    }
};

bool IsKey(QRgb pixel) {
    return (pixel & 0xFFFFFF) == kTransparentKeyRgb;
}

QImage Cell(const QImage& strip, int index, int width, int height, bool vertical) {
    return vertical ? strip.copy(0, index * height, width, height)
                    : strip.copy(index * width, 0, width, height);
}

// Every cell of a strip must differ from every other one.
void ExpectCellsDistinct(const QImage& strip, int count, int width, int height, bool vertical) {
    for (int a = 0; a < count; ++a) {
        for (int b = a + 1; b < count; ++b) {
            EXPECT_NE(Cell(strip, a, width, height, vertical),
                      Cell(strip, b, width, height, vertical))
                << "cells " << a << " and " << b;
        }
    }
}

TEST_F(ImagesTest, BitmapsHaveTheirFixedSizesAndAreOpaque) {
    for (BitmapId id : kBitmaps) {
        QImage raw(QString::fromUtf8(ImagePath(id)));
        ASSERT_FALSE(raw.isNull()) << ImagePath(id);
        EXPECT_EQ(raw.width(), BitmapSize(id).width) << ImagePath(id);
        EXPECT_EQ(raw.height(), BitmapSize(id).height) << ImagePath(id);
        // Transparency is the magenta key, never an alpha channel.
        EXPECT_FALSE(raw.hasAlphaChannel()) << ImagePath(id);
    }
}

TEST_F(ImagesTest, MenuButtonStripsHaveFiveDistinctButtonsOnTheKeyColour) {
    const QImage normal = Load(ImagePath(BitmapId::Buttons));
    const QImage selected = Load(ImagePath(BitmapId::ButtonsSelected));
    ExpectCellsDistinct(normal, 5, 90, 18, true);
    ExpectCellsDistinct(selected, 5, 90, 18, true);
    for (int i = 0; i < 5; ++i) {
        const QImage plain = Cell(normal, i, 90, 18, true);
        const QImage lit = Cell(selected, i, 90, 18, true);
        EXPECT_NE(plain, lit) << "button " << i;
        for (const QImage& cell : {plain, lit}) {
            // Outside the button is transparent, the middle is drawn.
            EXPECT_TRUE(IsKey(cell.pixel(0, 0))) << "button " << i;
            EXPECT_TRUE(IsKey(cell.pixel(89, 17))) << "button " << i;
            EXPECT_FALSE(IsKey(cell.pixel(45, 9))) << "button " << i;
            EXPECT_FALSE(IsKey(cell.pixel(20, 9))) << "button " << i;
        }
    }
}

TEST_F(ImagesTest, MinibarStripsHaveDistinctZones) {
    const QImage buttons = Load(ImagePath(BitmapId::MiniButtons));
    ExpectCellsDistinct(buttons, 5, 12, 15, false);
    const QImage mp3Tools = Load(ImagePath(BitmapId::Mp3Tools));
    ExpectCellsDistinct(mp3Tools, 6, 8, 15, false);
    const QImage cdTools = Load(ImagePath(BitmapId::CdTools));
    EXPECT_NE(mp3Tools, cdTools);
    // The close part (top third) of the last zone differs from the grip below.
    for (const QImage& tools : {mp3Tools, cdTools}) {
        EXPECT_NE(tools.copy(40, 0, 8, 5), tools.copy(40, 5, 8, 5));
    }
}

TEST_F(ImagesTest, SideBarJoinsTheBlackFillAboveAndCarriesLettering) {
    const QImage bar = Load(ImagePath(BitmapId::SideBar));
    for (int x = 0; x < bar.width(); ++x) {
        EXPECT_EQ(bar.pixel(x, 0) & 0xFFFFFF, 0u) << "x " << x;
    }
    int light = 0;
    for (int y = 0; y < bar.height(); ++y) {
        for (int x = 0; x < bar.width(); ++x) {
            light += qGray(bar.pixel(x, y)) > 200 ? 1 : 0;
        }
    }
    EXPECT_GT(light, 60);
}

TEST_F(ImagesTest, EveryIconSizeLoadsSquareWithTransparentCorners) {
    for (IconId id : kIcons) {
        ASSERT_GT(IconSizeCount(id), 0);
        for (int i = 0; i < IconSizeCount(id); ++i) {
            const int px = IconSize(id, i);
            const char* path = ImagePath(id, px);
            const QImage icon = Load(path);
            EXPECT_EQ(icon.size(), QSize(px, px)) << path;
            EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << path;
            EXPECT_EQ(qAlpha(icon.pixel(px - 1, 0)), 0) << path;
            EXPECT_EQ(qAlpha(icon.pixel(px / 2, px / 2)), 255) << path;
        }
    }
}

TEST_F(ImagesTest, TrayIconsDifferFromEachOtherAtEverySize) {
    for (int px : {16, 22, 24, 32}) {
        const QImage playing = Load(ImagePath(IconId::Playing, px));
        const QImage stopped = Load(ImagePath(IconId::Stopped, px));
        const QImage paused = Load(ImagePath(IconId::Paused, px));
        EXPECT_EQ(playing.width(), px);
        EXPECT_NE(playing, stopped) << px;
        EXPECT_NE(playing, paused) << px;
        EXPECT_NE(stopped, paused) << px;
    }
}

TEST_F(ImagesTest, IconPathPicksTheSmallestSizeThatIsBigEnough) {
    EXPECT_EQ(Load(ImagePath(IconId::Playing)).width(), 16);
    EXPECT_EQ(Load(ImagePath(IconId::Program)).width(), 32);
    EXPECT_EQ(Load(ImagePath(IconId::Playing, 20)).width(), 22);
    EXPECT_EQ(Load(ImagePath(IconId::Playing, 24)).width(), 24);
    EXPECT_EQ(Load(ImagePath(IconId::Stopped, 200)).width(), 32);
    EXPECT_EQ(Load(ImagePath(IconId::Mp3File, 1)).width(), 16);
}

TEST_F(ImagesTest, SvgIconsRenderAtAnySize) {
    if (!QImageReader::supportedImageFormats().contains("svg")) {
        GTEST_SKIP() << "no SVG image plugin installed";
    }
    for (IconId id : kIcons) {
        QImageReader reader(QString::fromUtf8(SvgPath(id)));
        reader.setScaledSize(QSize(64, 64));
        const QImage icon = reader.read().convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(icon.isNull()) << SvgPath(id) << ": " << reader.errorString().toStdString();
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << SvgPath(id);
        EXPECT_EQ(qAlpha(icon.pixel(32, 32)), 255) << SvgPath(id);
    }
}

// The resource folder holds exactly the files the program can ask for.
TEST_F(ImagesTest, ResourceFolderHoldsNoUnnamedFiles) {
    QSet<QString> named;
    for (BitmapId id : kBitmaps) {
        named.insert(QString::fromUtf8(ImagePath(id)));
    }
    for (IconId id : kIcons) {
        named.insert(QString::fromUtf8(SvgPath(id)));
        for (int i = 0; i < IconSizeCount(id); ++i) {
            named.insert(QString::fromUtf8(ImagePath(id, IconSize(id, i))));
        }
    }
    const QStringList present = QDir(":/images").entryList(QDir::Files);
    ASSERT_FALSE(present.isEmpty());
    for (const QString& file : present) {
        EXPECT_TRUE(named.contains(":/images/" + file)) << file.toStdString();
    }
    EXPECT_EQ(present.size(), named.size());
}

// The pixels packed at build time are those of the PNG files, alpha and all,
// for every PNG the program can ask for.
TEST_F(ImagesTest, PackedImagesHoldThePixelsOfTheirFiles) {
    const QStringList present = QDir(":/images").entryList({"*.png"}, QDir::Files);
    ASSERT_FALSE(present.isEmpty());
    for (const QString& file : present) {
        const std::string path = (":/images/" + file).toStdString();
        const PackedImage* packed = FindPackedImage(path);
        ASSERT_NE(packed, nullptr) << path;
        QImageReader reader(QString::fromStdString(path), "png");
        const QImage read = reader.read();
        ASSERT_FALSE(read.isNull()) << path;
        EXPECT_EQ(packed->hasAlpha, read.hasAlphaChannel()) << path;
        const QImage expected = read.convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(QSize(packed->width, packed->height), expected.size()) << path;
        int differing = 0;
        for (int y = 0; y < expected.height(); ++y)
            for (int x = 0; x < expected.width(); ++x)
                differing += packed->pixels[y * packed->width + x] != expected.pixel(x, y);
        EXPECT_EQ(differing, 0) << path;
    }
    EXPECT_EQ(FindPackedImage(SvgPath(IconId::Program)), nullptr) << "only PNG is packed";
}

} // namespace
} // namespace zeb
