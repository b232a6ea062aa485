// Danish menus 101..105.

#include "resources/MenuBuilders.h"
#include "resources/ResourceIds.h"

namespace zeb {

namespace {

using namespace menu;

constexpr std::string_view kPlaceholder = "(tom)";

MenuItem AfterPlaybackPopup() {
    return Popup("Efter Endt Afspilning", {
                                              Command(ID_EXIT_AFTER_PLAYBACK, "Afslut ZEB"),
                                              Command(ID_SHUTDOWN_AFTER_PLAYBACK, "Sluk computer"),
                                          });
}

MenuItem AutomationPopup() {
    return Popup("Automatisering", {
                                       Command(ID_AUTOMATION_SETUP, "&Opsætning"),
                                       Command(ID_AUTOMATION_RUN, "Udfør &Nu"),
                                   });
}

MenuItem RecentFilesPopup() {
    return FilledPopup("Filer afspillet for nylig", MenuSlot::RecentFiles, kPlaceholder);
}

MenuItem ScanDrivePopup() {
    return FilledPopup("Skan Drev", MenuSlot::ScanDrive, kPlaceholder);
}

// Shown only in the minibar's menu; the tray drops these last items.
MenuItem ViewPopup() {
    return Popup("Vis", {
                            Command(ID_SHOW_TIME_PLAYED, "Tid Afspillet"),
                            Command(ID_SHOW_TIME_LEFT, "Tid Tilbage"),
                            Command(ID_SHOW_TOTAL_TIME, "Total Tid"),
                            Separator(),
                            Command(ID_SHOW_TITLE, "Titel"),
                            Command(ID_SHOW_ARTIST_TITLE, "Kunstner - Titel"),
                            Command(ID_SHOW_FILE_NAME, "Filnavn"),
                        });
}

std::vector<MenuItem> TransportItems() {
    return {
        Command(ID_PLAY, "&Afspil"),      Command(ID_PAUSE, "&Pause"), Command(ID_STOP, "&Stop"),
        Command(ID_PREVIOUS, "&Forrige"), Command(ID_NEXT, "&Næste"),
    };
}

MenuTemplate MainMenu() {
    MenuTemplate menu{IDR_MENU_MAIN, {}};
    menu.items = {
        Command(ID_EXIT, "Afslut"),
        Command(ID_ABOUT, "Om..."),
        Separator(),
        Popup("Vinduer",
              {
                  Command(ID_MINIBAR, "Minivindue..."),
                  Command(ID_MP3_INFO, "MP3 Info..."),
                  Command(ID_PLAYLIST_WINDOW, "Afspilningsliste..."),
                  Command(ID_EQUALIZER, "Equalizer..."),
              }),
        Separator(),
        Popup("Indstillinger",
              {
                  Command(ID_REPEAT_LIST, "Gentag Liste"),
                  Command(ID_REPEAT_TRACK, "Gentag Nummer"),
                  Command(ID_SHUFFLE, "Tilfældig"),
                  Command(ID_RANDOM_FIRST, "Vælg Første Nummer Tilfældigt"),
                  Command(ID_ALBUM_MODE, "Afspil Album"),
                  Separator(),
                  AfterPlaybackPopup(),
                  Separator(),
                  AutomationPopup(),
                  Separator(),
                  Command(ID_ADVANCED_SETTINGS, "Avanceret..."),
              }),
        Popup("Åben",
              {
                  Command(ID_OPEN_FILE, "Fil..."),
                  Command(ID_OPEN_FOLDER, "Mappe..."),
                  Command(ID_OPEN_URL, "URL..."),
                  RecentFilesPopup(),
                  ScanDrivePopup(),
                  Separator(),
                  Command(ID_TO_CD_MODE, "Til CD-afspilning"),
              }),
        FilledPopup("Numre", MenuSlot::Tracks, kPlaceholder),
        FilledPopup("Nuv Album", MenuSlot::Album, kPlaceholder),
        Separator(),
    };
    Append(menu.items, TransportItems());
    Append(menu.items,
           {ViewPopup(), Separator(), Command(ID_FOLLOW_ACTIVE_WINDOW, "Følg Aktivt Vindue")});
    return menu;
}

// The tray menu in CD mode: the CD popup takes the place of the tracks and
// album popups; the disc line and the tracks are added behind its separator.
MenuTemplate CdMenu() {
    MenuTemplate menu{IDR_MENU_CD, {}};
    menu.items = {
        Command(ID_EXIT, "Afslut"),
        Command(ID_ABOUT, "Om..."),
        Separator(),
        Command(ID_CD_MINIBAR, "Minivindue"),
        Separator(),
        Popup("Indstillinger",
              {
                  Command(ID_REPEAT_LIST, "Gentag Liste"),
                  Command(ID_REPEAT_TRACK, "Gentag Nummer"),
                  Command(ID_SHUFFLE, "Tilfældig"),
                  Separator(),
                  AfterPlaybackPopup(),
                  Separator(),
                  AutomationPopup(),
                  Separator(),
                  Command(ID_ADVANCED_SETTINGS, "Avanceret..."),
              }),
        Popup("Åben",
              {
                  Command(ID_OPEN_FILE, "Fil..."),
                  Command(ID_OPEN_FOLDER, "Mappe..."),
                  Command(ID_OPEN_URL, "URL..."),
                  RecentFilesPopup(),
                  ScanDrivePopup(),
                  Separator(),
                  Command(ID_TO_MP3_MODE, "Til MP3-afspilning"),
              }),
        Popup("CD",
              {
                  Command(ID_CD_CDDB, "CDDB"),
                  Command(ID_CD_PLAYLIST, "Afspilningsliste"),
                  Command(ID_CD_EJECT, "Skub ud"),
                  Command(ID_CD_CLOSE_TRAY, "Hiv ind"),
                  Separator(),
              },
              MenuSlot::CdDisc),
        Separator(),
    };
    Append(menu.items, TransportItems());
    Append(menu.items,
           {ViewPopup(), Separator(), Command(ID_FOLLOW_ACTIVE_WINDOW, "Følg Aktivt Vindue")});
    return menu;
}

MenuTemplate PlaylistMenuBar() {
    return {IDR_MENU_PLAYLIST,
            {
                Popup("&Fil",
                      {
                          Command(ID_PL_OPEN, "&Åben...\tCtrl+O"),
                          Command(ID_PL_SAVE, "&Gem...\tCtrl+S"),
                          Separator(),
                          Command(ID_PL_EXTENDED_FORMAT, "Gem i &Udvidet Format"),
                      }),
                Popup("&Rediger",
                      {
                          Command(ID_PL_SELECT_ALL, "&Vælg Alle\tCtrl+A"),
                          Separator(),
                          Command(ID_PL_ADD_FILES, "Tilføj &Filer...\tIns"),
                          Command(ID_PL_ADD_FOLDER, "Tilføj &Mappe..."),
                          Command(ID_PL_ADD_PLAYLIST, "Tilføj &Afspilningsliste..."),
                          Separator(),
                          Command(ID_PL_REMOVE, "&Fjern"),
                          Command(ID_PL_REMOVE_ALL, "F&jern Alle"),
                          Separator(),
                          Command(ID_PL_EDIT_TAG, "Rediger &Tag...\tCtrl+T"),
                          Command(ID_PL_REREAD_TAGS, "Genlæs Alle Ta&gs"),
                      }),
                Popup("&Markerede",
                      {
                          Command(ID_PL_NEW_FROM_SELECTION, "Lav &ny afspilningsliste..."),
                          Command(ID_PL_APPEND_TO_EXISTING,
                                  "Føj til &eksisterende afspilningsliste..."),
                          Separator(),
                          Command(ID_PL_RENAME, "&Omdøb..."),
                          Command(ID_PL_DELETE_FILES, "&Slet\tCtrl+F8"),
                          Command(ID_PL_COPY_TO, "&Kopier Til...\tCtrl+F5"),
                          Command(ID_PL_MOVE_TO, "&Flyt Til...\tCtrl+F6"),
                      }),
                FilledPopup("F&ind Nummer", MenuSlot::FindTrack, kPlaceholder),
                Popup("&Sorter",
                      {
                          Command(ID_PL_SORT_BY_NAME, "Efter &Navn\tCtrl+N"),
                          Command(ID_PL_SORT_BY_PATH, "Efter &Filnavn\tCtrl+F"),
                          Command(ID_PL_RANDOM_ORDER, "&Tilfældigt\tCtrl+H"),
                          Separator(),
                          Command(ID_PL_REMOVE_MISSING, "Fjern &ikke-eksisterende filer"),
                          Command(ID_PL_REMOVE_DUPLICATES, "Fjern &dubletter"),
                      }),
            }};
}

MenuTemplate PlaylistContextMenu() {
    return {IDR_MENU_PLAYLIST_CONTEXT,
            {
                Command(ID_PL_SELECT_ALL, "&Vælg Alle\tCtrl+A"),
                Command(ID_PL_ADD_FILES, "Tilføj &Filer...\tIns"),
                Separator(),
                Command(ID_PL_REMOVE, "&Fjern"),
                Command(ID_PL_EDIT_TAG, "Rediger &Tag...\tCtrl+T"),
                Separator(),
                Command(ID_PL_NEW_FROM_SELECTION, "Lav &ny afspilningsliste..."),
                Command(ID_PL_APPEND_TO_EXISTING, "Føj til &eksisterende afspilningsliste..."),
            }};
}

MenuTemplate SkinMenu() {
    return {IDR_MENU_SKIN,
            {
                Command(ID_SKIN_DEFAULT, "Brug standard"),
                Command(ID_SKIN_OPEN, "Åben..."),
            }};
}

} // namespace

std::vector<MenuTemplate> DanishMenuTemplates() {
    return {MainMenu(), CdMenu(), PlaylistMenuBar(), PlaylistContextMenu(), SkinMenu()};
}

} // namespace zeb
