#include "ui/TagEditorDialog.h"

#include "engine/InputStream.h"
#include "playlist/AnsiCodePage.h"
#include "playlist/Genres.h"
#include "playlist/Id3v1Tag.h"
#include "resources/DialogTexts.h"
#include "resources/LanguageResources.h"
#include "resources/ResourceIds.h"
#include "shell/MainWnd.h"
#include "ui/DialogControls.h"

#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

namespace zeb {

namespace {

enum TextField { kTitle, kArtist, kAlbum, kYear, kComment };
constexpr int kGenreKeep = 5;

constexpr std::array<int, 5> kFieldIds = {IDC_TAG_TITLE, IDC_TAG_ARTIST, IDC_TAG_ALBUM,
                                          IDC_TAG_YEAR, IDC_TAG_COMMENT};
constexpr std::array<int, 6> kKeepIds = {IDC_TAG_KEEP_TITLE,   IDC_TAG_KEEP_ARTIST,
                                         IDC_TAG_KEEP_ALBUM,   IDC_TAG_KEEP_YEAR,
                                         IDC_TAG_KEEP_COMMENT, IDC_TAG_KEEP_GENRE};

// The text cut so that it takes at most maxBytes in the tag: one byte a
// character when the interface's code page holds every character (the tag
// stores it so), else its UTF-8 bytes, never cutting a character.
std::string FitTagField(const std::string& text, size_t maxBytes) {
    if (std::optional<std::string> ansi = Utf8ToAnsi(text)) {
        if (ansi->size() <= maxBytes)
            return text;
        return AnsiToUtf8(std::string_view(*ansi).substr(0, maxBytes));
    }
    return CutUtf8(text, maxBytes);
}

// The title a file without a tag gets: its name without folder and
// extension, cut to a field, '_' shown as a space.
std::string NameAsTitle(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.resize(dot);
    name = FitTagField(name, kId3v1TextField);
    std::replace(name.begin(), name.end(), '_', ' ');
    return name;
}

QStringList SortedGenreNames() {
    QStringList names;
    for (int i = 0; i < kGenreCount; ++i)
        names.append(FromUtf8(GenreName(i)));
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

} // namespace

TagEditorDialog::TagEditorDialog(int language, QWidget* parent) : QDialog(parent) {
    auto text = [language](int control) {
        return FromUtf8(UiDialogText(language, IDD_TAG_EDITOR, control));
    };
    setObjectName(QStringLiteral("dlg-%1").arg(LocalizedResourceId(language, IDD_TAG_EDITOR)));
    setWindowTitle(text(kDialogCaption));
    setModal(true);

    auto* grid = new QGridLayout;
    auto addRow = [&](int row, int id, QWidget* field) {
        auto* label = new QLabel(text(id), this);
        label->setBuddy(field);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row, 1);
    };

    fileName_ = new QLineEdit(this);
    SetControlId(fileName_, IDC_TAG_FILE_NAME);
    fileName_->setReadOnly(true);
    fileName_->setMinimumWidth(300);
    addRow(0, IDC_TAG_FILE_NAME, fileName_);

    for (int i = 0; i < kTextFields; ++i) {
        auto* edit = new QLineEdit(this);
        SetControlId(edit, kFieldIds[i]);
        const size_t maxBytes = i == kYear ? kId3v1YearField : kId3v1TextField;
        edit->setMaxLength(int(maxBytes));
        LimitField(edit, maxBytes);
        edits_[i] = edit;
        addRow(i + 1, kFieldIds[i], edit);
    }
    edits_[kYear]->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), this));

    genre_ = new QComboBox(this);
    SetControlId(genre_, IDC_TAG_GENRE);
    genre_->addItem(QString());
    genre_->addItems(SortedGenreNames());
    addRow(kTextFields + 1, IDC_TAG_GENRE, genre_);

    for (int i = 0; i < kKeepButtons; ++i) {
        auto* keep = new QPushButton(text(kKeepIds[i]), this);
        SetControlId(keep, kKeepIds[i]);
        keep->setCheckable(true);
        keep->setAutoDefault(false);
        keep_[i] = keep;
        grid->addWidget(keep, i + 1, 2);
    }

    auto* remove = new QPushButton(text(IDC_TAG_REMOVE), this);
    SetControlId(remove, IDC_TAG_REMOVE);
    remove->setAutoDefault(false);
    connect(remove, &QPushButton::clicked, this, &TagEditorDialog::RemoveTag);
    QDialogButtonBox* buttons = AddOkCancel(this, text(IDOK), text(IDCANCEL));

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(remove);
    bottom->addStretch();
    bottom->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(bottom);
}

// Typing past the field's room is cut off where the tag would cut it.
void TagEditorDialog::LimitField(QLineEdit* edit, size_t maxBytes) {
    connect(edit, &QLineEdit::textEdited, this, [edit, maxBytes](const QString& typed) {
        const std::string text = typed.toStdString();
        const std::string fitted = FitTagField(text, maxBytes);
        if (fitted == text)
            return;
        const int cursor = edit->cursorPosition();
        edit->setText(QString::fromStdString(fitted));
        edit->setCursorPosition(std::min(cursor, int(edit->text().size())));
        edit->setModified(true);
    });
}

