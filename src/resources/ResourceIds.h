#pragma once

// Numbers shared by menus, hotkeys, tool windows, dialogs and the string
// tables. They keep the values of the program's resource scripts so that
// settings, remote-control clients and tests see the same numbers.

#include <array>

namespace zeb {

// ---------------------------------------------------------------------------
// Window messages and queries
// ---------------------------------------------------------------------------

constexpr int WM_COMMAND = 0x0111;               // command request: wParam holds the command id
constexpr int WM_COPYDATA = 0x004A;              // hand-over of a record from a second instance
constexpr int WM_USER = 0x0400;                  // first private message; remote status queries
constexpr int WM_PROGRESS_SET_POS = WM_USER + 2; // set a volume bar's position
constexpr int WM_TRAY_CALLBACK = WM_USER + 10;   // 1034: mouse events of the tray icon
constexpr int WM_PLAYER_END = WM_USER + 40;      // 1064: the engine reached the end of a track

// Remote-control status queries (lParam of WM_USER).
constexpr int WA_QUERY_PLAY_STATE = 104;  // 1 playing, 3 paused, 0 otherwise
constexpr int WA_QUERY_LIST_LENGTH = 124; // number of playlist entries
constexpr int WA_QUERY_LIST_POS = 125;    // current index, 0-based

// ---------------------------------------------------------------------------
// Timers
// ---------------------------------------------------------------------------

// Main window.
constexpr int TIMER_LEFT_CLICKS = 1;  // end of a left-click series
constexpr int TIMER_RIGHT_CLICKS = 2; // end of a right-click series
constexpr int TIMER_HANDOVER = 3;     // ends the two-second hand-over window
constexpr int TIMER_HOLD_LEFT = 6;    // press-and-hold of the left button
constexpr int TIMER_HOLD_RIGHT = 7;   // press-and-hold of the right button
constexpr int TIMER_STATUS = 10;      // 250 ms: Scroll Lock watch and status refresh
constexpr int TIMER_NOW_PLAYING = 11; // 1000 ms: now-playing file
constexpr int TIMER_AUTOMATION = 12;  // AutPeriod minutes: automation run
// Minibar.
constexpr int TIMER_MINIBAR_FOLLOW = 1; // 100 ms: follow the active window

// ---------------------------------------------------------------------------
// Commands of the main window (tray menus 101/102, hotkeys, tool windows)
// ---------------------------------------------------------------------------

// Transport.
constexpr int ID_PLAY = 949;
constexpr int ID_PAUSE = 959;
constexpr int ID_STOP = 969;
constexpr int ID_PREVIOUS = 979;
constexpr int ID_NEXT = 989;
// Owner-drawn side bar item of the main menu; it does nothing.
constexpr int ID_SIDE_BAR = 999;

// Program.
constexpr int ID_EXIT = 32780;
constexpr int ID_ABOUT = 32779;
constexpr int ID_TOGGLE_LANGUAGE = 32944; // no menu item

// Tool windows.
constexpr int ID_MINIBAR = 32803;
constexpr int ID_MP3_INFO = 32809;
constexpr int ID_PLAYLIST_WINDOW = 32802;
constexpr int ID_EQUALIZER = 32791;

// Play-order settings and after-playback actions.
constexpr int ID_REPEAT_LIST = 32806;
constexpr int ID_REPEAT_TRACK = 32819;
constexpr int ID_SHUFFLE = 32899;
constexpr int ID_RANDOM_FIRST = 32907;
constexpr int ID_ALBUM_MODE = 32948;
constexpr int ID_EXIT_AFTER_PLAYBACK = 32941;
constexpr int ID_SHUTDOWN_AFTER_PLAYBACK = 32943;

// Automation and advanced settings.
constexpr int ID_AUTOMATION_SETUP = 32949;
constexpr int ID_AUTOMATION_RUN = 32950;
constexpr int ID_ADVANCED_SETTINGS = 32875;

// Opening.
constexpr int ID_OPEN_FILE = 32776;
constexpr int ID_OPEN_FOLDER = 32808;
constexpr int ID_OPEN_URL = 32848;

// Display of time and names.
constexpr int ID_SHOW_TIME_PLAYED = 32904;
constexpr int ID_SHOW_TIME_LEFT = 32905;
constexpr int ID_SHOW_TOTAL_TIME = 32947;
constexpr int ID_SHOW_TITLE = 32909;
constexpr int ID_SHOW_ARTIST_TITLE = 32910;
constexpr int ID_SHOW_FILE_NAME = 32911;
constexpr int ID_FOLLOW_ACTIVE_WINDOW = 32945;

// CD mode.
constexpr int ID_TO_CD_MODE = 32922;
constexpr int ID_TO_MP3_MODE = 32923;
constexpr int ID_CD_EJECT = 32918;
constexpr int ID_CD_CLOSE_TRAY = 32955;
constexpr int ID_CD_MINIBAR = 32917;
constexpr int ID_CD_CDDB = 32919;
constexpr int ID_CD_PLAYLIST = 32921; // also the disc line and "Data CD"

// Recent files, folders and addresses: Recent0..Recent9.
constexpr int ID_RECENT_FIRST = 1200;
constexpr int ID_RECENT_LAST = 1209;
constexpr int kRecentCount = ID_RECENT_LAST - ID_RECENT_FIRST + 1;

// Tracks and album entries (main menu, tracks popup, find menu): entry
// index = id - ID_TRACK_FIRST; in CD mode track number = id - ID_TRACK_FIRST + 1.
constexpr int ID_TRACK_FIRST = 1210;
constexpr int ID_TRACK_LAST = 6209;
constexpr int kMaxMenuEntries = 5000; // entries reachable from the track menus

// Scan-drive entries; the first id stands for the first volume ('C').
constexpr int ID_DRIVE_FIRST = 6250;
constexpr int ID_DRIVE_LAST = 6275;

constexpr int TrackCommandId(int index) {
    return ID_TRACK_FIRST + index;
}
constexpr int RecentCommandId(int slot) {
    return ID_RECENT_FIRST + slot;
}
constexpr int DriveCommandId(char letter) {
    return ID_DRIVE_FIRST + (letter - 'C');
}
constexpr bool IsTrackCommand(int id) {
    return id >= ID_TRACK_FIRST && id <= ID_TRACK_LAST;
}
constexpr bool IsRecentCommand(int id) {
    return id >= ID_RECENT_FIRST && id <= ID_RECENT_LAST;
}
constexpr bool IsDriveCommand(int id) {
    return id >= ID_DRIVE_FIRST && id <= ID_DRIVE_LAST;
}

// ---------------------------------------------------------------------------
// Commands of the playlist window (menu bar 103, context menu 104,
// accelerator table 100)
// ---------------------------------------------------------------------------

constexpr int ID_PL_OPEN = 32886;
constexpr int ID_PL_SAVE = 32887;
constexpr int ID_PL_EXTENDED_FORMAT = 32954;
constexpr int ID_PL_SELECT_ALL = 32927;
constexpr int ID_PL_ADD_FILES = 32879;
constexpr int ID_PL_ADD_FOLDER = 32880;
constexpr int ID_PL_ADD_PLAYLIST = 32896;
constexpr int ID_PL_REMOVE = 32881;
constexpr int ID_PL_REMOVE_ALL = 32925;
constexpr int ID_PL_EDIT_TAG = 32882;
constexpr int ID_PL_REREAD_TAGS = 32939;
constexpr int ID_PL_NEW_FROM_SELECTION = 32894;
constexpr int ID_PL_APPEND_TO_EXISTING = 32895;
constexpr int ID_PL_RENAME = 32940;
constexpr int ID_PL_DELETE_FILES = 32951;
constexpr int ID_PL_COPY_TO = 32952;
constexpr int ID_PL_MOVE_TO = 32953;
constexpr int ID_PL_SORT_BY_NAME = 32883;
constexpr int ID_PL_SORT_BY_PATH = 32884;
constexpr int ID_PL_RANDOM_ORDER = 32885;
constexpr int ID_PL_REMOVE_MISSING = 32902;
constexpr int ID_PL_REMOVE_DUPLICATES = 32908;

// ---------------------------------------------------------------------------
// Other window commands
// ---------------------------------------------------------------------------

// Skin menu 105 of the advanced settings dialog.
constexpr int ID_SKIN_DEFAULT = 32934;
constexpr int ID_SKIN_OPEN = 32935;

// "Always on top" item added to the window menu of the tool windows.
constexpr int ID_ALWAYS_ON_TOP = 9999;

// ---------------------------------------------------------------------------
// Commands accepted by the remote-control window "Winamp v1.x"
// ---------------------------------------------------------------------------

constexpr int ID_WA_EXIT = 40001;
constexpr int ID_WA_REPEAT_CYCLE = 40022;
constexpr int ID_WA_SHUFFLE = 40023;
constexpr int ID_WA_OPEN_FILE = 40029;
constexpr int ID_WA_EQUALIZER = 40036;
constexpr int ID_WA_PLAYLIST = 40040;
constexpr int ID_WA_PREVIOUS = 40044;
constexpr int ID_WA_PLAY = 40045;
constexpr int ID_WA_PAUSE = 40046;
constexpr int ID_WA_STOP = 40047;
constexpr int ID_WA_NEXT = 40048;
constexpr int ID_WA_VOLUME_UP = 40058;
constexpr int ID_WA_VOLUME_DOWN = 40059;
constexpr int ID_WA_SEEK_BACK = 40144;
constexpr int ID_WA_SEEK_FORWARD = 40148;
constexpr int ID_WA_OPEN_URL = 40155;
constexpr int ID_WA_MINIBAR = 40258;

// ---------------------------------------------------------------------------
// Global hotkeys (ids of the hotkey registrations)
// ---------------------------------------------------------------------------

constexpr int HK_PLAY_PAUSE = 101;
constexpr int HK_STOP = 102;
constexpr int HK_PREVIOUS = 103;
constexpr int HK_NEXT = 104;
constexpr int HK_VOLUME_UP = 201;
constexpr int HK_VOLUME_DOWN = 202;
constexpr int HK_OPEN_FILE = 301;
constexpr int HK_OPEN_FOLDER = 302;
constexpr int HK_OPEN_URL = 303;
constexpr int HK_SHUFFLE = 401;
constexpr int HK_MINIBAR = 501;
constexpr int HK_EQUALIZER = 601;
constexpr int HK_REPEAT_CYCLE = 701;
constexpr int HK_PLAYLIST = 801;
constexpr int HK_MP3_INFO = 901;
constexpr int HK_EXIT = 1001;
constexpr int HK_SWITCH_MODE = 1101;
constexpr int HK_COPY_NOW_PLAYING = 1201;
constexpr int HK_SEEK_FORWARD = 1301;
constexpr int HK_SEEK_BACK = 1302;
constexpr int HK_TRAY_ICON = 1401;
constexpr int HK_MAIN_MENU = 1501;
constexpr int HK_TRACKS_MENU = 1502;
constexpr int HK_ALBUM_MENU = 1503;
constexpr int HK_ALBUM_MODE = 1601;

// ---------------------------------------------------------------------------
// Dialogs (Danish number; the Russian number is given by LocalizedResourceId)
// ---------------------------------------------------------------------------

constexpr int IDD_MINIBAR = 100; // both languages
constexpr int IDD_ABOUT = 101;
constexpr int IDD_CD_PLAYLIST = 102;
constexpr int IDD_MP3_INFO = 103;
constexpr int IDD_OPEN_URL = 104;
constexpr int IDD_EQUALIZER = 105;
constexpr int IDD_HOTKEYS = 106;
constexpr int IDD_PLAYLIST = 107;
constexpr int IDD_NAME_ENTRY = 108;
constexpr int IDD_RENAME = 109;
constexpr int IDD_ADVANCED_SETTINGS = 110;
constexpr int IDD_TAG_EDITOR = 111;
constexpr int IDD_NOW_PLAYING_FILE = 131;
constexpr int IDD_AUTOMATION = 162;
constexpr int IDD_PROGRESS = 164; // both languages

// Russian dialogs.
constexpr int IDD_ABOUT_RU = 151;
constexpr int IDD_CD_PLAYLIST_RU = 152;
constexpr int IDD_MP3_INFO_RU = 153;
constexpr int IDD_OPEN_URL_RU = 154;
constexpr int IDD_EQUALIZER_RU = 155;
constexpr int IDD_HOTKEYS_RU = 156;
constexpr int IDD_PLAYLIST_RU = 157;
constexpr int IDD_NAME_ENTRY_RU = 158;
constexpr int IDD_RENAME_RU = 159;
constexpr int IDD_ADVANCED_SETTINGS_RU = 160;
constexpr int IDD_TAG_EDITOR_RU = 161;
constexpr int IDD_AUTOMATION_RU = 163;
constexpr int IDD_NOW_PLAYING_FILE_RU = 165;

// ---------------------------------------------------------------------------
// Menus, accelerators, icons and bitmaps
// ---------------------------------------------------------------------------

constexpr int IDR_MENU_MAIN = 101;             // tray menu in MP3 mode
constexpr int IDR_MENU_CD = 102;               // tray menu in CD mode
constexpr int IDR_MENU_PLAYLIST = 103;         // menu bar of the playlist window
constexpr int IDR_MENU_PLAYLIST_CONTEXT = 104; // context menu of the playlist rows
constexpr int IDR_MENU_SKIN = 105;             // skin button of the advanced settings
constexpr int IDR_MENU_MAIN_RU = 151;
constexpr int IDR_MENU_CD_RU = 152;
constexpr int IDR_MENU_PLAYLIST_RU = 153;
constexpr int IDR_MENU_PLAYLIST_CONTEXT_RU = 154;
constexpr int IDR_MENU_SKIN_RU = 155;

constexpr int IDR_ACCEL_PLAYLIST = 100; // Ctrl+A/F/H/N/O/S/T, Ctrl+F5/F6/F8, Ins

constexpr int IDI_PROGRAM = 101; // 32x32 and 16x16
constexpr int IDI_PLAYING = 104; // tray, 16x16
constexpr int IDI_STOPPED = 105; // tray, 16x16; also at start
constexpr int IDI_PAUSED = 106;  // tray, 16x16

constexpr int IDB_SIDE_BAR = 101;          // 20x100, bottom of the main menu's side bar
constexpr int IDB_BUTTONS_SELECTED = 102;  // 90x90, five 90x18 buttons, highlighted
constexpr int IDB_BUTTONS = 103;           // 90x90, Play Pause Stop Previous Next
constexpr int IDB_MINIBAR_TOOLS = 104;     // 48x15, tool strip of the MP3 minibar
constexpr int IDB_MINIBAR_CD_TOOLS = 105;  // 48x15, tool strip of the CD minibar
constexpr int IDB_MINIBAR_TRANSPORT = 106; // 60x15, button strip of both minibars

// ---------------------------------------------------------------------------
// Standard dialog buttons
// ---------------------------------------------------------------------------

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// ---------------------------------------------------------------------------
// Controls of the minibar (dialog 100)
// ---------------------------------------------------------------------------

constexpr int IDC_MINIBAR_BUTTONS = 1158; // five zones: play pause stop previous next
constexpr int IDC_MINIBAR_SEEK = 1112;    // seek bar 0..1000 with title and time
constexpr int IDC_MINIBAR_VOLUME = 1141;  // volume bar 0..100
constexpr int IDC_MINIBAR_TOOLS = 1157;   // tool strip

// ---------------------------------------------------------------------------
// Controls of the about box (dialog 101). The picture and the two link
// buttons carry numbers of our own.
// ---------------------------------------------------------------------------

constexpr int IDC_ABOUT_PICTURE = 1000;
constexpr int IDC_ABOUT_MAIL = 1001;    // asks with string 15, then opens the mail link
constexpr int IDC_ABOUT_WEB = 1002;     // opens the home page
constexpr int IDC_ABOUT_NAME = 1003;    // the program's name
constexpr int IDC_ABOUT_VERSION = 1004; // "%1" stands for the version number

// ---------------------------------------------------------------------------
// Controls of the CD playlist dialog (dialog 102)
// ---------------------------------------------------------------------------

constexpr int IDC_CDPL_ARTIST = 1176;
constexpr int IDC_CDPL_TITLE = 1177;
constexpr int IDC_CDPL_ORDER = 1010;     // play order being edited
constexpr int IDC_CDPL_AVAILABLE = 1167; // all tracks in disc order
constexpr int IDC_CDPL_ADD = 1168;       // "<--"
constexpr int IDC_CDPL_REMOVE = 1169;    // "-->"
constexpr int IDC_CDPL_TRACK_NAME = 1175;
constexpr int IDC_CDPL_SET_NAME = 1178; // "Sæt"

// ---------------------------------------------------------------------------
// Controls of the MP3 information window (dialog 103)
// ---------------------------------------------------------------------------

constexpr int IDC_INFO_FILE_NAME = 1020;
constexpr int IDC_INFO_BITRATE = 1036;
constexpr int IDC_INFO_FREQUENCY = 1037;
constexpr int IDC_INFO_TYPE = 1038;
constexpr int IDC_INFO_TITLE = 1025;
constexpr int IDC_INFO_ARTIST = 1021;
constexpr int IDC_INFO_ALBUM = 1022;
constexpr int IDC_INFO_YEAR = 1023;
constexpr int IDC_INFO_COMMENT = 1024;
constexpr int IDC_INFO_GENRE = 1026;
constexpr int IDC_INFO_EDIT_TAG = 1149; // "Rediger Tag"
// The unit labels after the bitrate and the frequency carry numbers of our
// own; the label beside each other field takes its text from the field's id.
constexpr int IDC_INFO_KBPS_LABEL = 1000;
constexpr int IDC_INFO_HZ_LABEL = 1001;

// ---------------------------------------------------------------------------
// Controls of the open-address dialog (dialog 104) and the name entry
// (dialog 108). The edit fields and the prompt carry numbers of our own.
// ---------------------------------------------------------------------------

constexpr int IDC_URL_ADDRESS = 1000;
constexpr int IDC_URL_PROMPT = 1001;
constexpr int IDC_NAME_TEXT = 1000;

// ---------------------------------------------------------------------------
// Controls of the equalizer (dialog 105)
// ---------------------------------------------------------------------------

constexpr int IDC_EQ_ENABLE = 1000; // "Brug EQ"
constexpr int IDC_EQ_BAND1 = 1001;  // 60
constexpr int IDC_EQ_BAND2 = 1002;  // 170
constexpr int IDC_EQ_BAND3 = 1003;  // 310
constexpr int IDC_EQ_BAND4 = 1004;  // 600
constexpr int IDC_EQ_BAND5 = 1005;  // 1k
constexpr int IDC_EQ_BAND6 = 1006;  // 3k
constexpr int IDC_EQ_BAND7 = 1007;  // 6k
constexpr int IDC_EQ_BAND8 = 1008;  // 12k
constexpr int IDC_EQ_RESET = 1009;  // "Nulstil"
constexpr int IDC_EQ_BAND9 = 1010;  // 14k
constexpr int IDC_EQ_PREAMP = 1011;
constexpr int IDC_EQ_BAND10 = 1012; // 16k
constexpr int IDC_EQ_PRESETS = 1039;
constexpr int IDC_EQ_SAVE = 1083;
constexpr int IDC_EQ_DELETE = 1084;

// Bars of EQ1..EQ10 in band order.
constexpr std::array<int, 10> kEqualizerBandControls = {
    IDC_EQ_BAND1, IDC_EQ_BAND2, IDC_EQ_BAND3, IDC_EQ_BAND4, IDC_EQ_BAND5,
    IDC_EQ_BAND6, IDC_EQ_BAND7, IDC_EQ_BAND8, IDC_EQ_BAND9, IDC_EQ_BAND10};

// ---------------------------------------------------------------------------
// Controls of the hotkey dialog (dialog 106), one per hotkey
// ---------------------------------------------------------------------------

constexpr int IDC_HK_OPEN_FILE = 1129;
constexpr int IDC_HK_VOLUME_DOWN = 1130;
constexpr int IDC_HK_PREVIOUS = 1131;
constexpr int IDC_HK_PLAY_PAUSE = 1132;
constexpr int IDC_HK_SEEK_BACK = 1133;
constexpr int IDC_HK_MAIN_MENU = 1134;
constexpr int IDC_HK_OPEN_FOLDER = 1135;
constexpr int IDC_HK_MINIBAR = 1136;
constexpr int IDC_HK_PLAYLIST = 1137;
constexpr int IDC_HK_EQUALIZER = 1138;
constexpr int IDC_HK_REPEAT_CYCLE = 1139;
constexpr int IDC_HK_SHUFFLE = 1140;
constexpr int IDC_HK_VOLUME_UP = 1141;
constexpr int IDC_HK_NEXT = 1142;
constexpr int IDC_HK_STOP = 1143;
constexpr int IDC_HK_MP3_INFO = 1144;
constexpr int IDC_HK_EXIT = 1145;
constexpr int IDC_HK_SWITCH_MODE = 1146;
constexpr int IDC_HK_COPY_NOW_PLAYING = 1147;
constexpr int IDC_HK_SEEK_FORWARD = 1148;
constexpr int IDC_HK_OPEN_URL = 1149;
constexpr int IDC_HK_TRAY_ICON = 1150;
constexpr int IDC_HK_TRACKS_MENU = 1151;
constexpr int IDC_HK_ALBUM_MENU = 1152;
constexpr int IDC_HK_ALBUM_MODE = 1153;
// The note that hotkeys work only while Scroll Lock is off. The label beside
// each hotkey control takes its text from that control's id.
constexpr int IDC_HK_SCROLL_LOCK_NOTE = 1154;

struct HotkeyControl {
    int hotkeyId;
    int controlId;
};

// Every hotkey with its control in the hotkey dialog, in the order in which
// the hotkeys are registered and unregistered.
constexpr std::array<HotkeyControl, 25> kHotkeyControls = {{
    {HK_PLAY_PAUSE, IDC_HK_PLAY_PAUSE},     {HK_STOP, IDC_HK_STOP},
    {HK_PREVIOUS, IDC_HK_PREVIOUS},         {HK_NEXT, IDC_HK_NEXT},
    {HK_VOLUME_UP, IDC_HK_VOLUME_UP},       {HK_VOLUME_DOWN, IDC_HK_VOLUME_DOWN},
    {HK_OPEN_FILE, IDC_HK_OPEN_FILE},       {HK_OPEN_FOLDER, IDC_HK_OPEN_FOLDER},
    {HK_OPEN_URL, IDC_HK_OPEN_URL},         {HK_SHUFFLE, IDC_HK_SHUFFLE},
    {HK_MINIBAR, IDC_HK_MINIBAR},           {HK_EQUALIZER, IDC_HK_EQUALIZER},
    {HK_REPEAT_CYCLE, IDC_HK_REPEAT_CYCLE}, {HK_PLAYLIST, IDC_HK_PLAYLIST},
    {HK_MP3_INFO, IDC_HK_MP3_INFO},         {HK_EXIT, IDC_HK_EXIT},
    {HK_SWITCH_MODE, IDC_HK_SWITCH_MODE},   {HK_COPY_NOW_PLAYING, IDC_HK_COPY_NOW_PLAYING},
    {HK_SEEK_FORWARD, IDC_HK_SEEK_FORWARD}, {HK_SEEK_BACK, IDC_HK_SEEK_BACK},
    {HK_TRAY_ICON, IDC_HK_TRAY_ICON},       {HK_MAIN_MENU, IDC_HK_MAIN_MENU},
    {HK_TRACKS_MENU, IDC_HK_TRACKS_MENU},   {HK_ALBUM_MENU, IDC_HK_ALBUM_MENU},
    {HK_ALBUM_MODE, IDC_HK_ALBUM_MODE},
}};

// ---------------------------------------------------------------------------
// Controls of the playlist window (dialog 107)
// ---------------------------------------------------------------------------

constexpr int IDC_PL_FIND = 1173;
constexpr int IDC_PL_LIST = 1021;
constexpr int IDC_PL_STATUS = 1096;
constexpr int IDC_PL_FRAME = 1183;

// ---------------------------------------------------------------------------
// Controls of the rename dialog (dialog 109) and the progress window (164)
// ---------------------------------------------------------------------------

constexpr int IDC_RENAME_TEMPLATE = 1207;
constexpr int IDC_RENAME_LABEL = 1208; // "Filter:"
constexpr int IDC_RENAME_HELP1 = 1209; // the two lines of help
constexpr int IDC_RENAME_HELP2 = 1210;
constexpr int IDC_PROGRESS_TEXT = 1223;
constexpr int IDC_PROGRESS_BAR = 1222;

// ---------------------------------------------------------------------------
// Controls of the advanced settings dialog (dialog 110)
// ---------------------------------------------------------------------------

// General.
constexpr int IDC_ADV_OPTIONS = 1151; // check-list of the seven options (strings 21-27)
constexpr int IDC_ADV_TPC = 1221;
constexpr int IDC_ADV_TPC_SPIN = 1202;
// Mouse.
constexpr int IDC_ADV_LEFT_CLICKS1 = 1205;
constexpr int IDC_ADV_LEFT_CLICKS2 = 1206;
constexpr int IDC_ADV_LEFT_CLICKS3 = 1207;
constexpr int IDC_ADV_LEFT_CLICKS4 = 1208;
constexpr int IDC_ADV_RIGHT_CLICKS1 = 1213;
constexpr int IDC_ADV_RIGHT_CLICKS2 = 1214;
constexpr int IDC_ADV_RIGHT_CLICKS3 = 1215;
constexpr int IDC_ADV_RIGHT_CLICKS4 = 1216;
constexpr int IDC_ADV_PRESS_AND_HOLD = 1172;
constexpr int IDC_ADV_NO_CLICKS = 1090;
// Playback.
constexpr int IDC_ADV_PRIORITY = 1120;
constexpr int IDC_ADV_INPUT_BUFFERS = 1119;
constexpr int IDC_ADV_BUFFERS = 1118;
constexpr int IDC_ADV_HIGH_PRIORITY = 1204;
constexpr int IDC_ADV_MONO = 1179;
constexpr int IDC_ADV_DOWNSAMPLE_2 = 1180;
constexpr int IDC_ADV_DOWNSAMPLE_4 = 1181;
constexpr int IDC_ADV_GAP = 1199;
constexpr int IDC_ADV_GAP_SPIN = 1200;
// Devices and output.
constexpr int IDC_ADV_AUDIO_DEVICE = 1182;
constexpr int IDC_ADV_MIXER_DEVICE = 1183;
constexpr int IDC_ADV_WAV_OUTPUT = 1084;
constexpr int IDC_ADV_OUT_PATH = 1086;
// CD.
constexpr int IDC_ADV_CD_DRIVE = 1164;
constexpr int IDC_ADV_AUTO_CDDB = 1184;
constexpr int IDC_ADV_CDDB_SERVER = 1165;
constexpr int IDC_ADV_EMAIL = 1166;
// Shell registration.
constexpr int IDC_ADV_REG_MP3 = 1193;      // "MP3, M3U && PLS"
constexpr int IDC_ADV_REG_WAV = 1194;      // "WAV"
constexpr int IDC_ADV_REG_AUDIO_CD = 1195; // "Lyd CD"
constexpr int IDC_ADV_REG_ADD_DEFAULT = 1196;
constexpr int IDC_ADV_REG_FOLDER_PLAY = 1192;
constexpr int IDC_ADV_REG_FOLDER_ADD = 1190;
// Buttons to further dialogs.
constexpr int IDC_ADV_HOTKEYS = 1189;
constexpr int IDC_ADV_SKIN = 1203;
constexpr int IDC_ADV_NOW_PLAYING = 1225;

// Group boxes and labels without a control of their own carry numbers of
// our own; a label beside a field takes its text from the field's id.
constexpr int IDC_ADV_GENERAL_GROUP = 1300;
constexpr int IDC_ADV_MOUSE_GROUP = 1301;
constexpr int IDC_ADV_PLAYBACK_GROUP = 1302;
constexpr int IDC_ADV_DEVICES_GROUP = 1303;
constexpr int IDC_ADV_CD_GROUP = 1304;
constexpr int IDC_ADV_REG_FILES_LABEL = 1305;   // "Afspil med ZEB:"
constexpr int IDC_ADV_REG_FOLDERS_LABEL = 1306; // "Mappe context menu:"
constexpr int IDC_ADV_GAP_UNIT = 1307;          // "millisekunder"

constexpr std::array<int, 4> kLeftClickControls = {IDC_ADV_LEFT_CLICKS1, IDC_ADV_LEFT_CLICKS2,
                                                   IDC_ADV_LEFT_CLICKS3, IDC_ADV_LEFT_CLICKS4};
constexpr std::array<int, 4> kRightClickControls = {IDC_ADV_RIGHT_CLICKS1, IDC_ADV_RIGHT_CLICKS2,
                                                    IDC_ADV_RIGHT_CLICKS3, IDC_ADV_RIGHT_CLICKS4};

// ---------------------------------------------------------------------------
// Controls of the tag editor (dialog 111)
// ---------------------------------------------------------------------------

constexpr int IDC_TAG_FILE_NAME = 1020;
constexpr int IDC_TAG_TITLE = 1025;
constexpr int IDC_TAG_ARTIST = 1021;
constexpr int IDC_TAG_ALBUM = 1022;
constexpr int IDC_TAG_YEAR = 1023;
constexpr int IDC_TAG_COMMENT = 1024;
constexpr int IDC_TAG_GENRE = 1026;
constexpr int IDC_TAG_KEEP_TITLE = 1150; // "Beh." buttons
constexpr int IDC_TAG_KEEP_ARTIST = 1151;
constexpr int IDC_TAG_KEEP_ALBUM = 1152;
constexpr int IDC_TAG_KEEP_YEAR = 1153;
constexpr int IDC_TAG_KEEP_COMMENT = 1154;
constexpr int IDC_TAG_KEEP_GENRE = 1155;
constexpr int IDC_TAG_REMOVE = 1037; // "Fjern Tag"
// The label beside each field takes its text from the field's id.

// ---------------------------------------------------------------------------
// Controls of the now-playing file dialog (dialog 131). The labels and the
// format hint carry numbers of our own.
// ---------------------------------------------------------------------------

constexpr int IDC_W2F_ENABLE = 1224;
constexpr int IDC_W2F_FILE = 1000;
constexpr int IDC_W2F_BROWSE = 1001;
constexpr int IDC_W2F_PLAY = 1002;
constexpr int IDC_W2F_PAUSE = 1003;
constexpr int IDC_W2F_STOP = 1004;
constexpr int IDC_W2F_EXIT = 1005;
constexpr int IDC_W2F_OEM = 1006;
constexpr int IDC_W2F_DELETE_AT_EXIT = 1007;
constexpr int IDC_W2F_FILE_LABEL = 1008;  // "Fil:"
constexpr int IDC_W2F_FORMAT_HINT = 1009; // "Formater (brug %T for titel):"
constexpr int IDC_W2F_PLAY_LABEL = 1010;
constexpr int IDC_W2F_PAUSE_LABEL = 1011;
constexpr int IDC_W2F_STOP_LABEL = 1012;
constexpr int IDC_W2F_EXIT_LABEL = 1013;

// ---------------------------------------------------------------------------
// Controls of the automation dialog (dialog 162)
// ---------------------------------------------------------------------------

constexpr int IDC_AUT_SAVE_SETTINGS = 1226;
constexpr int IDC_AUT_SORT = 1209;
constexpr int IDC_AUT_REMOVE_MISSING = 1211;
constexpr int IDC_AUT_REMOVE_DUPLICATES = 1215;
constexpr int IDC_AUT_RESCAN = 1212;
constexpr int IDC_AUT_FOLDERS = 1213;
constexpr int IDC_AUT_ADD_FOLDER = 1214;    // "+"
constexpr int IDC_AUT_REMOVE_FOLDER = 1084; // "-"
constexpr int IDC_AUT_ON_START = 1218;
constexpr int IDC_AUT_EVERY = 1219;
constexpr int IDC_AUT_PERIOD = 1217;
constexpr int IDC_AUT_PERIOD_SPIN = 1200;
constexpr int IDC_AUT_MINUTES_LABEL = 1220; // "minut" after the period

// ---------------------------------------------------------------------------
// String table (Danish ids; the Russian id is the Danish id + 100)
// ---------------------------------------------------------------------------

constexpr int kRussianStringOffset = 100;

constexpr int IDS_CDDB_FAILED = 1;
constexpr int IDS_FILTER_OPEN_FILES = 2;
constexpr int IDS_NO_CD_DRIVE = 3;
constexpr int IDS_FILTER_PLAYLISTS = 4;
constexpr int IDS_CANNOT_OPEN_FILE = 5;
constexpr int IDS_PLAYLIST_TITLE = 6; // followed by the selected and total times
constexpr int IDS_FILTER_SKINS = 7;
constexpr int IDS_WAV_WARNING = 8;
constexpr int IDS_ALWAYS_ON_TOP = 9;
constexpr int IDS_CHOOSE_FOLDER_TO_OPEN = 10;
constexpr int IDS_CHOOSE_FOLDER_TO_WRITE = 11;
constexpr int IDS_CHOOSE_TARGET_FOLDER = 12;
constexpr int IDS_OVERWRITE_FILE = 13; // followed by "\n", the path and "?"
constexpr int IDS_CONFIRM_DELETE = 14;
constexpr int IDS_ASK_MAIL_AUTHOR = 15;
constexpr int IDS_NEED_MAIN_MENU_CLICK = 16;
constexpr int IDS_REPEAT_SWITCHED_OFF = 17;
// Press-and-hold choices in the order the advanced settings list them.
constexpr int IDS_HOLD_NOTHING = 18;
constexpr int IDS_HOLD_POSITION = 19;
constexpr int IDS_HOLD_VOLUME = 20;
// Options of the advanced settings' check-list, in order.
constexpr int IDS_OPT_SIDE_BAR = 21;
constexpr int IDS_OPT_GRAPHICAL_BUTTONS = 22;
constexpr int IDS_OPT_TRACKS_SUBMENU = 23;
constexpr int IDS_OPT_ALBUM_SUBMENU = 24;
constexpr int IDS_OPT_AUTO_PLAY = 25;
constexpr int IDS_OPT_INCLUDE_WAVS = 26;
constexpr int IDS_OPT_EMULATE_WINAMP = 27;
// Click actions: action number = string id - IDS_CLICK_NOTHING.
constexpr int IDS_CLICK_NOTHING = 29;
constexpr int IDS_CLICK_PLAY_PAUSE = 30;
constexpr int IDS_CLICK_STOP_PLAY = 31;
constexpr int IDS_CLICK_PREVIOUS = 32;
constexpr int IDS_CLICK_NEXT = 33;
constexpr int IDS_CLICK_TRACKS = 34;
constexpr int IDS_CLICK_MINIBAR = 35;
constexpr int IDS_CLICK_PLAYLIST = 36;
constexpr int IDS_CLICK_EQUALIZER = 37;
constexpr int IDS_CLICK_MP3_INFO = 38;
constexpr int IDS_CLICK_MAIN_MENU = 39;
constexpr int IDS_CLICK_ALBUM_TRACKS = 40;
// Shown when the after-playback switch-off is refused.
constexpr int IDS_POWER_OFF_REFUSED = 41;

constexpr int kClickActionCount = IDS_CLICK_ALBUM_TRACKS - IDS_CLICK_NOTHING + 1;
constexpr int ClickActionStringId(int action) {
    return IDS_CLICK_NOTHING + action;
}

} // namespace zeb
