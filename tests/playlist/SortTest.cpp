#include "playlist/PlaylistModel.h"
#include "platform/RandomGenerator.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>

namespace zeb {
namespace {

std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

// A model holding paths with info lines "info:<path>", and the row marks a
// playlist window would keep through the swap hook.
struct MarkedModel {
    CPlaylistModel model;
    std::vector<bool> marks;
    int caret = -1;

    explicit MarkedModel(const std::vector<std::string>& paths) {
        for (const std::string& p : paths) {
            model.Append(p);
            model.SetInfoAt(model.Count() - 1, "info:" + p);
        }
        marks.assign(paths.size(), false);
        PlaylistHooks hooks;
        hooks.entriesSwapped = [this](int i, int j) {
            const bool mark = marks[i];
            marks[i] = marks[j];
            marks[j] = mark;
            if (caret == i)
                caret = j;
            else if (caret == j)
                caret = i;
        };
        model.SetHooks(hooks);
    }

    void ExpectInfoFollowsPaths() const {
        for (int i = 0; i < model.Count(); ++i)
            EXPECT_EQ(model.InfoAt(i), "info:" + model.PathAt(i)) << i;
    }
};

TEST(SortByPath, SubfolderFilesComeFirst) {
    MarkedModel m({"/M/b.mp3", "/M/Sub/a.mp3", "/M/a.mp3"});
    m.model.SortByPath(0, 2, true);
    EXPECT_EQ(m.model.Paths(), (std::vector<std::string>{"/M/Sub/a.mp3", "/M/a.mp3", "/M/b.mp3"}));

    MarkedModel w({"C:\\M\\b.mp3", "C:\\M\\Sub\\a.mp3", "C:\\M\\a.mp3"});
    w.model.SortByPath(0, 2, true);
    EXPECT_EQ(w.model.Paths(),
              (std::vector<std::string>{"C:\\M\\Sub\\a.mp3", "C:\\M\\a.mp3", "C:\\M\\b.mp3"}));
}

TEST(SortByPath, CaseIgnoredForNamesButNotForFolderKeys) {
    MarkedModel m({"/M/b.mp3", "/m/sub/c.mp3", "/M/A.mp3"});
    m.model.SortByPath(0, 2, true);
    // "/m/sub" does not lie under "/M" (exact text), so it sorts by name.
    EXPECT_EQ(m.model.Paths(), (std::vector<std::string>{"/M/A.mp3", "/M/b.mp3", "/m/sub/c.mp3"}));
}

TEST(SortByPath, CarryInfoMovesLinesCurrentMarksAndCaret) {
    MarkedModel m({"/c.mp3", "/b.mp3", "/a.mp3", "/d.mp3"});
    m.model.SetCurrentIndex(0); // "/c.mp3"
    m.marks = {true, false, false, true};
    m.caret = 2; // "/a.mp3"
    m.model.SortByPath(0, 3, true);
    EXPECT_EQ(m.model.Paths(), (std::vector<std::string>{"/a.mp3", "/b.mp3", "/c.mp3", "/d.mp3"}));
    m.ExpectInfoFollowsPaths();
    EXPECT_EQ(m.model.CurrentIndex(), 2);
    EXPECT_EQ(m.marks, (std::vector<bool>{false, false, true, true}));
    EXPECT_EQ(m.caret, 0);
}

TEST(SortByPath, WithoutCarryInfoOnlyPathsMove) {
    MarkedModel m({"/c.mp3", "/b.mp3", "/a.mp3"});
    m.model.SetCurrentIndex(0);
    m.model.SortByPath(0, 2, false);
    EXPECT_EQ(m.model.Paths(), (std::vector<std::string>{"/a.mp3", "/b.mp3", "/c.mp3"}));
    EXPECT_EQ(m.model.InfoAt(0), "info:/c.mp3");
    EXPECT_EQ(m.model.CurrentIndex(), 0);
}

TEST(SortByPath, OnlyTheRangeIsSorted) {
    MarkedModel m({"/z.mp3", "/c.mp3", "/b.mp3", "/a.mp3", "/0.mp3"});
    m.model.SortByPath(1, 3, true);
    EXPECT_EQ(m.model.Paths(),
              (std::vector<std::string>{"/z.mp3", "/a.mp3", "/b.mp3", "/c.mp3", "/0.mp3"}));
}

TEST(SortByInfo, ByteOrderEmptyFirstCarryingEverything) {
    MarkedModel m({"/1", "/2", "/3", "/4"});
    m.model.SetInfoAt(0, "beta (00:01)");
    m.model.SetInfoAt(1, "Beta (00:01)");
    m.model.SetInfoAt(2, "");
    m.model.SetInfoAt(3, "\xC3\xA9t\xC3\xA9 (00:01)");
    m.model.SetCurrentIndex(3);
    m.marks = {false, true, false, false};
    m.model.SortByInfo(0, 3);
    EXPECT_EQ(m.model.Paths(), (std::vector<std::string>{"/3", "/2", "/1", "/4"}));
    EXPECT_EQ(m.model.CurrentIndex(), 3);
    EXPECT_EQ(m.marks, (std::vector<bool>{false, true, false, false}));
}

TEST(SortByInfo, LargeListEndsSortedWithPairsIntact) {
    RandomGenerator random(12345);
    std::vector<std::string> paths;
    for (int i = 0; i < 700; ++i)
        paths.push_back("/p" + std::to_string(i));
    MarkedModel m(paths);
    std::map<std::string, std::string> pairs;
    for (int i = 0; i < m.model.Count(); ++i) {
        const std::string info = std::to_string(random.Index(50)) + " (00:00)";
        m.model.SetInfoAt(i, info);
        pairs[m.model.PathAt(i)] = info;
    }
    m.model.SetCurrentIndex(123);
    const std::string current = m.model.PathAt(123);
    m.model.SortByInfo(0, m.model.Count() - 1);
    const std::vector<std::string> infos = m.model.InfoLines();
    EXPECT_TRUE(std::is_sorted(infos.begin(), infos.end()));
    for (int i = 0; i < m.model.Count(); ++i)
        ASSERT_EQ(pairs.at(m.model.PathAt(i)), infos[i]);
    EXPECT_EQ(m.model.PathAt(m.model.CurrentIndex()), current);
}

TEST(ShuffleEntries, SwapCountDrawsAndCarriedState) {
    std::vector<std::string> paths;
    for (int i = 0; i < 9; ++i)
        paths.push_back("/" + std::to_string(i) + ".mp3");
    MarkedModel m(paths);
    m.model.SetCurrentIndex(4);
    m.marks[4] = true;
    RandomGenerator random(777), reference(777);
    m.model.ShuffleEntries(random);

    // ceil(1.5 * 9) + 1 = 15 swaps of two draws each.
    for (int i = 0; i < 30; ++i)
        reference.Draw();
    EXPECT_EQ(random.State(), reference.State());
    EXPECT_NE(m.model.Paths(), paths);
    EXPECT_EQ(Sorted(m.model.Paths()), paths);
    m.ExpectInfoFollowsPaths();
    EXPECT_EQ(m.model.PathAt(m.model.CurrentIndex()), "/4.mp3");
    EXPECT_TRUE(m.marks[m.model.CurrentIndex()]);
    EXPECT_EQ(std::count(m.marks.begin(), m.marks.end(), true), 1);
}

TEST(ShuffleEntries, FewerThanTwoEntriesDrawNothing) {
    MarkedModel m({"/only.mp3"});
    RandomGenerator random(5);
    m.model.ShuffleEntries(random);
    EXPECT_EQ(random.State(), 5u);
}

} // namespace
} // namespace zeb
