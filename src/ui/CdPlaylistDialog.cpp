#include "ui/CdPlaylistDialog.h"

#include "resources/DialogTexts.h"
#include "resources/LanguageResources.h"
#include "resources/ResourceIds.h"
#include "ui/DialogControls.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace zeb {

namespace {

void ShowLines(QListWidget* list, const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        list->addItem(FromUtf8(line));
}

// Puts new texts into the list's items in place, keeping the selection.
void UpdateLines(QListWidget* list, const std::vector<std::string>& lines) {
    for (int row = 0; row < list->count() && row < int(lines.size()); ++row) {
        const QString text = FromUtf8(lines[size_t(row)]);
        if (list->item(row)->text() != text)
            list->item(row)->setText(text);
    }
}

// The row of the list's selected entry, or -1. A list that only has a
// current row (the focus frame, as a list gets it from the keyboard focus)
// has nothing selected.
int SelectedRow(const QListWidget* list) {
    const QList<QListWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.first());
}

bool IsEnterKey(const QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

CdPlaylistDialog::CdPlaylistDialog(CdTitleDatabase& db, const std::string& discKey,
                                   const std::vector<std::string>& trackLengths, bool russian,
                                   QWidget* parent)
    : QDialog(parent), editor_(db, discKey, trackLengths) {
    setObjectName(
        QStringLiteral("dlg-%1").arg(LocalizedResourceId(russian ? 1 : 0, IDD_CD_PLAYLIST)));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    BuildControls(russian);
    FillFromEditor();
}

void CdPlaylistDialog::BuildControls(bool russian) {
    auto text = [language = russian ? 1 : 0](int control) {
        return FromUtf8(UiDialogText(language, IDD_CD_PLAYLIST, control));
    };
    setWindowTitle(text(kDialogCaption));

    auto newEdit = [this](int id) {
        auto* edit = new QLineEdit(this);
        SetControlId(edit, id);
        return edit;
    };
    auto newList = [this](int id) {
        auto* list = new QListWidget(this);
        SetControlId(list, id);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        return list;
    };
    auto newButton = [&](int id) {
        auto* button = new QPushButton(text(id), this);
        SetControlId(button, id);
        return button;
    };
    auto newLabel = [&](int id, QWidget* buddy) {
        auto* label = new QLabel(text(id), this);
        label->setBuddy(buddy);
        return label;
    };

    artist_ = newEdit(IDC_CDPL_ARTIST);
    title_ = newEdit(IDC_CDPL_TITLE);
    auto* disc = new QGridLayout;
    disc->addWidget(newLabel(IDC_CDPL_ARTIST, artist_), 0, 0);
    disc->addWidget(artist_, 0, 1);
    disc->addWidget(newLabel(IDC_CDPL_TITLE, title_), 1, 0);
    disc->addWidget(title_, 1, 1);

    order_ = newList(IDC_CDPL_ORDER);
    available_ = newList(IDC_CDPL_AVAILABLE);
    name_ = newEdit(IDC_CDPL_TRACK_NAME);
    name_->installEventFilter(this);
    QPushButton* add = newButton(IDC_CDPL_ADD);
    QPushButton* remove = newButton(IDC_CDPL_REMOVE);
    set_ = newButton(IDC_CDPL_SET_NAME);
    set_->setEnabled(false);

    auto* moves = new QVBoxLayout;
    moves->addStretch();
    moves->addWidget(add);
    moves->addWidget(remove);
    moves->addStretch();
    auto* naming = new QHBoxLayout;
    naming->addWidget(name_);
    naming->addWidget(set_);

    auto* lists = new QGridLayout;
    lists->addWidget(newLabel(IDC_CDPL_ORDER, order_), 0, 0);
    lists->addWidget(order_, 1, 0, 2, 1);
    lists->addLayout(moves, 1, 1);
    lists->addWidget(newLabel(IDC_CDPL_AVAILABLE, available_), 0, 2);
    lists->addWidget(available_, 1, 2);
    lists->addLayout(naming, 2, 2);

    QDialogButtonBox* buttons = AddOkCancel(this, text(IDOK), text(IDCANCEL));
    ok_ = FindControl<QPushButton>(this, IDOK);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(disc);
    layout->addLayout(lists);
    layout->addWidget(buttons);

    connect(available_, &QListWidget::itemSelectionChanged, this,
            [this] { ShowSelectedName(SelectedRow(available_)); });
    connect(available_, &QListWidget::itemDoubleClicked, this, &CdPlaylistDialog::AddSelectedTrack);
    connect(order_, &QListWidget::itemDoubleClicked, this, &CdPlaylistDialog::RemoveSelectedEntry);
    connect(add, &QPushButton::clicked, this, &CdPlaylistDialog::AddSelectedTrack);
    connect(remove, &QPushButton::clicked, this, &CdPlaylistDialog::RemoveSelectedEntry);
    connect(set_, &QPushButton::clicked, this, &CdPlaylistDialog::SetSelectedName);
    connect(name_, &QLineEdit::textChanged, this,
            [this](const QString& name) { set_->setEnabled(!name.isEmpty()); });
}

// The editor's values into the controls; only then do edits of the artist
// and title reach the editor, so opening does not change its OK rule.
void CdPlaylistDialog::FillFromEditor() {
    artist_->setText(FromUtf8(editor_.Artist()));
    title_->setText(FromUtf8(editor_.Title()));
    ShowLines(available_, editor_.AvailableLines());
    ShowLines(order_, editor_.OrderLines());
    UpdateOk();
    connect(artist_, &QLineEdit::textChanged, this, [this](const QString& artist) {
        editor_.SetArtist(artist.toStdString());
        UpdateOk();
    });
    connect(title_, &QLineEdit::textChanged, this, [this](const QString& title) {
        editor_.SetTitle(title.toStdString());
        UpdateOk();
    });
}

void CdPlaylistDialog::UpdateOk() {
    ok_->setEnabled(editor_.CanSave());
}

void CdPlaylistDialog::ShowSelectedName(int availableRow) {
    if (availableRow < 0 || availableRow >= editor_.TrackCount())
        return;
    name_->setText(FromUtf8(editor_.TrackName(availableRow)));
    name_->selectAll();
}

void CdPlaylistDialog::SetSelectedName() {
    const int row = SelectedRow(available_);
    if (row < 0)
        return;
    const int next = editor_.SetName(row, name_->text().toStdString());
    RefreshLines();
    if (next == row)
        ShowSelectedName(row);
    else
        available_->setCurrentRow(next);
}

void CdPlaylistDialog::RefreshLines() {
    UpdateLines(available_, editor_.AvailableLines());
    UpdateLines(order_, editor_.OrderLines());
}

void CdPlaylistDialog::AddSelectedTrack() {
    if (editor_.Add(SelectedRow(available_)))
        order_->addItem(FromUtf8(editor_.OrderLines().back()));
}

void CdPlaylistDialog::RemoveSelectedEntry() {
    const int row = SelectedRow(order_);
    if (!editor_.Remove(row))
        return;
    delete order_->takeItem(row);
    // A deleted entry leaves nothing selected, so a second "-->" removes
    // nothing more.
    order_->clearSelection();
}

bool CdPlaylistDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == name_ && IsEnterKey(event)) {
        SetSelectedName();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CdPlaylistDialog::accept() {
    editor_.Save();
    QDialog::accept();
}

} // namespace zeb
