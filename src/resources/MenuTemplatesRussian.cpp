// Russian menus 151..155: the ids and structure of the Danish menus 101..105.

#include "resources/MenuBuilders.h"
#include "resources/ResourceIds.h"

namespace zeb {

namespace {

using namespace menu;

constexpr std::string_view kPlaceholder = "(пусто)";

MenuItem AfterPlaybackPopup() {
    return Popup("После воспроизведения",
                 {
                     Command(ID_EXIT_AFTER_PLAYBACK, "Выйти из ZEB"),
                     Command(ID_SHUTDOWN_AFTER_PLAYBACK, "Выключить компьютер"),
                 });
}

MenuItem AutomationPopup() {
    return Popup("Автоматизация", {
                                      Command(ID_AUTOMATION_SETUP, "&Настройка"),
                                      Command(ID_AUTOMATION_RUN, "Выполнить &сейчас"),
                                  });
}

MenuItem RecentFilesPopup() {
    return FilledPopup("Недавние файлы", MenuSlot::RecentFiles, kPlaceholder);
}

MenuItem ScanDrivePopup() {
    return FilledPopup("Сканировать диск", MenuSlot::ScanDrive, kPlaceholder);
}

// Shown only in the minibar's menu; the tray drops these last items.
MenuItem ViewPopup() {
    return Popup("Вид", {
                            Command(ID_SHOW_TIME_PLAYED, "Прошедшее время"),
                            Command(ID_SHOW_TIME_LEFT, "Оставшееся время"),
                            Command(ID_SHOW_TOTAL_TIME, "Общее время"),
                            Separator(),
                            Command(ID_SHOW_TITLE, "Название"),
                            Command(ID_SHOW_ARTIST_TITLE, "Исполнитель - Название"),
                            Command(ID_SHOW_FILE_NAME, "Имя файла"),
                        });
}

std::vector<MenuItem> TransportItems() {
    return {
        Command(ID_PLAY, "&Воспроизвести"), Command(ID_PAUSE, "&Пауза"),
        Command(ID_STOP, "&Стоп"),          Command(ID_PREVIOUS, "П&редыдущий"),
        Command(ID_NEXT, "С&ледующий"),
    };
}

MenuTemplate MainMenu() {
    MenuTemplate menu{IDR_MENU_MAIN_RU, {}};
    menu.items = {
        Command(ID_EXIT, "Выход"),
        Command(ID_ABOUT, "О программе..."),
        Separator(),
        Popup("Окна",
              {
                  Command(ID_MINIBAR, "Мини-окно..."),
                  Command(ID_MP3_INFO, "Информация MP3..."),
                  Command(ID_PLAYLIST_WINDOW, "Список воспроизведения..."),
                  Command(ID_EQUALIZER, "Эквалайзер..."),
              }),
        Separator(),
        Popup("Настройки",
              {
                  Command(ID_REPEAT_LIST, "Повторять список"),
                  Command(ID_REPEAT_TRACK, "Повторять трек"),
                  Command(ID_SHUFFLE, "Случайный порядок"),
                  Command(ID_RANDOM_FIRST, "Начинать со случайного трека"),
                  Command(ID_ALBUM_MODE, "Режим альбома"),
                  Separator(),
                  AfterPlaybackPopup(),
                  Separator(),
                  AutomationPopup(),
                  Separator(),
                  Command(ID_ADVANCED_SETTINGS, "Дополнительно..."),
              }),
        Popup("Открыть",
              {
                  Command(ID_OPEN_FILE, "Файл..."),
                  Command(ID_OPEN_FOLDER, "Папку..."),
                  Command(ID_OPEN_URL, "URL..."),
                  RecentFilesPopup(),
                  ScanDrivePopup(),
                  Separator(),
                  Command(ID_TO_CD_MODE, "Режим CD"),
              }),
        FilledPopup("Треки", MenuSlot::Tracks, kPlaceholder),
        FilledPopup("Текущий альбом", MenuSlot::Album, kPlaceholder),
        Separator(),
    };
    Append(menu.items, TransportItems());
    Append(menu.items, {ViewPopup(), Separator(),
                        Command(ID_FOLLOW_ACTIVE_WINDOW, "Следовать за активным окном")});
    return menu;
}

MenuTemplate CdMenu() {
    MenuTemplate menu{IDR_MENU_CD_RU, {}};
    menu.items = {
        Command(ID_EXIT, "Выход"),
        Command(ID_ABOUT, "О программе..."),
        Separator(),
        Command(ID_CD_MINIBAR, "Мини-окно"),
        Separator(),
        Popup("Настройки",
              {
                  Command(ID_REPEAT_LIST, "Повторять список"),
                  Command(ID_REPEAT_TRACK, "Повторять трек"),
                  Command(ID_SHUFFLE, "Случайный порядок"),
                  Separator(),
                  AfterPlaybackPopup(),
                  Separator(),
                  AutomationPopup(),
                  Separator(),
                  Command(ID_ADVANCED_SETTINGS, "Дополнительно..."),
              }),
        Popup("Открыть",
              {
                  Command(ID_OPEN_FILE, "Файл..."),
                  Command(ID_OPEN_FOLDER, "Папку..."),
                  Command(ID_OPEN_URL, "URL..."),
                  RecentFilesPopup(),
                  ScanDrivePopup(),
                  Separator(),
                  Command(ID_TO_MP3_MODE, "Режим MP3"),
              }),
        Popup("CD",
              {
                  Command(ID_CD_CDDB, "CDDB"),
                  Command(ID_CD_PLAYLIST, "Список воспроизведения"),
                  Command(ID_CD_EJECT, "Извлечь"),
                  Command(ID_CD_CLOSE_TRAY, "Закрыть лоток"),
                  Separator(),
              },
              MenuSlot::CdDisc),
        Separator(),
    };
    Append(menu.items, TransportItems());
    Append(menu.items, {ViewPopup(), Separator(),
                        Command(ID_FOLLOW_ACTIVE_WINDOW, "Следовать за активным окном")});
    return menu;
}

MenuTemplate PlaylistMenuBar() {
    return {IDR_MENU_PLAYLIST_RU,
            {
                Popup("&Файл",
                      {
                          Command(ID_PL_OPEN, "&Открыть...\tCtrl+O"),
                          Command(ID_PL_SAVE, "&Сохранить...\tCtrl+S"),
                          Separator(),
                          Command(ID_PL_EXTENDED_FORMAT, "Сохранять в &расширенном формате"),
                      }),
                Popup("&Правка",
                      {
                          Command(ID_PL_SELECT_ALL, "Выделить &все\tCtrl+A"),
                          Separator(),
                          Command(ID_PL_ADD_FILES, "Добавить &файлы...\tIns"),
                          Command(ID_PL_ADD_FOLDER, "Добавить &папку..."),
                          Command(ID_PL_ADD_PLAYLIST, "Добавить &список воспроизведения..."),
                          Separator(),
                          Command(ID_PL_REMOVE, "&Удалить"),
                          Command(ID_PL_REMOVE_ALL, "Уд&алить все"),
                          Separator(),
                          Command(ID_PL_EDIT_TAG, "Изменить &тег...\tCtrl+T"),
                          Command(ID_PL_REREAD_TAGS, "Перечитать все те&ги"),
                      }),
                Popup("&Выделенные",
                      {
                          Command(ID_PL_NEW_FROM_SELECTION, "Создать &новый список..."),
                          Command(ID_PL_APPEND_TO_EXISTING, "Добавить в &существующий список..."),
                          Separator(),
                          Command(ID_PL_RENAME, "Пере&именовать..."),
                          Command(ID_PL_DELETE_FILES, "У&далить файлы\tCtrl+F8"),
                          Command(ID_PL_COPY_TO, "&Копировать в...\tCtrl+F5"),
                          Command(ID_PL_MOVE_TO, "Пере&местить в...\tCtrl+F6"),
                      }),
                FilledPopup("&Найти трек", MenuSlot::FindTrack, kPlaceholder),
                Popup("&Сортировка",
                      {
                          Command(ID_PL_SORT_BY_NAME, "По &названию\tCtrl+N"),
                          Command(ID_PL_SORT_BY_PATH, "По &имени файла\tCtrl+F"),
                          Command(ID_PL_RANDOM_ORDER, "&Случайно\tCtrl+H"),
                          Separator(),
                          Command(ID_PL_REMOVE_MISSING, "Удалить &отсутствующие файлы"),
                          Command(ID_PL_REMOVE_DUPLICATES, "Удалить &дубликаты"),
                      }),
            }};
}

MenuTemplate PlaylistContextMenu() {
    return {IDR_MENU_PLAYLIST_CONTEXT_RU,
            {
                Command(ID_PL_SELECT_ALL, "Выделить &все\tCtrl+A"),
                Command(ID_PL_ADD_FILES, "Добавить &файлы...\tIns"),
                Separator(),
                Command(ID_PL_REMOVE, "&Удалить"),
                Command(ID_PL_EDIT_TAG, "Изменить &тег...\tCtrl+T"),
                Separator(),
                Command(ID_PL_NEW_FROM_SELECTION, "Создать &новый список..."),
                Command(ID_PL_APPEND_TO_EXISTING, "Добавить в &существующий список..."),
            }};
}

MenuTemplate SkinMenu() {
    return {IDR_MENU_SKIN_RU,
            {
                Command(ID_SKIN_DEFAULT, "По умолчанию"),
                Command(ID_SKIN_OPEN, "Открыть..."),
            }};
}

} // namespace

std::vector<MenuTemplate> RussianMenuTemplates() {
    return {MainMenu(), CdMenu(), PlaylistMenuBar(), PlaylistContextMenu(), SkinMenu()};
}

} // namespace zeb
