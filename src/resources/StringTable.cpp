#include "resources/StringTable.h"

#include "resources/LanguageResources.h"
#include "resources/ResourceIds.h"

#include <algorithm>
#include <iterator>

namespace zeb {

namespace {

struct StringEntry {
    int id;
    std::string_view text;
};

constexpr int Ru(int danishId) {
    return danishId + kRussianStringOffset;
}

// Sorted by id. Id 28 (and 128) holds no string.
constexpr StringEntry kStrings[] = {
    // Danish.
    {IDS_CDDB_FAILED, "ZEB kunne ikke hente informationer om denne cd fra CDDB"},
    {IDS_FILTER_OPEN_FILES,
     "Alle understøttede filer|*.mp3;*.wav;*.m3u;*.pls|MP3 filer (*.mp3)|*.mp3|RIFF WAV MP3 filer "
     "(*.wav)|*.wav|Afspiln. lister (*.m3u, *.pls)|*.m3u|Alle filer| *.*|"},
    {IDS_NO_CD_DRIVE, "Kan ikke finde nogen CD drev"},
    {IDS_FILTER_PLAYLISTS, "Afspilningslister (*.m3u, *.pls)|*.m3u;*.pls|"},
    {IDS_CANNOT_OPEN_FILE, "Kan ikke åbne filen"},
    {IDS_PLAYLIST_TITLE, "Afspilningslister - "},
    {IDS_FILTER_SKINS, "Skins (*.skn)|*.skn|"},
    {IDS_WAV_WARNING, "Husk venligst at kun RIFF WAV MP3s er understøttede.\nZEB kan IKKE afspille "
                      "'normale' WAVs (PCM, ADPCM, osv.)"},
    {IDS_ALWAYS_ON_TOP, "&Altid øverst"},
    {IDS_CHOOSE_FOLDER_TO_OPEN, "Vælg den mappe du vil åbne..."},
    {IDS_CHOOSE_FOLDER_TO_WRITE, "Vælg den mappe du vil skrive til..."},
    {IDS_CHOOSE_TARGET_FOLDER, "Vælg mål mappe..."},
    {IDS_OVERWRITE_FILE, "Overskriv fil"},
    {IDS_CONFIRM_DELETE, "Er du sikker på at du vil slette de(n) valgt(e) fil(er)?"},
    {IDS_ASK_MAIL_AUTHOR, "Vil du skrive en e-mail til forfatteren af ZEB?"},
    {IDS_NEED_MAIN_MENU_CLICK, "Mindst et klik bør sættes til 'Hoved menu'!"},
    {IDS_REPEAT_SWITCHED_OFF, "Husk venligst at gentag indstillinger slås FRA!"},
    {IDS_HOLD_NOTHING, "(intet)"},
    {IDS_HOLD_POSITION, "Skifter position"},
    {IDS_HOLD_VOLUME, "Skifter lydstyrke"},
    {IDS_OPT_SIDE_BAR, "Bar i hovedmenu"},
    {IDS_OPT_GRAPHICAL_BUTTONS, "Grafiske knapper i hovedmenu"},
    {IDS_OPT_TRACKS_SUBMENU, "Vis Numre som undermenu"},
    {IDS_OPT_ALBUM_SUBMENU, "Vis Albums som undermenu"},
    {IDS_OPT_AUTO_PLAY, "Start afspilning automatisk"},
    {IDS_OPT_INCLUDE_WAVS, "Inkluder WAV filer i søgning"},
    {IDS_OPT_EMULATE_WINAMP, "Emuler Winamp"},
    {IDS_CLICK_NOTHING, "(intet)"},
    {IDS_CLICK_PLAY_PAUSE, "Afspil / Pause"},
    {IDS_CLICK_STOP_PLAY, "Stop / Afspil"},
    {IDS_CLICK_PREVIOUS, "Forrige"},
    {IDS_CLICK_NEXT, "Næste"},
    {IDS_CLICK_TRACKS, "Numre"},
    {IDS_CLICK_MINIBAR, "Minivindue"},
    {IDS_CLICK_PLAYLIST, "Afsp. liste"},
    {IDS_CLICK_EQUALIZER, "Equalizer"},
    {IDS_CLICK_MP3_INFO, "MP3 Info"},
    {IDS_CLICK_MAIN_MENU, "Hoved menu"},
    {IDS_CLICK_ALBUM_TRACKS, "Album numre"},
    {IDS_POWER_OFF_REFUSED, "ZEB kunne ikke slukke computeren."},

    // Russian.
    {Ru(IDS_CDDB_FAILED), "ZEB не удалось получить информацию о диске с сервера CDDB"},
    {Ru(IDS_FILTER_OPEN_FILES),
     "Все поддерживаемые файлы|*.mp3;*.wav;*.m3u;*.pls|Файлы MP3 (*.mp3)|*.mp3|Файлы RIFF "
     "WAV MP3 (*.wav)|*.wav|Списки воспр. (*.m3u, *.pls)|*.m3u|Все файлы| *.*|"},
    {Ru(IDS_NO_CD_DRIVE), "CD-дисковод не обнаружен"},
    {Ru(IDS_FILTER_PLAYLISTS), "Списки воспроизведения (*.m3u, *.pls)|*.m3u;*.pls|"},
    {Ru(IDS_CANNOT_OPEN_FILE), "Не удаётся открыть файл"},
    {Ru(IDS_PLAYLIST_TITLE), "Списки воспроизведения - "},
    {Ru(IDS_FILTER_SKINS), "Скины (*.skn)|*.skn|"},
    {Ru(IDS_WAV_WARNING),
     "Обратите внимание: поддерживаются только RIFF WAV с MP3.\nZEB НЕ может воспроизводить "
     "'обычные' WAV (PCM, ADPCM и т. д.)"},
    {Ru(IDS_ALWAYS_ON_TOP), "&Поверх всех окон"},
    {Ru(IDS_CHOOSE_FOLDER_TO_OPEN), "Выберите папку, которую нужно открыть..."},
    {Ru(IDS_CHOOSE_FOLDER_TO_WRITE), "Выберите папку для записи..."},
    {Ru(IDS_CHOOSE_TARGET_FOLDER), "Выберите папку назначения..."},
    {Ru(IDS_OVERWRITE_FILE), "Перезаписать файл"},
    {Ru(IDS_CONFIRM_DELETE), "Вы уверены, что хотите удалить выбранные файлы?"},
    {Ru(IDS_ASK_MAIL_AUTHOR), "Написать письмо автору ZEB?"},
    {Ru(IDS_NEED_MAIN_MENU_CLICK), "Хотя бы один щелчок должен вызывать 'Главное меню'!"},
    {Ru(IDS_REPEAT_SWITCHED_OFF), "Обратите внимание: настройки повтора будут ВЫКЛЮЧЕНЫ!"},
    {Ru(IDS_HOLD_NOTHING), "(нет)"},
    {Ru(IDS_HOLD_POSITION), "Меняет позицию"},
    {Ru(IDS_HOLD_VOLUME), "Меняет громкость"},
    {Ru(IDS_OPT_SIDE_BAR), "Полоса в главном меню"},
    {Ru(IDS_OPT_GRAPHICAL_BUTTONS), "Графические кнопки в главном меню"},
    {Ru(IDS_OPT_TRACKS_SUBMENU), "Треки в подменю"},
    {Ru(IDS_OPT_ALBUM_SUBMENU), "Альбомы в подменю"},
    {Ru(IDS_OPT_AUTO_PLAY), "Начинать воспроизведение автоматически"},
    {Ru(IDS_OPT_INCLUDE_WAVS), "Искать также файлы WAV"},
    {Ru(IDS_OPT_EMULATE_WINAMP), "Эмулировать Winamp"},
    {Ru(IDS_CLICK_NOTHING), "(нет)"},
    {Ru(IDS_CLICK_PLAY_PAUSE), "Воспр. / Пауза"},
    {Ru(IDS_CLICK_STOP_PLAY), "Стоп / Воспр."},
    {Ru(IDS_CLICK_PREVIOUS), "Предыдущий"},
    {Ru(IDS_CLICK_NEXT), "Следующий"},
    {Ru(IDS_CLICK_TRACKS), "Треки"},
    {Ru(IDS_CLICK_MINIBAR), "Мини-окно"},
    {Ru(IDS_CLICK_PLAYLIST), "Список воспр."},
    {Ru(IDS_CLICK_EQUALIZER), "Эквалайзер"},
    {Ru(IDS_CLICK_MP3_INFO), "Информация MP3"},
    {Ru(IDS_CLICK_MAIN_MENU), "Главное меню"},
    {Ru(IDS_CLICK_ALBUM_TRACKS), "Треки альбома"},
    {Ru(IDS_POWER_OFF_REFUSED), "ZEB не удалось выключить компьютер."},
};

constexpr bool IsSortedById() {
    for (size_t i = 1; i < std::size(kStrings); ++i) {
        if (kStrings[i - 1].id >= kStrings[i].id) {
            return false;
        }
    }
    return true;
}
static_assert(IsSortedById(), "string table must be sorted by id without duplicates");

} // namespace

std::string_view LoadString(int id) {
    const auto* end = std::end(kStrings);
    const auto* it = std::lower_bound(std::begin(kStrings), end, id,
                                      [](const StringEntry& e, int key) { return e.id < key; });
    if (it == end || it->id != id) {
        return {};
    }
    return it->text;
}

std::string_view UiString(int language, int danishId) {
    return LoadString(LocalizedStringId(language, danishId));
}

} // namespace zeb
