// Menus built from the playlist and the recent files each time they open.
#include "shell/MenuModel.h"

#include "platform/TextUtil.h"
#include "playlist/PlaylistReader.h"
#include "resources/ResourceIds.h"
#include "shell/MainWnd.h"
#include "shell/StatusText.h"

#include <algorithm>

namespace zeb {

namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

size_t FindSeparator(std::string_view text, size_t from) {
    return text.find_first_of("/\\", from);
}

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

bool InMenuRange(const CMainWnd& wnd) {
    return wnd.Count() >= 1 && wnd.Count() <= kMaxMenuEntries;
}

// Appends to a popup, breaking the column before every TPC-th item.
void AppendToPopup(MenuNode& popup, MenuNode item, int tracksPerColumn) {
    const int c = static_cast<int>(popup.children.size());
    item.columnBreak = tracksPerColumn > 0 && c >= 1 && c % tracksPerColumn == 0;
    popup.children.push_back(std::move(item));
}

MenuNode TrackItem(const CMainWnd& wnd, int index) {
    MenuNode item;
    item.kind = MenuItemKind::Command;
    item.id = TrackCommandId(index);
    item.label = TrackLabel(wnd, index);
    item.isDefault = index == wnd.CurrentIndex();
    return item;
}

struct TreeEntry {
    int index = 0;
    std::vector<std::string_view> levels;
};

// True when both entries have the same folders at levels 1..k.
bool SamePrefix(const TreeEntry& a, const TreeEntry& b, size_t k) {
    if (a.levels.size() < k || b.levels.size() < k)
        return false;
    for (size_t i = 0; i < k; ++i) {
        if (!EqualsIgnoreCase(a.levels[i], b.levels[i]))
            return false;
    }
    return true;
}

bool SameRoot(const TreeEntry& a, const TreeEntry& b, const CMainWnd& wnd) {
    if (a.levels.empty() || b.levels.empty()) {
        return a.levels.empty() && b.levels.empty() &&
               EqualsIgnoreCase(wnd.Model().PathAt(a.index), wnd.Model().PathAt(b.index));
    }
    return EqualsIgnoreCase(a.levels[0], b.levels[0]);
}

std::string FolderLabel(std::string_view folder) {
    return folder.empty() ? std::string("/") : DoubleAmpersands(folder);
}

class TracksTreeBuilder {
public:
    explicit TracksTreeBuilder(const CMainWnd& wnd) : wnd_(wnd) {
        entries_.reserve(static_cast<size_t>(wnd.Count()));
        for (int i = 0; i < wnd.Count(); ++i)
            entries_.push_back({i, FolderLevels(wnd.Model().PathAt(i))});
    }

    std::vector<MenuNode> Build() {
        MenuNode top;
        size_t g = 0;
        while (g < entries_.size()) {
            size_t end = g + 1;
            while (end < entries_.size() && SameRoot(entries_[g], entries_[end], wnd_))
                ++end;
            BuildRun(g, end, top);
            g = end;
        }
        return std::move(top.children);
    }

private:
    void BuildRun(size_t g, size_t end, MenuNode& top) {
        size_t h = CommonDepth(g, end);
        size_t m = 0;
        for (size_t j = g; j < end; ++j)
            m = std::max(m, entries_[j].levels.size());
        const bool wholeList = g == 0 && end == entries_.size();
        if (h > 0 && !wholeList && h == m)
            --h;
        BuildLevel(g, end, h + 1, top);
    }

    size_t CommonDepth(size_t g, size_t end) const {
        size_t h = 0;
        for (;;) {
            for (size_t j = g; j < end; ++j) {
                if (!SamePrefix(entries_[g], entries_[j], h + 1))
                    return h;
            }
            ++h;
        }
    }

    // Entries [b, end) share their folders at levels 1..k-1.
    void BuildLevel(size_t b, size_t end, size_t k, MenuNode& popup) {
        size_t j = b;
        while (j < end) {
            const TreeEntry& entry = entries_[j];
            if (entry.levels.size() < k) {
                AppendToPopup(popup, TrackItem(wnd_, entry.index), wnd_.TPC);
                ++j;
                continue;
            }
            size_t stop = j + 1;
            while (stop < end && SamePrefix(entry, entries_[stop], k))
                ++stop;
            MenuNode folder;
            folder.kind = MenuItemKind::Popup;
            folder.label = FolderLabel(entry.levels[k - 1]);
            BuildLevel(j, stop, k + 1, folder);
            folder.isDefault = std::any_of(folder.children.begin(), folder.children.end(),
                                           [](const MenuNode& n) { return n.isDefault; });
            AppendToPopup(popup, std::move(folder), wnd_.TPC);
            j = stop;
        }
    }

    const CMainWnd& wnd_;
    std::vector<TreeEntry> entries_;
};

} // namespace

std::vector<std::string_view> FolderLevels(std::string_view path) {
    std::vector<std::string_view> levels;
    size_t start = 0;
    if (IsAddress(path)) {
        start = path.find("//") + 2;
        levels.push_back(path.substr(0, start));
    } else if (path.size() > 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        // A network path: the root is the server, "//server".
        size_t end = FindSeparator(path, 2);
        if (end == std::string_view::npos)
            return levels;
        levels.push_back(path.substr(0, end));
        start = end + 1;
    }
    for (size_t sep = FindSeparator(path, start); sep != std::string_view::npos;
         sep = FindSeparator(path, start)) {
        levels.push_back(path.substr(start, sep - start));
        start = sep + 1;
    }
    return levels;
}

std::string RecentLabel(std::string_view entry) {
    constexpr size_t kLongestWhole = 40;
    const size_t sepByte = entry.find_last_of("/\\");
    if (Utf8CharCount(entry) <= kLongestWhole || sepByte == std::string_view::npos)
        return DoubleAmpersands(entry);
    const size_t s = Utf8CharCount(entry.substr(0, sepByte));
    const size_t t = s > 20 ? 18 : (s > 3 ? s - 3 : 0);
    std::string label(Utf8Head(entry, t));
    label += ".....";
    label += entry.substr(sepByte);
    return DoubleAmpersands(label);
}

std::string EntryLabel(std::string_view path) {
    std::string text(path);
    std::replace(text.begin(), text.end(), '_', ' ');
    if (!IsAddress(text)) {
        const size_t sep = text.find_last_of("/\\");
        return sep == std::string::npos ? text : text.substr(sep + 1);
    }
    ReplaceAll(text, "%20", " ");
    const size_t dot = text.find_last_of('.');
    if (dot == std::string::npos ||
        !EqualsIgnoreCase(std::string_view(text).substr(dot + 1), "mp3"))
        return text;
    const size_t slash = text.find_last_of('/', dot);
    return text.substr(slash + 1, dot - slash - 1);
}

std::string TrackLabel(const CMainWnd& wnd, int index) {
    const std::string info = wnd.Model().InfoAt(index);
    return DoubleAmpersands(info.empty() ? EntryLabel(wnd.Model().PathAt(index)) : info);
}

std::vector<MenuNode> BuildAlbumMenu(const CMainWnd& wnd) {
    if (!InMenuRange(wnd))
        return {};
    int first = 0;
    int last = 0;
    wnd.GetAlbumRange(first, last, true);
    MenuNode popup;
    for (int i = first; i <= last; ++i)
        AppendToPopup(popup, TrackItem(wnd, i), wnd.TPC);
    return std::move(popup.children);
}

std::vector<MenuNode> BuildTracksTree(const CMainWnd& wnd) {
    if (!InMenuRange(wnd))
        return {};
    return TracksTreeBuilder(wnd).Build();
}

} // namespace zeb
