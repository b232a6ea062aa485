#include "resources/DialogTexts.h"

#include "resources/LanguageResources.h"
#include "resources/ResourceIds.h"

namespace zeb {

namespace {

struct DialogTextEntry {
    int dialog;
    int control;
    std::string_view text;
};

constexpr DialogTextEntry kTexts[] = {
    // About box.
    {IDD_ABOUT, kDialogCaption, "Om ZEB"},
    {IDD_ABOUT, IDC_ABOUT_NAME, "ZEB MP3-afspiller"},
    {IDD_ABOUT, IDC_ABOUT_VERSION, "Version %1"},
    {IDD_ABOUT, IDC_ABOUT_MAIL, "Skriv til forfatteren..."},
    {IDD_ABOUT, IDC_ABOUT_WEB, "Hjemmeside..."},
    {IDD_ABOUT, IDOK, "OK"},
    {IDD_ABOUT_RU, kDialogCaption, "О программе ZEB"},
    {IDD_ABOUT_RU, IDC_ABOUT_NAME, "MP3-проигрыватель ZEB"},
    {IDD_ABOUT_RU, IDC_ABOUT_VERSION, "Версия %1"},
    {IDD_ABOUT_RU, IDC_ABOUT_MAIL, "Написать автору..."},
    {IDD_ABOUT_RU, IDC_ABOUT_WEB, "Домашняя страница..."},
    {IDD_ABOUT_RU, IDOK, "OK"},

    // Open address.
    {IDD_OPEN_URL, kDialogCaption, "Åbn URL"},
    {IDD_OPEN_URL, IDC_URL_PROMPT, "Indtast adressen (http:// eller ftp://) du vil åbne:"},
    {IDD_OPEN_URL, IDOK, "OK"},
    {IDD_OPEN_URL, IDCANCEL, "Annuller"},
    {IDD_OPEN_URL_RU, kDialogCaption, "Открыть URL"},
    {IDD_OPEN_URL_RU, IDC_URL_PROMPT, "Введите адрес (http:// или ftp://), который нужно открыть:"},
    {IDD_OPEN_URL_RU, IDOK, "OK"},
    {IDD_OPEN_URL_RU, IDCANCEL, "Отмена"},

    // CD playlist: the labels of the edits and lists, by the control's id.
    {IDD_CD_PLAYLIST, kDialogCaption, "CD Afspilningsliste"},
    {IDD_CD_PLAYLIST, IDC_CDPL_ARTIST, "Kunstner:"},
    {IDD_CD_PLAYLIST, IDC_CDPL_TITLE, "Titel:"},
    {IDD_CD_PLAYLIST, IDC_CDPL_ORDER, "Afspilningsliste"},
    {IDD_CD_PLAYLIST, IDC_CDPL_AVAILABLE, "Tilgengælige numre"},
    {IDD_CD_PLAYLIST, IDC_CDPL_ADD, "<--"},
    {IDD_CD_PLAYLIST, IDC_CDPL_REMOVE, "-->"},
    {IDD_CD_PLAYLIST, IDC_CDPL_SET_NAME, "Sæt"},
    {IDD_CD_PLAYLIST, IDOK, "OK"},
    {IDD_CD_PLAYLIST, IDCANCEL, "Annuller"},
    {IDD_CD_PLAYLIST_RU, kDialogCaption, "Список воспроизведения CD"},
    {IDD_CD_PLAYLIST_RU, IDC_CDPL_ARTIST, "Исполнитель:"},
    {IDD_CD_PLAYLIST_RU, IDC_CDPL_TITLE, "Название:"},
    {IDD_CD_PLAYLIST_RU, IDC_CDPL_ORDER, "Список воспроизведения"},
    {IDD_CD_PLAYLIST_RU, IDC_CDPL_AVAILABLE, "Доступные треки"},
    {IDD_CD_PLAYLIST_RU, IDC_CDPL_ADD, "<--"},
    {IDD_CD_PLAYLIST_RU, IDC_CDPL_REMOVE, "-->"},
    {IDD_CD_PLAYLIST_RU, IDC_CDPL_SET_NAME, "Задать"},
    {IDD_CD_PLAYLIST_RU, IDOK, "OK"},
    {IDD_CD_PLAYLIST_RU, IDCANCEL, "Отмена"},

    // MP3 information: the label beside each field, by the field's id.
    {IDD_MP3_INFO, kDialogCaption, "MP3 info"},
    {IDD_MP3_INFO, IDC_INFO_FILE_NAME, "Fil:"},
    {IDD_MP3_INFO, IDC_INFO_BITRATE, "Bitrate:"},
    {IDD_MP3_INFO, IDC_INFO_KBPS_LABEL, "kbps"},
    {IDD_MP3_INFO, IDC_INFO_FREQUENCY, "Frekvens:"},
    {IDD_MP3_INFO, IDC_INFO_HZ_LABEL, "Hz"},
    {IDD_MP3_INFO, IDC_INFO_TYPE, "Type:"},
    {IDD_MP3_INFO, IDC_INFO_TITLE, "Titel:"},
    {IDD_MP3_INFO, IDC_INFO_ARTIST, "Kunstner:"},
    {IDD_MP3_INFO, IDC_INFO_ALBUM, "Album:"},
    {IDD_MP3_INFO, IDC_INFO_YEAR, "År:"},
    {IDD_MP3_INFO, IDC_INFO_COMMENT, "Kommentar:"},
    {IDD_MP3_INFO, IDC_INFO_GENRE, "Genre:"},
    {IDD_MP3_INFO, IDC_INFO_EDIT_TAG, "Rediger Tag"},
    {IDD_MP3_INFO_RU, kDialogCaption, "Информация MP3"},
    {IDD_MP3_INFO_RU, IDC_INFO_FILE_NAME, "Файл:"},
    {IDD_MP3_INFO_RU, IDC_INFO_BITRATE, "Битрейт:"},
    {IDD_MP3_INFO_RU, IDC_INFO_KBPS_LABEL, "кбит/с"},
    {IDD_MP3_INFO_RU, IDC_INFO_FREQUENCY, "Частота:"},
    {IDD_MP3_INFO_RU, IDC_INFO_HZ_LABEL, "Гц"},
    {IDD_MP3_INFO_RU, IDC_INFO_TYPE, "Режим:"},
    {IDD_MP3_INFO_RU, IDC_INFO_TITLE, "Название:"},
    {IDD_MP3_INFO_RU, IDC_INFO_ARTIST, "Исполнитель:"},
    {IDD_MP3_INFO_RU, IDC_INFO_ALBUM, "Альбом:"},
    {IDD_MP3_INFO_RU, IDC_INFO_YEAR, "Год:"},
    {IDD_MP3_INFO_RU, IDC_INFO_COMMENT, "Комментарий:"},
    {IDD_MP3_INFO_RU, IDC_INFO_GENRE, "Жанр:"},
    {IDD_MP3_INFO_RU, IDC_INFO_EDIT_TAG, "Изменить тег"},

    // Tag editor: the label beside each field, by the field's id.
    {IDD_TAG_EDITOR, kDialogCaption, "ID3 Tag Editor"},
    {IDD_TAG_EDITOR, IDC_TAG_FILE_NAME, "Fil:"},
    {IDD_TAG_EDITOR, IDC_TAG_TITLE, "Titel:"},
    {IDD_TAG_EDITOR, IDC_TAG_ARTIST, "Kunstner:"},
    {IDD_TAG_EDITOR, IDC_TAG_ALBUM, "Album:"},
    {IDD_TAG_EDITOR, IDC_TAG_YEAR, "År:"},
    {IDD_TAG_EDITOR, IDC_TAG_COMMENT, "Kommentar:"},
    {IDD_TAG_EDITOR, IDC_TAG_GENRE, "Genre:"},
    {IDD_TAG_EDITOR, IDC_TAG_KEEP_TITLE, "Beh."},
    {IDD_TAG_EDITOR, IDC_TAG_KEEP_ARTIST, "Beh."},
    {IDD_TAG_EDITOR, IDC_TAG_KEEP_ALBUM, "Beh."},
    {IDD_TAG_EDITOR, IDC_TAG_KEEP_YEAR, "Beh."},
    {IDD_TAG_EDITOR, IDC_TAG_KEEP_COMMENT, "Beh."},
    {IDD_TAG_EDITOR, IDC_TAG_KEEP_GENRE, "Beh."},
    {IDD_TAG_EDITOR, IDC_TAG_REMOVE, "Fjern Tag"},
    {IDD_TAG_EDITOR, IDOK, "OK"},
    {IDD_TAG_EDITOR, IDCANCEL, "Annuller"},
    {IDD_TAG_EDITOR_RU, kDialogCaption, "Редактор тегов ID3"},
    {IDD_TAG_EDITOR_RU, IDC_TAG_FILE_NAME, "Файл:"},
    {IDD_TAG_EDITOR_RU, IDC_TAG_TITLE, "Название:"},
    {IDD_TAG_EDITOR_RU, IDC_TAG_ARTIST, "Исполнитель:"},
    {IDD_TAG_EDITOR_RU, IDC_TAG_ALBUM, "Альбом:"},
    {IDD_TAG_EDITOR_RU, IDC_TAG_YEAR, "Год:"},
    {IDD_TAG_EDITOR_RU, IDC_TAG_COMMENT, "Комментарий:"},
    {IDD_TAG_EDITOR_RU, IDC_TAG_GENRE, "Жанр:"},
    {IDD_TAG_EDITOR_RU, IDC_TAG_KEEP_TITLE, "Оставить"},
    {IDD_TAG_EDITOR_RU, IDC_TAG_KEEP_ARTIST, "Оставить"},
    {IDD_TAG_EDITOR_RU, IDC_TAG_KEEP_ALBUM, "Оставить"},
    {IDD_TAG_EDITOR_RU, IDC_TAG_KEEP_YEAR, "Оставить"},
    {IDD_TAG_EDITOR_RU, IDC_TAG_KEEP_COMMENT, "Оставить"},
    {IDD_TAG_EDITOR_RU, IDC_TAG_KEEP_GENRE, "Оставить"},
    {IDD_TAG_EDITOR_RU, IDC_TAG_REMOVE, "Удалить тег"},
    {IDD_TAG_EDITOR_RU, IDOK, "OK"},
    {IDD_TAG_EDITOR_RU, IDCANCEL, "Отмена"},

    // Hotkeys: the label beside each hotkey control, by the control's id.
    {IDD_HOTKEYS, kDialogCaption, "Genveje"},
    {IDD_HOTKEYS, IDC_HK_PLAY_PAUSE, "Afspil / Pause"},
    {IDD_HOTKEYS, IDC_HK_STOP, "Stop"},
    {IDD_HOTKEYS, IDC_HK_PREVIOUS, "Forrige"},
    {IDD_HOTKEYS, IDC_HK_NEXT, "Næste"},
    {IDD_HOTKEYS, IDC_HK_VOLUME_UP, "Lydstyrke op"},
    {IDD_HOTKEYS, IDC_HK_VOLUME_DOWN, "Lydstyrke ned"},
    {IDD_HOTKEYS, IDC_HK_OPEN_FILE, "Åbn filer"},
    {IDD_HOTKEYS, IDC_HK_OPEN_FOLDER, "Åbn mappe"},
    {IDD_HOTKEYS, IDC_HK_OPEN_URL, "Åbn URL"},
    {IDD_HOTKEYS, IDC_HK_SHUFFLE, "Bland til/fra"},
    {IDD_HOTKEYS, IDC_HK_MINIBAR, "Minivindue"},
    {IDD_HOTKEYS, IDC_HK_EQUALIZER, "Equalizer"},
    {IDD_HOTKEYS, IDC_HK_REPEAT_CYCLE, "Gentag (liste / nummer / fra)"},
    {IDD_HOTKEYS, IDC_HK_PLAYLIST, "Afsp. liste"},
    {IDD_HOTKEYS, IDC_HK_MP3_INFO, "MP3 Info"},
    {IDD_HOTKEYS, IDC_HK_EXIT, "Afslut"},
    {IDD_HOTKEYS, IDC_HK_SWITCH_MODE, "Skift MP3 / CD"},
    {IDD_HOTKEYS, IDC_HK_COPY_NOW_PLAYING, "Kopiér \"spiller nu\""},
    {IDD_HOTKEYS, IDC_HK_SEEK_FORWARD, "Spol frem"},
    {IDD_HOTKEYS, IDC_HK_SEEK_BACK, "Spol tilbage"},
    {IDD_HOTKEYS, IDC_HK_TRAY_ICON, "Vis / skjul ikon"},
    {IDD_HOTKEYS, IDC_HK_MAIN_MENU, "Hoved menu"},
    {IDD_HOTKEYS, IDC_HK_TRACKS_MENU, "Numre"},
    {IDD_HOTKEYS, IDC_HK_ALBUM_MENU, "Album numre"},
    {IDD_HOTKEYS, IDC_HK_ALBUM_MODE, "Stop efter album til/fra"},
    {IDD_HOTKEYS, IDC_HK_SCROLL_LOCK_NOTE, "Genveje virker kun hvis Scroll Lock er SLUKKET!"},
    {IDD_HOTKEYS, IDOK, "OK"},
    {IDD_HOTKEYS, IDCANCEL, "Annuller"},
    {IDD_HOTKEYS_RU, kDialogCaption, "Горячие клавиши"},
    {IDD_HOTKEYS_RU, IDC_HK_PLAY_PAUSE, "Воспроизведение / пауза"},
    {IDD_HOTKEYS_RU, IDC_HK_STOP, "Стоп"},
    {IDD_HOTKEYS_RU, IDC_HK_PREVIOUS, "Предыдущий"},
    {IDD_HOTKEYS_RU, IDC_HK_NEXT, "Следующий"},
    {IDD_HOTKEYS_RU, IDC_HK_VOLUME_UP, "Громче"},
    {IDD_HOTKEYS_RU, IDC_HK_VOLUME_DOWN, "Тише"},
    {IDD_HOTKEYS_RU, IDC_HK_OPEN_FILE, "Открыть файлы"},
    {IDD_HOTKEYS_RU, IDC_HK_OPEN_FOLDER, "Открыть папку"},
    {IDD_HOTKEYS_RU, IDC_HK_OPEN_URL, "Открыть URL"},
    {IDD_HOTKEYS_RU, IDC_HK_SHUFFLE, "Случайный порядок"},
    {IDD_HOTKEYS_RU, IDC_HK_MINIBAR, "Мини-окно"},
    {IDD_HOTKEYS_RU, IDC_HK_EQUALIZER, "Эквалайзер"},
    {IDD_HOTKEYS_RU, IDC_HK_REPEAT_CYCLE, "Повтор (список / трек / выкл.)"},
    {IDD_HOTKEYS_RU, IDC_HK_PLAYLIST, "Список"},
    {IDD_HOTKEYS_RU, IDC_HK_MP3_INFO, "MP3 Info"},
    {IDD_HOTKEYS_RU, IDC_HK_EXIT, "Выход"},
    {IDD_HOTKEYS_RU, IDC_HK_SWITCH_MODE, "Режим MP3 / CD"},
    {IDD_HOTKEYS_RU, IDC_HK_COPY_NOW_PLAYING, "Копировать «сейчас играет»"},
    {IDD_HOTKEYS_RU, IDC_HK_SEEK_FORWARD, "Перемотка вперёд"},
    {IDD_HOTKEYS_RU, IDC_HK_SEEK_BACK, "Перемотка назад"},
    {IDD_HOTKEYS_RU, IDC_HK_TRAY_ICON, "Показать / скрыть значок"},
    {IDD_HOTKEYS_RU, IDC_HK_MAIN_MENU, "Главное меню"},
    {IDD_HOTKEYS_RU, IDC_HK_TRACKS_MENU, "Треки"},
    {IDD_HOTKEYS_RU, IDC_HK_ALBUM_MENU, "Треки альбома"},
    {IDD_HOTKEYS_RU, IDC_HK_ALBUM_MODE, "Стоп после альбома вкл./выкл."},
    {IDD_HOTKEYS_RU, IDC_HK_SCROLL_LOCK_NOTE,
     "Горячие клавиши работают, только если Scroll Lock ВЫКЛЮЧЕН!"},
    {IDD_HOTKEYS_RU, IDOK, "OK"},
    {IDD_HOTKEYS_RU, IDCANCEL, "Отмена"},

    // Playlist window; its title shows the playing times once it is open.
    {IDD_PLAYLIST, kDialogCaption, "Afspilningsliste"},
    {IDD_PLAYLIST_RU, kDialogCaption, "Список воспроизведения"},

    // Now-playing file.
    {IDD_NOW_PLAYING_FILE, kDialogCaption, "W2FILE"},
    {IDD_NOW_PLAYING_FILE, IDC_W2F_ENABLE, "Brug W2FILE"},
    {IDD_NOW_PLAYING_FILE, IDC_W2F_FILE_LABEL, "Fil:"},
    {IDD_NOW_PLAYING_FILE, IDC_W2F_BROWSE, "Gennemse"},
    {IDD_NOW_PLAYING_FILE, IDC_W2F_FORMAT_HINT, "Formater (brug %T for titel):"},
    {IDD_NOW_PLAYING_FILE, IDC_W2F_PLAY_LABEL, "Afspil:"},
    {IDD_NOW_PLAYING_FILE, IDC_W2F_PAUSE_LABEL, "Pause:"},
    {IDD_NOW_PLAYING_FILE, IDC_W2F_STOP_LABEL, "Stop:"},
    {IDD_NOW_PLAYING_FILE, IDC_W2F_EXIT_LABEL, "Afslut:"},
    {IDD_NOW_PLAYING_FILE, IDC_W2F_OEM, "OEM konvertering"},
    {IDD_NOW_PLAYING_FILE, IDC_W2F_DELETE_AT_EXIT, "Slet ved afslutning"},
    {IDD_NOW_PLAYING_FILE, IDOK, "OK"},
    {IDD_NOW_PLAYING_FILE, IDCANCEL, "Annuller"},
    {IDD_NOW_PLAYING_FILE_RU, kDialogCaption, "W2FILE"},
    {IDD_NOW_PLAYING_FILE_RU, IDC_W2F_ENABLE, "Использовать W2FILE"},
    {IDD_NOW_PLAYING_FILE_RU, IDC_W2F_FILE_LABEL, "Файл:"},
    {IDD_NOW_PLAYING_FILE_RU, IDC_W2F_BROWSE, "Обзор"},
    {IDD_NOW_PLAYING_FILE_RU, IDC_W2F_FORMAT_HINT, "Формат (%T — название):"},
    {IDD_NOW_PLAYING_FILE_RU, IDC_W2F_PLAY_LABEL, "Играет:"},
    {IDD_NOW_PLAYING_FILE_RU, IDC_W2F_PAUSE_LABEL, "Пауза:"},
    {IDD_NOW_PLAYING_FILE_RU, IDC_W2F_STOP_LABEL, "Стоп:"},
    {IDD_NOW_PLAYING_FILE_RU, IDC_W2F_EXIT_LABEL, "Выход:"},
    {IDD_NOW_PLAYING_FILE_RU, IDC_W2F_OEM, "Перекодировать в OEM"},
    {IDD_NOW_PLAYING_FILE_RU, IDC_W2F_DELETE_AT_EXIT, "Удалить при выходе"},
    {IDD_NOW_PLAYING_FILE_RU, IDOK, "OK"},
    {IDD_NOW_PLAYING_FILE_RU, IDCANCEL, "Отмена"},
};

} // namespace

std::string_view DialogText(int dialogId, int controlId) {
    for (const DialogTextEntry& e : kTexts) {
        if (e.dialog == dialogId && e.control == controlId)
            return e.text;
    }
    return {};
}

std::string_view UiDialogText(int language, int danishDialogId, int controlId) {
    return DialogText(LocalizedResourceId(language, danishDialogId), controlId);
}

} // namespace zeb
