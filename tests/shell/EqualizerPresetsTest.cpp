#include "shell/EqualizerPresets.h"

#include "platform/IniFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace zeb {
namespace {

using test::TempDir;
using test::WriteFile;

const std::string kSection = "Preferences";

class EqualizerPresetsTest : public ::testing::Test {
protected:
    IniFile Ini(const std::string& body) {
        WriteFile(path_, "[Preferences]\n" + body);
        return IniFile(path_);
    }
    TempDir dir_;
    std::string path_ = dir_.File("zeb.ini");
};

TEST_F(EqualizerPresetsTest, BuiltInPresetsFillMissingKeysAndSavingCountsWhatWasKept) {
    IniFile ini = Ini("Presets=6\n");
    auto presets = LoadEqualizerPresets(ini, kSection);
    ASSERT_EQ(presets.size(), 4u);
    EXPECT_EQ(presets[0], "Classic\tknjgjlnopqq");
    EXPECT_EQ(presets[1], "Loudness\tkqnlkkkmoqr");
    EXPECT_EQ(presets[2], "Pop\tkkmnmlkkkkk");
    EXPECT_EQ(presets[3], "Rock\tkomkijlnopp");
    SaveEqualizerPresets(ini, kSection, presets);
    EXPECT_EQ(ini.GetInt(kSection, "Presets", -1), 4);
    EXPECT_EQ(ini.GetString(kSection, "PresetName3", ""), "Rock");
    EXPECT_EQ(ini.GetString(kSection, "PresetEQ3", ""), "komkijlnopp");
}

TEST_F(EqualizerPresetsTest, EntriesWithoutNameOrLettersAreDroppedAndNumbersCloseUp) {
    IniFile ini = Ini("Presets=5\nPresetName0=Flat\nPresetEQ0=kkkkkkkkkkk\n"
                      "PresetName1=NoLetters\nPresetEQ1=\n"
                      "PresetName2=\nPresetEQ2=abcdefghijk\n"
                      "PresetName4=Bass\nPresetEQ4=kuuukkkkkkk\n");
    auto presets = LoadEqualizerPresets(ini, kSection);
    // 1 and 2 are dropped; 3 falls back to the built-in "Rock".
    ASSERT_EQ(presets.size(), 3u);
    EXPECT_EQ(presets[0], "Flat\tkkkkkkkkkkk");
    EXPECT_EQ(presets[1], "Rock\tkomkijlnopp");
    EXPECT_EQ(presets[2], "Bass\tkuuukkkkkkk");

    SaveEqualizerPresets(ini, kSection, presets);
    IniFile reread(path_);
    EXPECT_EQ(LoadEqualizerPresets(reread, kSection), presets);
    EXPECT_EQ(reread.GetString(kSection, "PresetName2", ""), "Bass");
}

TEST_F(EqualizerPresetsTest, PresetSavedUnderAnEmptyNameIsGoneAtTheNextLoad) {
    IniFile ini = Ini("");
    std::vector<std::string> presets = {MakePreset("Mine", "kkkkkkkkkkk"),
                                        MakePreset("", "uuuuuuuuuuu")};
    SaveEqualizerPresets(ini, kSection, presets);
    EXPECT_EQ(ini.GetInt(kSection, "Presets", -1), 2);
    auto loaded = LoadEqualizerPresets(ini, kSection);
    EXPECT_EQ(loaded, std::vector<std::string>{"Mine\tkkkkkkkkkkk"});
}

TEST_F(EqualizerPresetsTest, PresetCountOfZeroOrLessLoadsNothing) {
    EXPECT_TRUE(LoadEqualizerPresets(Ini("Presets=0\n"), kSection).empty());
    EXPECT_TRUE(LoadEqualizerPresets(Ini("Presets=-3\n"), kSection).empty());
}

TEST(PresetText, NameAndLettersSplitAtTheFirstTab) {
    EXPECT_EQ(PresetName("Rock\tkomkijlnopp"), "Rock");
    EXPECT_EQ(PresetLetters("Rock\tkomkijlnopp"), "komkijlnopp");
    EXPECT_EQ(PresetName("odd\tname\tabc"), "odd");
    EXPECT_EQ(PresetLetters("odd\tname\tabc"), "name\tabc");
    EXPECT_EQ(PresetName("no tab"), "no tab");
    EXPECT_EQ(PresetLetters("no tab"), "");
}

TEST(PresetText, LettersMapToBarPositionsWithinTheBarsRange) {
    auto rock = PresetPositions("komkijlnopp");
    // preamp 0 step; EQ1..EQ10 +4 +2 0 -2 -1 +1 +3 +4 +5 +5 (position = step + 10)
    EXPECT_EQ(rock, (std::array<int, 11>{10, 14, 12, 10, 8, 9, 11, 13, 14, 15, 15}));
    // Out-of-range letters are limited; a short text leaves the rest centred.
    auto odd = PresetPositions("Az~");
    EXPECT_EQ(odd, (std::array<int, 11>{0, 20, 20, 10, 10, 10, 10, 10, 10, 10, 10}));
    EXPECT_EQ(PresetPositions(""), PresetPositions("kkkkkkkkkkk"));
    EXPECT_EQ(PresetLettersFor(rock), "komkijlnopp");
    EXPECT_EQ(PresetLettersFor({-5, 25, 0, 20, 10, 10, 10, 10, 10, 10, 10}), "auaukkkkkkk");
}

} // namespace
} // namespace zeb
