#include "resources/StringTable.h"

#include "resources/ResourceIds.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace zeb {
namespace {

constexpr int kDanishFirst = 1;
constexpr int kDanishLast = IDS_POWER_OFF_REFUSED;
constexpr int kUnusedId = 28; // no text of the program uses it

bool IsValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int continuation = 0;
        if (lead < 0x80) {
            continuation = 0;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            continuation = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            continuation = 2;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            continuation = 3;
        } else {
            return false;
        }
        if (i + continuation >= text.size()) {
            return false;
        }
        for (int k = 1; k <= continuation; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += continuation + 1;
    }
    return true;
}

std::vector<std::string_view> SplitFilter(std::string_view filter) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t bar = filter.find('|'); bar != std::string_view::npos;
         bar = filter.find('|', start)) {
        parts.push_back(filter.substr(start, bar - start));
        start = bar + 1;
    }
    parts.push_back(filter.substr(start));
    return parts;
}

TEST(StringTable, QuotedDanishTextsAreExact) {
    EXPECT_EQ(LoadString(IDS_CDDB_FAILED),
              "ZEB kunne ikke hente informationer om denne cd fra CDDB");
    EXPECT_EQ(LoadString(IDS_NO_CD_DRIVE), "Kan ikke finde nogen CD drev");
    EXPECT_EQ(LoadString(IDS_CANNOT_OPEN_FILE), "Kan ikke åbne filen");
    EXPECT_EQ(LoadString(IDS_PLAYLIST_TITLE), "Afspilningslister - ");
    EXPECT_EQ(LoadString(IDS_WAV_WARNING),
              "Husk venligst at kun RIFF WAV MP3s er understøttede.\nZEB kan IKKE afspille "
              "'normale' WAVs (PCM, ADPCM, osv.)");
    EXPECT_EQ(LoadString(IDS_CONFIRM_DELETE),
              "Er du sikker på at du vil slette de(n) valgt(e) fil(er)?");
    EXPECT_EQ(LoadString(IDS_NEED_MAIN_MENU_CLICK), "Mindst et klik bør sættes til 'Hoved menu'!");
    EXPECT_EQ(LoadString(IDS_FILTER_OPEN_FILES),
              "Alle understøttede filer|*.mp3;*.wav;*.m3u;*.pls|MP3 filer (*.mp3)|*.mp3|RIFF WAV "
              "MP3 filer (*.wav)|*.wav|Afspiln. lister (*.m3u, *.pls)|*.m3u|Alle filer| *.*|");
    EXPECT_EQ(LoadString(IDS_CLICK_ALBUM_TRACKS), "Album numre");
}

TEST(StringTable, QuotedRussianTextsAreExact) {
    EXPECT_EQ(LoadString(101), "ZEB не удалось получить информацию о диске с сервера CDDB");
    EXPECT_EQ(LoadString(103), "CD-дисковод не обнаружен");
}

TEST(StringTable, UnusedAndOutOfRangeIdsAreEmpty) {
    for (int id : {0, -1, kUnusedId, kUnusedId + kRussianStringOffset, 42, 100, 142, 1000}) {
        EXPECT_TRUE(LoadString(id).empty()) << id;
    }
}

TEST(StringTable, EveryDanishStringHasARussianTwinAndViceVersa) {
    for (int id = kDanishFirst; id <= kDanishLast; ++id) {
        const bool danish = !LoadString(id).empty();
        const bool russian = !LoadString(id + kRussianStringOffset).empty();
        EXPECT_EQ(danish, russian) << "string " << id;
        EXPECT_EQ(danish, id != kUnusedId) << "string " << id;
    }
}

TEST(StringTable, RussianTextsAreTranslations) {
    // Only names of formats and programs may read the same in both languages.
    for (int id = kDanishFirst; id <= kDanishLast; ++id) {
        if (id == kUnusedId) {
            continue;
        }
        EXPECT_NE(LoadString(id), LoadString(id + kRussianStringOffset)) << "string " << id;
    }
}

TEST(StringTable, AllTextsAreValidUtf8) {
    for (int id = -5; id <= 200; ++id) {
        EXPECT_TRUE(IsValidUtf8(LoadString(id))) << "string " << id;
    }
    EXPECT_FALSE(IsValidUtf8("\xC3"));
    EXPECT_FALSE(IsValidUtf8("a\xFF"));
}

TEST(StringTable, UiStringFollowsTheLanguageSetting) {
    EXPECT_EQ(UiString(0, IDS_NO_CD_DRIVE), "Kan ikke finde nogen CD drev");
    for (int language : {1, 2, -1, 255}) {
        EXPECT_EQ(UiString(language, IDS_NO_CD_DRIVE), "CD-дисковод не обнаружен") << language;
        EXPECT_EQ(UiString(language, IDS_CDDB_FAILED), LoadString(101)) << language;
    }
    EXPECT_TRUE(UiString(1, kUnusedId).empty());
}

TEST(StringTable, FileFiltersKeepTheirPatternsInBothLanguages) {
    // A file dialog filter alternates names and patterns; a translation may
    // change only the names.
    for (int id : {IDS_FILTER_OPEN_FILES, IDS_FILTER_PLAYLISTS, IDS_FILTER_SKINS}) {
        const auto danish = SplitFilter(LoadString(id));
        const auto russian = SplitFilter(LoadString(id + kRussianStringOffset));
        ASSERT_EQ(danish.size(), russian.size()) << "string " << id;
        ASSERT_GE(danish.size(), 3u);
        EXPECT_TRUE(danish.back().empty()) << "a filter ends with '|'";
        for (size_t i = 1; i < danish.size(); i += 2) {
            EXPECT_EQ(danish[i], russian[i]) << "string " << id << " pattern " << i;
        }
    }
}

TEST(StringTable, ClickActionNamesMapBackToOneAction) {
    // The advanced settings dialog turns a chosen name back into its action
    // number by comparing texts, so the twelve names must differ.
    for (int language : {0, 1}) {
        std::set<std::string> names;
        for (int action = 0; action < kClickActionCount; ++action) {
            const std::string name(UiString(language, ClickActionStringId(action)));
            EXPECT_FALSE(name.empty());
            EXPECT_TRUE(names.insert(name).second) << "duplicate click action name " << name;
        }
    }
    EXPECT_EQ(UiString(0, ClickActionStringId(10)), "Hoved menu");
}

TEST(StringTable, MainMenuWarningNamesTheMainMenuAction) {
    // String 16 quotes the name of click action 10 in each language.
    for (int language : {0, 1}) {
        const std::string quoted = "'" + std::string(UiString(language, IDS_CLICK_MAIN_MENU)) + "'";
        EXPECT_NE(UiString(language, IDS_NEED_MAIN_MENU_CLICK).find(quoted), std::string::npos)
            << language;
    }
}

TEST(StringTable, MultiLineWarningKeepsItsLineBreakInBothLanguages) {
    for (int language : {0, 1}) {
        const std::string_view text = UiString(language, IDS_WAV_WARNING);
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << language;
    }
}

} // namespace
} // namespace zeb
