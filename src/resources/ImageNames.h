// Paths of the built-in images in the Qt resource file images.qrc.
//
// Icons are PNG with real alpha (several sizes) plus an SVG. Bitmaps are
// opaque RGB in which magenta (255, 0, 255) marks transparent pixels, the
// same rule as skin bitmaps, so one keying path serves both.
#pragma once

#include <cstdint>

namespace zeb {

// Icon resources by number.
enum class IconId : int {
    Program = 101, // window and program icon
    Mp3File = 102, // MP3 and MP3-in-WAV documents (",1")
    M3uFile = 103, // M3U and PLS playlists (",2")
    Playing = 104, // tray, engine playing
    Stopped = 105, // tray, stopped and at start
    Paused = 106,  // tray, paused
};

// Bitmap resources by number.
enum class BitmapId : int {
    SideBar = 101,         // 20x100, bottom of the tray menu's side bar
    ButtonsSelected = 102, // 90x90, five 90x18 buttons for the highlighted item
    Buttons = 103,         // 90x90, Play, Pause, Stop, Previous, Next
    Mp3Tools = 104,        // 48x15, MP3 minibar tool strip
    CdTools = 105,         // 48x15, CD minibar tool strip
    MiniButtons = 106,     // 60x15, minibar transport buttons
};

inline constexpr std::uint32_t kTransparentKeyRgb = 0xFF00FF;

struct ImageSize {
    int width;
    int height;
};

// The size a bitmap (built in or from a skin) is used at.
constexpr ImageSize BitmapSize(BitmapId id) {
    switch (id) {
    case BitmapId::SideBar:
        return {20, 100};
    case BitmapId::ButtonsSelected:
    case BitmapId::Buttons:
        return {90, 90};
    case BitmapId::Mp3Tools:
    case BitmapId::CdTools:
        return {48, 15};
    case BitmapId::MiniButtons:
        return {60, 15};
    }
    return {0, 0};
}

constexpr const char* ImagePath(BitmapId id) {
    switch (id) {
    case BitmapId::SideBar:
        return ":/images/bitmap-101-side-bar.png";
    case BitmapId::ButtonsSelected:
        return ":/images/bitmap-102-buttons-selected.png";
    case BitmapId::Buttons:
        return ":/images/bitmap-103-buttons.png";
    case BitmapId::Mp3Tools:
        return ":/images/bitmap-104-mp3-tools.png";
    case BitmapId::CdTools:
        return ":/images/bitmap-105-cd-tools.png";
    case BitmapId::MiniButtons:
        return ":/images/bitmap-106-mini-buttons.png";
    }
    return nullptr;
}

namespace detail {

struct IconFiles {
    const char* svg;
    int sizes[5]; // pixel sizes with a PNG, ascending, 0-terminated
    const char* pngs[5];
};

constexpr IconFiles IconFilesOf(IconId id) {
    switch (id) {
    case IconId::Program:
        return {":/images/icon-101-program.svg",
                {16, 22, 24, 32, 48},
                {":/images/icon-101-program-16.png", ":/images/icon-101-program-22.png",
                 ":/images/icon-101-program-24.png", ":/images/icon-101-program-32.png",
                 ":/images/icon-101-program-48.png"}};
    case IconId::Mp3File:
        return {":/images/icon-102-mp3-file.svg",
                {16, 32, 48, 0, 0},
                {":/images/icon-102-mp3-file-16.png", ":/images/icon-102-mp3-file-32.png",
                 ":/images/icon-102-mp3-file-48.png", nullptr, nullptr}};
    case IconId::M3uFile:
        return {":/images/icon-103-m3u-file.svg",
                {16, 32, 48, 0, 0},
                {":/images/icon-103-m3u-file-16.png", ":/images/icon-103-m3u-file-32.png",
                 ":/images/icon-103-m3u-file-48.png", nullptr, nullptr}};
    case IconId::Playing:
        return {":/images/icon-104-playing.svg",
                {16, 22, 24, 32, 0},
                {":/images/icon-104-playing-16.png", ":/images/icon-104-playing-22.png",
                 ":/images/icon-104-playing-24.png", ":/images/icon-104-playing-32.png", nullptr}};
    case IconId::Stopped:
        return {":/images/icon-105-stopped.svg",
                {16, 22, 24, 32, 0},
                {":/images/icon-105-stopped-16.png", ":/images/icon-105-stopped-22.png",
                 ":/images/icon-105-stopped-24.png", ":/images/icon-105-stopped-32.png", nullptr}};
    case IconId::Paused:
        return {":/images/icon-106-paused.svg",
                {16, 22, 24, 32, 0},
                {":/images/icon-106-paused-16.png", ":/images/icon-106-paused-22.png",
                 ":/images/icon-106-paused-24.png", ":/images/icon-106-paused-32.png", nullptr}};
    }
    return {nullptr, {0, 0, 0, 0, 0}, {nullptr, nullptr, nullptr, nullptr, nullptr}};
}

} // namespace detail

// Number of PNG sizes an icon has, and the i-th size (ascending).
constexpr int IconSizeCount(IconId id) {
    const auto files = detail::IconFilesOf(id);
    int n = 0;
    while (n < 5 && files.sizes[n] != 0) {
        ++n;
    }
    return n;
}

constexpr int IconSize(IconId id, int index) {
    return detail::IconFilesOf(id).sizes[index];
}

// The size an icon drawn px pixels square is drawn from: the smallest one at
// least that big, else the largest there is; 0 for an icon without sizes.
constexpr int IconSizeFor(IconId id, int px) {
    const int count = IconSizeCount(id);
    for (int i = 0; i < count; ++i) {
        if (IconSize(id, i) >= px) {
            return IconSize(id, i);
        }
    }
    return count > 0 ? IconSize(id, count - 1) : 0;
}

// The PNG for an icon drawn px pixels square (IconSizeFor).
constexpr const char* ImagePath(IconId id, int px) {
    const auto files = detail::IconFilesOf(id);
    const int size = IconSizeFor(id, px);
    for (int i = 0; i < IconSizeCount(id); ++i) {
        if (files.sizes[i] == size) {
            return files.pngs[i];
        }
    }
    return nullptr;
}

// The icon at its native size: 32 for the program and file icons, 16 for
// the tray icons.
constexpr const char* ImagePath(IconId id) {
    const bool tray = id == IconId::Playing || id == IconId::Stopped || id == IconId::Paused;
    return ImagePath(id, tray ? 16 : 32);
}

constexpr const char* SvgPath(IconId id) {
    return detail::IconFilesOf(id).svg;
}

} // namespace zeb
