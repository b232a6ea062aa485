// The menu's buttons and side bar and the tray icons, built in or from a skin.
#include "ui/SkinImages.h"

#include "resources/ImageNames.h"
#include "resources/PackedImages.h"
#include "ui/BuiltInIconEngine.h"

#include <QFile>
#include <QImageReader>
#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>
#include <vector>

namespace zeb {

namespace {

constexpr int kButtonCount = 5;
constexpr int kButtonHeight = 18;
constexpr int kTrayIconSize = 16;
constexpr QRgb kKey = 0xFF000000u | kTransparentKeyRgb;

QString LocalPath(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

// A bitmap keyed and brought to the size it is used at.
QPixmap BitmapFromImage(const QImage& image, BitmapId id) {
    const ImageSize size = BitmapSize(id);
    QImage keyed = KeyOutMagenta(image);
    if (keyed.width() != size.width || keyed.height() != size.height)
        keyed =
            keyed.scaled(size.width, size.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return QPixmap::fromImage(keyed);
}

QPixmap BuiltInBitmap(BitmapId id) {
    return BitmapFromImage(BuiltInImage(ImagePath(id)), id);
}

SkinImages BuiltInSkinIcons() {
    SkinImages images;
    images.playing = BuiltInIcon(IconId::Playing);
    images.paused = BuiltInIcon(IconId::Paused);
    images.stopped = BuiltInIcon(IconId::Stopped);
    return images;
}

// Every image in an icon file (an .ico holds several sizes), plus a tray-size
// one when the file has none; a null icon when nothing loads.
QIcon IconFromFile(const QString& path) {
    QImageReader reader(path);
    QIcon icon;
    bool hasTraySize = false;
    QImage largest;
    do {
        QImage image = reader.read();
        if (image.isNull())
            break;
        if (!image.hasAlphaChannel())
            image = KeyOutMagenta(image);
        hasTraySize = hasTraySize || image.size() == QSize(kTrayIconSize, kTrayIconSize);
        if (image.width() * image.height() > largest.width() * largest.height())
            largest = image;
        icon.addPixmap(QPixmap::fromImage(image));
    } while (reader.jumpToNextImage());
    if (!largest.isNull() && !hasTraySize)
        icon.addPixmap(QPixmap::fromImage(largest.scaled(
            kTrayIconSize, kTrayIconSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    return icon;
}

// The first five lines of a skin file, without a byte-order mark, line ends
// and surrounding blanks.
std::vector<std::string> SkinLines(const std::string& text) {
    std::string_view rest(text);
    if (rest.substr(0, 3) == "\xEF\xBB\xBF")
        rest.remove_prefix(3);
    std::vector<std::string> lines;
    while (!rest.empty() && lines.size() < 5) {
        size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        lines.emplace_back(line);
    }
    return lines;
}

} // namespace

// Built-in pictures are PNG, decoded when the program is built; the image
// shares the packed pixels. One that is not packed is read as PNG with the
// format named and no guessing, so Qt loads none of its image-format plugins.
QImage BuiltInImage(const char* path) {
    if (const PackedImage* packed = FindPackedImage(path))
        return QImage(reinterpret_cast<const uchar*>(packed->pixels), packed->width, packed->height,
                      packed->width * 4,
                      packed->hasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    QImageReader reader(QString::fromLatin1(path), "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QIcon BuiltInIcon(IconId id) {
    return QIcon(new BuiltInIconEngine(id));
}

QPixmap SkinImages::Button(int index, bool selected) const {
    const QPixmap& strip = selected ? buttonsSelected : buttons;
    if (index < 0 || index >= kButtonCount || strip.isNull())
        return {};
    return strip.copy(0, index * kButtonHeight, strip.width(), kButtonHeight);
}

QImage KeyOutMagenta(const QImage& image) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if ((line[x] | 0xFF000000u) == kKey && qAlpha(line[x]) == 255)
                line[x] = 0;
        }
    }
    return out;
}

void SkinImages::LoadMenuPictures() {
    if (!sideBar.isNull())
        return;
    const std::array<std::tuple<QPixmap*, const QString*, BitmapId>, 2> strips = {{
        {&buttons, &buttonsFile, BitmapId::Buttons},
        {&buttonsSelected, &buttonsSelectedFile, BitmapId::ButtonsSelected},
    }};
    for (const auto& [strip, file, id] : strips) {
        const QImage image = file->isEmpty() ? QImage() : QImage(*file);
        *strip = image.isNull() ? BuiltInBitmap(id) : BitmapFromImage(image, id);
    }
    sideBar = BuiltInBitmap(BitmapId::SideBar);
}

SkinImages BuiltInSkinImages() {
    SkinImages images = BuiltInSkinIcons();
    images.LoadMenuPictures();
    return images;
}

SkinImages LoadSkinImages(std::string& currentSkin) {
    SkinImages images = LoadSkinIcons(currentSkin);
    images.LoadMenuPictures();
    return images;
}

SkinImages LoadSkinIcons(std::string& currentSkin) {
    SkinImages images = BuiltInSkinIcons();
    if (currentSkin.empty())
        return images;
    std::error_code error;
    const std::filesystem::path skin(currentSkin);
    std::ifstream in(skin, std::ios::binary);
    if (!std::filesystem::is_regular_file(skin, error) || !in) {
        currentSkin.clear();
        return images;
    }
    std::ostringstream text;
    text << in.rdbuf();
    const std::vector<std::string> lines = SkinLines(text.str());

    const std::filesystem::path folder = skin.parent_path();
    auto fileOf = [&](size_t line) -> QString {
        if (line >= lines.size() || lines[line].empty())
            return {};
        std::string name = lines[line];
        std::replace(name.begin(), name.end(), '\\', '/'); // written on Windows
        return LocalPath(folder / name);
    };
    images.buttonsFile = fileOf(0);
    images.buttonsSelectedFile = fileOf(1);
    const std::array<QIcon*, 3> icons = {&images.playing, &images.paused, &images.stopped};
    for (size_t i = 0; i < icons.size(); ++i) {
        const QString path = fileOf(2 + i);
        const QIcon icon = path.isEmpty() ? QIcon() : IconFromFile(path);
        if (!icon.isNull())
            *icons[i] = icon;
    }
    return images;
}

} // namespace zeb
