#include "ui/EqualizerWindow.h"

#include "resources/DialogTexts.h"
#include "resources/LanguageResources.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include "shell/MainWnd.h"
#include "ui/DialogControls.h"
#include "ui/EqualizerBar.h"
#include "ui/NameEntryDialog.h"
#include "ui/WindowPlacement.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace zeb {

namespace {

// The bars from left to right: the preamplifier, then EQ1 ... EQ10.
constexpr std::array<int, EqualizerView::kBarCount> kBarControls = {
    IDC_EQ_PREAMP, IDC_EQ_BAND1, IDC_EQ_BAND2, IDC_EQ_BAND3, IDC_EQ_BAND4, IDC_EQ_BAND5,
    IDC_EQ_BAND6,  IDC_EQ_BAND7, IDC_EQ_BAND8, IDC_EQ_BAND9, IDC_EQ_BAND10};

QPushButton* Button(QWidget* parent, const QString& text, int id) {
    auto* button = new QPushButton(text, parent);
    SetControlId(button, id);
    button->setAutoDefault(false);
    return button;
}

} // namespace

EqualizerWindow::EqualizerWindow(CMainWnd& wnd, QWidget* parent)
    : QDialog(parent), wnd_(wnd), view_(wnd, wnd.Player().Equalizer()) {
    setObjectName(QStringLiteral("dlg-%1").arg(LocalizedResourceId(wnd.Language, IDD_EQUALIZER)));
    setWindowTitle(FromUtf8(UiDialogText(wnd.Language, IDD_EQUALIZER, kDialogCaption)));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    BuildControls();
    view_.Open();
    ShowBars();
    ShowList();
    ApplyOnTop();
    PlaceAtStoredPosition();
}

void EqualizerWindow::BuildControls() {
    const int language = wnd_.Language;
    auto text = [language](int control) {
        return FromUtf8(UiDialogText(language, IDD_EQUALIZER, control));
    };

    enable_ = new QCheckBox(text(IDC_EQ_ENABLE), this);
    SetControlId(enable_, IDC_EQ_ENABLE);
    connect(enable_, &QCheckBox::clicked, this, [this](bool on) { view_.SetEnabled(on); });
    QPushButton* reset = Button(this, text(IDC_EQ_RESET), IDC_EQ_RESET);
    connect(reset, &QPushButton::clicked, this, [this] {
        view_.Reset();
        ShowBars();
        ShowList();
    });
    auto* top = new QHBoxLayout;
    top->addWidget(enable_);
    top->addStretch();
    top->addWidget(reset);

    // Each bar over its label; a gap parts the preamplifier from the bands.
    auto* barGrid = new QGridLayout;
    barGrid->setColumnMinimumWidth(1, 12);
    for (int bar = 0; bar < EqualizerView::kBarCount; ++bar) {
        const int id = kBarControls[static_cast<size_t>(bar)];
        auto* slider = new EqualizerBar(this);
        SetControlId(slider, id);
        connect(slider, &EqualizerBar::Moved, this,
                [this, bar](int position) { MoveBar(bar, position); });
        bars_[static_cast<size_t>(bar)] = slider;
        auto* label = new QLabel(text(id), this);
        label->setAlignment(Qt::AlignHCenter);
        const int column = bar == 0 ? 0 : bar + 1;
        barGrid->addWidget(slider, 0, column, Qt::AlignHCenter);
        barGrid->addWidget(label, 1, column, Qt::AlignHCenter);
    }
    barGrid->setRowStretch(0, 1);

    presets_ = new QComboBox(this);
    SetControlId(presets_, IDC_EQ_PRESETS);
    presets_->setMinimumContentsLength(16);
    connect(presets_, &QComboBox::activated, this, [this](int index) {
        view_.ChoosePreset(index);
        ShowBars();
    });
    auto* presetLabel = new QLabel(text(IDC_EQ_PRESETS), this);
    presetLabel->setBuddy(presets_);
    QPushButton* save = Button(this, text(IDC_EQ_SAVE), IDC_EQ_SAVE);
    connect(save, &QPushButton::clicked, this, &EqualizerWindow::SavePreset);
    QPushButton* remove = Button(this, text(IDC_EQ_DELETE), IDC_EQ_DELETE);
    connect(remove, &QPushButton::clicked, this, &EqualizerWindow::DeletePreset);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(presetLabel);
    bottom->addWidget(presets_, 1);
    bottom->addWidget(save);
    bottom->addWidget(remove);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(barGrid, 1);
    layout->addLayout(bottom);
}

