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
