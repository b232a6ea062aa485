// The ID3v1 tag editor: one file at a time, with keep buttons that carry a
// field's value over to the next file of the same run.
#pragma once

#include <QDialog>
#include <array>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace zeb {

class CMainWnd;

// Dialog 111 (161 in Russian), modal. One object edits several files in a
// row: the keep flags and the kept values survive from one file to the next.
class TagEditorDialog : public QDialog {
    Q_OBJECT
public:
    enum class Outcome { Cancelled, Written, Removed, Failed };

    explicit TagEditorDialog(int language, QWidget* parent = nullptr);

    // Shows the file at `path` and runs the dialog until it closes.
    Outcome Edit(const std::string& path);
    // Fills the controls for `path`: fields not kept are cleared, then taken
    // from the file's tag (or the title from the file name when it has none).
    void Load(const std::string& path);

    // OK: writes the tag and closes.
    void accept() override;
    // "Fjern Tag": cuts the tag off the file and closes.
    void RemoveTag();

private:
    static constexpr int kTextFields = 5; // title, artist, album, year, comment
    static constexpr int kKeepButtons = kTextFields + 1;

    void TakeValues();
    void ShowValue(int field, const std::string& value);
    void SelectGenre(int genreByte);
    void LimitField(QLineEdit* edit, size_t maxBytes);

    std::string path_;
    Outcome outcome_ = Outcome::Cancelled;
    // The fields' values as UTF-8; an edit the user has not touched since it
    // was filled stands for its value here, byte for byte.
    std::array<std::string, kTextFields> values_;
    std::array<QLineEdit*, kTextFields> edits_{};
    std::array<QPushButton*, kKeepButtons> keep_{};
    QLineEdit* fileName_ = nullptr;
    QComboBox* genre_ = nullptr;
};

// Runs the tag editor over the entries at `indices` (list order), skipping
// entries whose file does not exist; Cancel ends the run. After each OK
// (write or removal) the entry's info line is rebuilt, and for the current
// entry the titles and the information window follow; the playlist window is
// repainted through MainWndHost::RedrawPlaylistWindow. Returns the number of
// files written or stripped.
int EditTags(QWidget* parent, CMainWnd& wnd, const std::vector<int>& indices);

// The information window's editor: the current entry's file; afterwards the
// titles, the information window, the entry's info line and the playlist
// window follow. True when the file was written or stripped.
bool EditCurrentEntryTags(QWidget* parent, CMainWnd& wnd);

} // namespace zeb
