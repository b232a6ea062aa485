#include "ui/Mp3InfoWindow.h"

#include "resources/DialogTexts.h"
#include "resources/LanguageResources.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include "shell/MainWnd.h"
#include "ui/DialogControls.h"
#include "ui/TagEditorDialog.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFile>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace zeb {

namespace {

constexpr int kCentred = -1000;

int PlaceOnAxis(int at, int length, int areaStart, int areaLength) {
    if (at == kCentred)
        at = areaStart + (areaLength - length) / 2;
    at = std::min(at, areaStart + areaLength - length);
    return std::max(at, areaStart);
}

} // namespace

Mp3InfoWindow::Mp3InfoWindow(CMainWnd& wnd, QWidget* parent) : QDialog(parent), wnd_(wnd) {
    const int language = wnd.Language;
    auto text = [language](int control) {
        return FromUtf8(UiDialogText(language, IDD_MP3_INFO, control));
    };
    setObjectName(QStringLiteral("dlg-%1").arg(LocalizedResourceId(language, IDD_MP3_INFO)));
    setWindowTitle(text(kDialogCaption));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    auto field = [&](int id) {
        auto* edit = new QLineEdit(this);
        SetControlId(edit, id);
        edit->setReadOnly(true);
        fields_[id] = edit;
        return edit;
    };
    auto label = [&](int id, QWidget* buddy) {
        auto* l = new QLabel(text(id), this);
        l->setBuddy(buddy);
        return l;
    };
    auto unit = [&](int id) {
        auto* l = new QLabel(text(id), this);
        SetControlId(l, id);
        return l;
    };

    auto* grid = new QGridLayout;
    int row = 0;
    QLineEdit* fileName = field(IDC_INFO_FILE_NAME);
    fileName->setMinimumWidth(320);
    grid->addWidget(label(IDC_INFO_FILE_NAME, fileName), row, 0);
    grid->addWidget(fileName, row++, 1);

    auto* stream = new QHBoxLayout;
    QLineEdit* bitrate = field(IDC_INFO_BITRATE);
    stream->addWidget(bitrate);
    stream->addWidget(unit(IDC_INFO_KBPS_LABEL));
    stream->addWidget(field(IDC_INFO_FREQUENCY));
    stream->addWidget(unit(IDC_INFO_HZ_LABEL));
    stream->addWidget(field(IDC_INFO_TYPE));
    grid->addWidget(label(IDC_INFO_BITRATE, bitrate), row, 0);
    grid->addLayout(stream, row++, 1);

    for (int id : {IDC_INFO_TITLE, IDC_INFO_ARTIST, IDC_INFO_ALBUM, IDC_INFO_YEAR, IDC_INFO_COMMENT,
                   IDC_INFO_GENRE}) {
        QLineEdit* edit = field(id);
        grid->addWidget(label(id, edit), row, 0);
        grid->addWidget(edit, row++, 1);
    }

    auto* editTag = new QPushButton(text(IDC_INFO_EDIT_TAG), this);
    SetControlId(editTag, IDC_INFO_EDIT_TAG);
    editTag->setAutoDefault(false);
    connect(editTag, &QPushButton::clicked, this, &Mp3InfoWindow::EditTag);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(editTag);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(bottom);

    ApplyOnTop();
    PlaceAtStoredPosition();
}

QLineEdit* Mp3InfoWindow::Field(int id) {
    return fields_.at(id);
}

void Mp3InfoWindow::RefreshMp3Info(const std::string& streamInfo) {
    streamInfo_ = streamInfo;
    const int count = wnd_.Count();
    const std::string path =
        count > 0 ? wnd_.Model().PathAt(std::clamp(wnd_.CurrentIndex(), 0, count - 1))
                  : std::string();
    view_.Refresh(path, streamInfo);
    ShowFields();
}

void Mp3InfoWindow::ShowFields() {
    const Mp3InfoFields& f = view_.Fields();
    const std::pair<int, const std::string*> shown[] = {
        {IDC_INFO_BITRATE, &f.bitrate}, {IDC_INFO_FREQUENCY, &f.frequency},
        {IDC_INFO_TYPE, &f.type},       {IDC_INFO_TITLE, &f.title},
        {IDC_INFO_ARTIST, &f.artist},   {IDC_INFO_ALBUM, &f.album},
        {IDC_INFO_YEAR, &f.year},       {IDC_INFO_COMMENT, &f.comment},
        {IDC_INFO_GENRE, &f.genre}};
    for (auto [id, value] : shown) {
        QLineEdit* edit = Field(id);
        const QString text = FromUtf8(*value);
        if (edit->text() != text)
            edit->setText(text);
    }
    const QString path = QFile::decodeName(QByteArray::fromStdString(f.fileName));
    if (Field(IDC_INFO_FILE_NAME)->text() != path)
        Field(IDC_INFO_FILE_NAME)->setText(path);
}

void Mp3InfoWindow::EditTag() {
    QPointer<Mp3InfoWindow> self(this);
    EditCurrentEntryTags(this, wnd_);
    if (!self)
        return;
    MarkForReread();
    RefreshMp3Info(streamInfo_);
}

// Top-most windows keep out of the task bar; the others have a button there.
void Mp3InfoWindow::ApplyOnTop() {
    const bool onTop = wnd_.InfoOnTop == 1;
    Qt::WindowFlags flags = windowFlags();
    flags &= ~(Qt::WindowType_Mask | Qt::WindowStaysOnTopHint);
    flags |= onTop ? (Qt::Tool | Qt::WindowStaysOnTopHint) : Qt::Window;
    setWindowFlags(flags);
}

void Mp3InfoWindow::ToggleOnTop() {
    wnd_.InfoOnTop = wnd_.InfoOnTop == 1 ? 0 : 1;
    const bool shown = isVisible();
    const QPoint at = pos();
    hide();
    ApplyOnTop();
    move(at);
    if (shown)
        show();
}

QPoint Mp3InfoWindow::PlaceInArea(int x, int y, QSize size, const QRect& area) {
    return QPoint(PlaceOnAxis(x, size.width(), area.x(), area.width()),
                  PlaceOnAxis(y, size.height(), area.y(), area.height()));
}

void Mp3InfoWindow::PlaceAtStoredPosition() {
    adjustSize();
    QScreen* screen = QGuiApplication::screenAt(QPoint(wnd_.InfoX, wnd_.InfoY));
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    move(PlaceInArea(wnd_.InfoX, wnd_.InfoY, frameGeometry().size(), screen->availableGeometry()));
}

void Mp3InfoWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* onTop = menu.addAction(FromUtf8(UiString(wnd_.Language, IDS_ALWAYS_ON_TOP)));
    onTop->setObjectName(ControlObjectName(ID_ALWAYS_ON_TOP));
    onTop->setCheckable(true);
    onTop->setChecked(wnd_.InfoOnTop == 1);
    // Toggled once the menu has gone: it rebuilds the window under the menu.
    bool chosen = false;
    connect(onTop, &QAction::triggered, &menu, [&chosen] { chosen = true; });
    menu.exec(event->globalPos());
    if (chosen)
        ToggleOnTop();
}

// Esc closes the window (a dialog would only hide).
void Mp3InfoWindow::reject() {
    close();
}

// Not QDialog's handling: it would reject, which closes again, and the
// nested close would cancel this one.
void Mp3InfoWindow::closeEvent(QCloseEvent* event) {
    StorePosition();
    event->accept();
}

void Mp3InfoWindow::StorePosition() {
    wnd_.InfoX = pos().x();
    wnd_.InfoY = pos().y();
}

} // namespace zeb