TagEditorDialog::Outcome TagEditorDialog::Edit(const std::string& path) {
    Load(path);
    outcome_ = Outcome::Cancelled;
    QPointer<TagEditorDialog> self(this);
    exec();
    return self ? outcome_ : Outcome::Cancelled;
}

void TagEditorDialog::Load(const std::string& path) {
    path_ = path;
    fileName_->setText(QFile::decodeName(QByteArray::fromStdString(path)));
    for (int i = 0; i < kTextFields; ++i) {
        if (!keep_[i]->isChecked())
            ShowValue(i, std::string());
    }
    if (!keep_[kGenreKeep]->isChecked())
        genre_->setCurrentIndex(0);

    const std::optional<Id3v1Tag> tag = ReadId3v1(path);
    if (!tag) {
        if (!keep_[kTitle]->isChecked())
            ShowValue(kTitle, NameAsTitle(path));
        return;
    }
    const std::string* fields[] = {&tag->title, &tag->artist, &tag->album, &tag->year,
                                   &tag->comment};
    for (int i = 0; i < kTextFields; ++i) {
        if (!keep_[i]->isChecked())
            ShowValue(i, Id3v1TextToUtf8(*fields[i]));
    }
    if (!keep_[kGenreKeep]->isChecked())
        SelectGenre(tag->genre);
}

void TagEditorDialog::ShowValue(int field, const std::string& value) {
    values_[field] = value;
    edits_[field]->setText(FromUtf8(value));
    edits_[field]->setModified(false);
}

void TagEditorDialog::SelectGenre(int genreByte) {
    const std::string_view name = GenreName(genreByte);
    if (name.empty())
        return;
    const int item = genre_->findText(FromUtf8(name), Qt::MatchExactly);
    if (item >= 0)
        genre_->setCurrentIndex(item);
}

// The controls' values into the fields. An edit left alone keeps its value
// exactly, whatever the edit control made of its text.
void TagEditorDialog::TakeValues() {
    for (int i = 0; i < kTextFields; ++i) {
        if (edits_[i]->isModified()) {
            values_[i] = edits_[i]->text().toStdString();
            edits_[i]->setModified(false);
        }
    }
}

void TagEditorDialog::accept() {
    TakeValues();
    Id3v1Tag tag;
    tag.title = values_[kTitle];
    tag.artist = values_[kArtist];
    tag.album = values_[kAlbum];
    tag.year = values_[kYear];
    tag.comment = values_[kComment];
    tag.genre = GenreIndex(genre_->currentText().toStdString());
    outcome_ = WriteId3v1(path_, tag) ? Outcome::Written : Outcome::Failed;
    QDialog::accept();
}

void TagEditorDialog::RemoveTag() {
    TakeValues();
    outcome_ = RemoveId3v1(path_) ? Outcome::Removed : Outcome::Failed;
    QDialog::accept();
}

// ------------------------------------------------------------------ runs

namespace {

bool Editable(const std::string& path) {
    return !IsUrlName(path) && CPlaylistModel::EntryExists(path);
}

bool Changed(TagEditorDialog::Outcome outcome) {
    return outcome == TagEditorDialog::Outcome::Written ||
           outcome == TagEditorDialog::Outcome::Removed;
}

} // namespace

int EditTags(QWidget* parent, CMainWnd& wnd, const std::vector<int>& indices) {
    std::vector<int> rows = indices;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());

    // On the heap: the parent may go away while the dialog runs.
    QPointer<TagEditorDialog> dialog = new TagEditorDialog(wnd.Language, parent);
    int changed = 0;
    for (int index : rows) {
        if (index < 0 || index >= wnd.Count())
            continue;
        const std::string path = wnd.Model().PathAt(index);
        if (!Editable(path))
            continue;
        const TagEditorDialog::Outcome outcome = dialog->Edit(path);
        if (!dialog || outcome == TagEditorDialog::Outcome::Cancelled)
            break;
        if (Changed(outcome))
            ++changed;
        // The list may have changed while the dialog ran.
        if (index < wnd.Count() && wnd.Model().PathAt(index) == path)
            wnd.AfterTagEdit(index);
    }
    delete dialog;
    return changed;
}

bool EditCurrentEntryTags(QWidget* parent, CMainWnd& wnd) {
    const int current = wnd.CurrentIndex();
    if (current < 0 || current >= wnd.Count())
        return false;
    const std::string path = wnd.Model().PathAt(current);
    if (!Editable(path))
        return false;
    QPointer<TagEditorDialog> dialog = new TagEditorDialog(wnd.Language, parent);
    const TagEditorDialog::Outcome outcome = dialog->Edit(path);
    delete dialog;
    if (outcome == TagEditorDialog::Outcome::Cancelled)
        return false;
    wnd.AfterInfoWindowTagEdit(path);
    return Changed(outcome);
}

} // namespace zeb
