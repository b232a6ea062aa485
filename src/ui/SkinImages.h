#pragma once

#include "resources/ImageNames.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <string>

namespace zeb {

// The pictures of the tray and its menu: the five picture buttons of the
// menu in two strips (normal and highlighted), the menu's side bar and the
// three tray icons. A skin replaces some of them.
struct SkinImages {
    QPixmap buttons;         // 90x90: Play, Pause, Stop, Previous, Next, 18 high each
    QPixmap buttonsSelected; // the same buttons for the highlighted item
    QPixmap sideBar;         // 20x100, the bottom of the menu's side bar
    QIcon playing;
    QIcon paused;
    QIcon stopped;
    // The skin's files for the two strips; empty for the built-in ones.
    QString buttonsFile;
    QString buttonsSelectedFile;

    // Button `index` (0 Play, 1 Pause, 2 Stop, 3 Previous, 4 Next), 90x18.
    QPixmap Button(int index, bool selected) const;
    // Makes the strips and the side bar, once: a player waiting in the tray
    // keeps only its icons until the menu is first shown. A strip file that
    // does not load leaves the built-in strip in place.
    void LoadMenuPictures();
};

// The image with its magenta (255, 0, 255) pixels made transparent.
QImage KeyOutMagenta(const QImage& image);

// A picture built into the program, by its path in the resources.
QImage BuiltInImage(const char* path);

// The icon built into the program in all its sizes.
QIcon BuiltInIcon(IconId id);

// The images built into the program.
SkinImages BuiltInSkinImages();

// The images of the skin file `currentSkin` (below) without the menu's
// pictures, which LoadMenuPictures makes when they are first needed.
SkinImages LoadSkinIcons(std::string& currentSkin);

// The images of the skin file `currentSkin`. The file has up to five lines,
// each a file name relative to the skin file's folder: normal button strip,
// highlighted strip, playing, paused and stopped icon. A line that is
// missing or empty, or names a file that does not load, leaves the built-in
// image in place. Bitmaps are used at their built-in sizes with magenta
// transparent; an icon without transparency of its own has magenta keyed
// out too. An empty `currentSkin` gives the built-in images; a skin file
// that cannot be read gives them too and empties `currentSkin`.
SkinImages LoadSkinImages(std::string& currentSkin);

} // namespace zeb