void EqualizerWindow::ShowBars() {
    for (int bar = 0; bar < EqualizerView::kBarCount; ++bar)
        bars_[static_cast<size_t>(bar)]->setValue(view_.Position(bar));
    enable_->setChecked(view_.Enabled());
}

void EqualizerWindow::ShowList() {
    const QSignalBlocker blocker(presets_);
    presets_->clear();
    for (const std::string& name : view_.ListNames())
        presets_->addItem(FromUtf8(name));
    presets_->setCurrentIndex(view_.Selection());
}

void EqualizerWindow::MoveBar(int bar, int position) {
    view_.MoveBar(bar, position);
    const QSignalBlocker blocker(presets_);
    presets_->setCurrentIndex(-1);
}

void EqualizerWindow::SavePreset() {
    QPointer<EqualizerWindow> self(this);
    std::optional<std::string> name = AskForName(this, wnd_.Language);
    if (!self || !name)
        return;
    view_.SavePreset(*name);
    ShowList();
}

void EqualizerWindow::DeletePreset() {
    view_.DeletePreset();
    ShowList();
}

// Top-most windows keep out of the task bar; the others have a button there.
void EqualizerWindow::ApplyOnTop() {
    const bool onTop = wnd_.EQOnTop == 1;
    Qt::WindowFlags flags = windowFlags() & ~(Qt::WindowType_Mask | Qt::WindowStaysOnTopHint);
    flags |= onTop ? (Qt::Tool | Qt::WindowStaysOnTopHint) : Qt::Window;
    setWindowFlags(flags);
}

void EqualizerWindow::ToggleOnTop() {
    wnd_.EQOnTop = wnd_.EQOnTop == 1 ? 0 : 1;
    const bool shown = isVisible();
    const QPoint at = pos();
    ApplyOnTop();
    move(at);
    if (shown)
        show();
    emit OnTopToggled();
}

void EqualizerWindow::PlaceAtStoredPosition() {
    adjustSize();
    const QPoint stored(wnd_.EqualizerX, wnd_.EqualizerY);
    QScreen* screen = QGuiApplication::screenAt(stored);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    move(PlaceWindow(wnd_.EqualizerX, wnd_.EqualizerY, kUnsetPlacement, kUnsetPlacement, size(),
                     screen->availableGeometry())
             .topLeft());
}

void EqualizerWindow::StorePosition() {
    wnd_.EqualizerX = pos().x();
    wnd_.EqualizerY = pos().y();
}

void EqualizerWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* onTop = menu.addAction(FromUtf8(UiString(wnd_.Language, IDS_ALWAYS_ON_TOP)));
    onTop->setObjectName(ControlObjectName(ID_ALWAYS_ON_TOP));
    onTop->setCheckable(true);
    onTop->setChecked(wnd_.EQOnTop == 1);
    // Toggled once the menu has gone: it rebuilds the window under the menu.
    bool chosen = false;
    connect(onTop, &QAction::triggered, &menu, [&chosen] { chosen = true; });
    menu.exec(event->globalPos());
    if (chosen)
        ToggleOnTop();
}

// Esc closes the window (a dialog would only hide).
void EqualizerWindow::reject() {
    close();
}

// A minimised window is restored first, so that the stored position is
// where it shows.
void EqualizerWindow::closeEvent(QCloseEvent* event) {
    if (isMinimized())
        showNormal();
    StorePosition();
    emit Closed();
    event->accept();
}

} // namespace zeb
