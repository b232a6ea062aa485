// A popup menu drawn and driven by the program: columns, pictures, side bar.
#include "ui/PopupMenu.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QTextStream>
#include <algorithm>
#include <qdrawutil.h>

namespace zeb {

namespace {

constexpr int kFrame = 2;     // raised panel around the menu
constexpr int kColumnGap = 6; // between columns, the bar in its middle
constexpr int kSeparatorHeight = 8;
constexpr int kShortcutGap = 16; // between an item's text and its shortcut
constexpr int kEmptyWidth = 40;  // a menu without items
constexpr int kEmptyHeight = 8;
constexpr int kFallbackDelayMs = 300;

// An item's text before and after the tab that starts its shortcut.
QString MainText(const QString& text) {
    const qsizetype tab = text.indexOf(u'\t');
    return tab < 0 ? text : text.left(tab);
}

QString ShortcutText(const QString& text) {
    const qsizetype tab = text.indexOf(u'\t');
    return tab < 0 ? QString() : text.mid(tab + 1);
}

bool Chooses(PopupMenu::ItemKind kind) {
    return kind == PopupMenu::ItemKind::Command || kind == PopupMenu::ItemKind::Picture;
}

QScreen* ScreenFor(QPoint point) {
    if (QScreen* screen = QGuiApplication::screenAt(point))
        return screen;
    // An anchor on the exclusive right or bottom edge belongs to the screen
    // it ends.
    if (QScreen* screen = QGuiApplication::screenAt(point - QPoint(1, 1)))
        return screen;
    return QGuiApplication::primaryScreen();
}

} // namespace

PopupMenu::PopupMenu(QWidget* parent) : QWidget(parent, Qt::Popup) {
    setObjectName("zeb-menu");
    setWindowTitle("zeb menu");
    setAccessibleName("zeb menu");
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_NoSystemBackground);
    submenuTimer_.setSingleShot(true);
    connect(&submenuTimer_, &QTimer::timeout, this, &PopupMenu::OnSubmenuTimer);
}

PopupMenu::~PopupMenu() {
    open_ = false;
}

// ------------------------------------------------------------------- items

int PopupMenu::AddItem(Item item) {
    if (item.kind == ItemKind::Submenu && !item.submenu) {
        item.submenu = new PopupMenu(this);
    }
    if (item.submenu) {
        if (item.submenu->parentWidget() != this)
            item.submenu->setParent(this, Qt::Popup);
        item.submenu->parent_ = this;
        item.submenu->title_ = DisplayText(MainText(item.text));
        item.submenu->setWindowTitle("zeb submenu: " + item.submenu->title_);
        item.submenu->setAccessibleName(item.submenu->title_);
    }
    if (item.kind == ItemKind::SideBar)
        item.id = kSideBarId;
    items_.push_back(std::move(item));
    Invalidate();
    return Count() - 1;
}

int PopupMenu::AddCommand(int id, const QString& text, bool enabled, bool checked) {
    Item item;
    item.id = id;
    item.text = text;
    item.enabled = enabled;
    item.checked = checked;
    return AddItem(std::move(item));
}

int PopupMenu::AddSeparator() {
    Item item;
    item.kind = ItemKind::Separator;
    return AddItem(std::move(item));
}

int PopupMenu::AddPicture(int id, const QString& text, const QPixmap& normal,
                          const QPixmap& selected) {
    Item item;
    item.kind = ItemKind::Picture;
    item.id = id;
    item.text = text;
    item.picture = normal;
    item.selectedPicture = selected;
    return AddItem(std::move(item));
}

int PopupMenu::AddSideBar(const QPixmap& bitmap) {
    Item item;
    item.kind = ItemKind::SideBar;
    item.picture = bitmap;
    return AddItem(std::move(item));
}

PopupMenu* PopupMenu::AddSubmenu(const QString& text, bool enabled) {
    Item item;
    item.kind = ItemKind::Submenu;
    item.text = text;
    item.enabled = enabled;
    return items_[size_t(AddItem(std::move(item)))].submenu;
}

void PopupMenu::SetChecked(int index, bool on) {
    items_[size_t(index)].checked = on;
    update();
}

void PopupMenu::SetEnabled(int index, bool on) {
    items_[size_t(index)].enabled = on;
    update();
}

void PopupMenu::SetDefault(int index, bool on) {
    items_[size_t(index)].isDefault = on;
    Invalidate();
}

void PopupMenu::SetColumnBreak(int index, bool on) {
    items_[size_t(index)].columnBreak = on;
    Invalidate();
}

int PopupMenu::IndexOf(int id) const {
    for (int i = 0; i < Count(); ++i) {
        if (items_[size_t(i)].id == id && items_[size_t(i)].kind != ItemKind::Separator &&
            items_[size_t(i)].kind != ItemKind::Submenu)
            return i;
    }
    return -1;
}

const PopupMenu::Item* PopupMenu::FindItem(int id) const {
    for (const Item& item : items_) {
        if (item.kind == ItemKind::Submenu) {
            if (const Item* found = item.submenu->FindItem(id))
                return found;
        } else if (item.kind != ItemKind::Separator && item.id == id) {
            return &item;
        }
    }
    return nullptr;
}

PopupMenu* PopupMenu::MenuOf(int id) {
    if (IndexOf(id) >= 0)
        return this;
    for (const Item& item : items_) {
        if (item.submenu) {
            if (PopupMenu* menu = item.submenu->MenuOf(id))
                return menu;
        }
    }
    return nullptr;
}

PopupMenu* PopupMenu::Submenu(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return items_[size_t(index)].submenu;
}

PopupMenu* PopupMenu::Submenu(const QString& title) const {
    for (const Item& item : items_) {
        if (item.submenu && (item.text == title || DisplayText(MainText(item.text)) == title))
            return item.submenu;
    }
    return nullptr;
}

QString PopupMenu::DisplayText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            if (i + 1 < text.size() && text[i + 1] == u'&') {
                out += u'&';
                ++i;
            }
            continue;
        }
        out += text[i];
    }
    return out;
}

QString PopupMenu::MnemonicOf(const QString& text) {
    const QString main = MainText(text);
    for (qsizetype i = 0; i + 1 < main.size(); ++i) {
        if (main[i] != u'&')
            continue;
        if (main[i + 1] == u'&') {
            ++i; // a literal '&'
            continue;
        }
        const bool pair = main[i + 1].isHighSurrogate() && i + 2 < main.size();
        return main.mid(i + 1, pair ? 2 : 1);
    }
    return {};
}

// ------------------------------------------------------------------ layout

void PopupMenu::Invalidate() {
    layoutValid_ = false;
    updateGeometry();
    update();
}

void PopupMenu::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        Invalidate();
    QWidget::changeEvent(event);
}

int PopupMenu::CheckMarkWidth() const {
    return std::clamp(style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this), 8, 18);
}

int PopupMenu::TextLeft() const {
    return CheckMarkWidth() + 8;
}

int PopupMenu::ArrowColumn() const {
    return std::max(CheckMarkWidth(), 12) + 8;
}

int PopupMenu::TextItemHeight() const {
    QFont bold = font();
    bold.setBold(true);
    const int textHeight = std::max(fontMetrics().height(), QFontMetrics(bold).height());
    return std::max(textHeight + 6, CheckMarkWidth() + 4);
}

QFont PopupMenu::ItemFont(const Item& item) const {
    QFont f = font();
    if (item.isDefault)
        f.setBold(true);
    return f;
}

QColor PopupMenu::MenuColour() const {
    return palette().color(QPalette::Window);
}

QSize PopupMenu::MeasureItem(const Item& item) const {
    switch (item.kind) {
    case ItemKind::Separator:
        return {TextLeft() + ArrowColumn(), kSeparatorHeight};
    case ItemKind::Picture: {
        // A picture asks for 90 less twice the check mark; the menu adds
        // the check-mark room on either side, so the 90-pixel buttons fit.
        const int asked = kPictureWidth - 2 * CheckMarkWidth();
        return {asked + 2 * CheckMarkWidth(), kPictureHeight};
    }
    case ItemKind::SideBar: {
        // It asks for 20 less one check mark, the room the menu adds beside
        // it; its height is the whole menu's, set once the columns are known.
        const int asked = kSideBarWidth - CheckMarkWidth();
        return {asked + CheckMarkWidth(), 0};
    }
    case ItemKind::Command:
    case ItemKind::Submenu:
        break;
    }
    const QFontMetrics fm(ItemFont(item));
    int width = TextLeft() + fm.horizontalAdvance(DisplayText(MainText(item.text))) + ArrowColumn();
    const QString shortcut = ShortcutText(item.text);
    if (!shortcut.isEmpty())
        width += kShortcutGap + fm.horizontalAdvance(shortcut);
    return {width, TextItemHeight()};
}

void PopupMenu::EnsureLayout() const {
    if (layoutValid_)
        return;
    layoutValid_ = true;
    const size_t n = items_.size();
    rects_.assign(n, QRect());
    columnOf_.assign(n, 0);
    columns_.clear();

    std::vector<QSize> sizes(n);
    for (size_t i = 0; i < n; ++i)
        sizes[i] = MeasureItem(items_[i]);

    // Columns: the first item and every item with a column break start one.
    std::vector<int> heights;
    for (size_t i = 0; i < n; ++i) {
        if (i == 0 || items_[i].columnBreak) {
            columns_.push_back({int(i), 0, 0});
            heights.push_back(0);
        }
        columnOf_[i] = int(columns_.size()) - 1;
        Column& column = columns_.back();
        column.width = std::max(column.width, sizes[i].width());
        heights.back() += sizes[i].height();
    }
    const int contentHeight =
        heights.empty() ? kEmptyHeight : *std::max_element(heights.begin(), heights.end());

    int x = kFrame;
    for (size_t c = 0; c < columns_.size(); ++c) {
        if (c > 0)
            x += kColumnGap;
        columns_[c].x = x;
        x += columns_[c].width;
    }
    std::vector<int> y(columns_.size(), kFrame);
    for (size_t i = 0; i < n; ++i) {
        const int c = columnOf_[i];
        const int height = items_[i].kind == ItemKind::SideBar ? contentHeight : sizes[i].height();
        rects_[i] = QRect(columns_[size_t(c)].x, y[size_t(c)], columns_[size_t(c)].width, height);
        y[size_t(c)] += height;
    }
    const int width = columns_.empty() ? kEmptyWidth : x - kFrame;
    size_ = QSize(width + 2 * kFrame, contentHeight + 2 * kFrame);
}

QSize PopupMenu::sizeHint() const {
    EnsureLayout();
    return size_;
}

QRect PopupMenu::ItemRect(int id) const {
    return ItemRectAt(IndexOf(id));
}

QRect PopupMenu::ItemRectAt(int index) const {
    if (index < 0 || index >= Count())
        return {};
    EnsureLayout();
    return rects_[size_t(index)];
}

int PopupMenu::ColumnCount() const {
    EnsureLayout();
    return int(columns_.size());
}

int PopupMenu::ColumnOf(int index) const {
    if (index < 0 || index >= Count())
        return -1;
    EnsureLayout();
    return columnOf_[size_t(index)];
}

QRect PopupMenu::PlaceMenu(QSize size, QPoint anchor, bool rightAlign, const QRect& screen) {
    const int screenRight = screen.x() + screen.width();
    const int screenBottom = screen.y() + screen.height();
    int x = rightAlign ? anchor.x() - size.width() : anchor.x();
    if (x < screen.x() && rightAlign)
        x = anchor.x(); // no room to its left: start at the anchor instead
    if (x + size.width() > screenRight)
        x = screenRight - size.width();
    x = std::max(x, screen.x());
    int y = anchor.y();
    if (y + size.height() > screenBottom)
        y = anchor.y() - size.height();
    if (y < screen.y())
        y = std::max(screen.y(), std::min(anchor.y(), screenBottom - size.height()));
    return {QPoint(x, y), size};
}

QRect PopupMenu::PlaceSubmenu(QSize size, const QRect& item, const QRect& screen) {
    const int screenRight = screen.x() + screen.width();
    const int screenBottom = screen.y() + screen.height();
    int x = item.x() + item.width();
    if (x + size.width() > screenRight)
        x = item.x() - size.width(); // flip to the left
    if (x < screen.x())
        x = std::max(screen.x(), screenRight - size.width());
    int y = item.y() - kFrame; // first item level with the one that opens it
    if (y + size.height() > screenBottom)
        y = screenBottom - size.height();
    y = std::max(y, screen.y());
    return {QPoint(x, y), size};
}

// ---------------------------------------------------------------- painting

void PopupMenu::paintEvent(QPaintEvent*) {
    EnsureLayout();
    QPainter painter(this);
    painter.fillRect(rect(), MenuColour());
    qDrawWinPanel(&painter, rect(), palette(), false);

    // The bar between columns.
    for (size_t c = 1; c < columns_.size(); ++c) {
        const int x = columns_[c].x - kColumnGap / 2 - 1;
        const int top = kFrame + 1;
        const int bottom = height() - kFrame - 2;
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(x, top, x, bottom);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(x + 1, top, x + 1, bottom);
    }
    for (int i = 0; i < Count(); ++i)
        DrawItem(painter, i);
}

void PopupMenu::DrawItem(QPainter& painter, int index) const {
    const Item& item = items_[size_t(index)];
    const QRect r = rects_[size_t(index)];
    const bool active = index == active_;
    switch (item.kind) {
    case ItemKind::Separator: {
        const int y = r.center().y();
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(r.left() + 1, y, r.right() - 1, y);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(r.left() + 1, y + 1, r.right() - 1, y + 1);
        return;
    }
    case ItemKind::SideBar: {
        // Black above, the bitmap at the bottom.
        painter.fillRect(r, Qt::black);
        const QPixmap& bitmap = item.picture;
        if (!bitmap.isNull())
            painter.drawPixmap(r.left(), r.bottom() + 1 - bitmap.height(), bitmap);
        return;
    }
    case ItemKind::Picture: {
        // The button on the menu colour, its transparent parts showing it.
        painter.fillRect(r, MenuColour());
        const QPixmap& picture =
            active && !item.selectedPicture.isNull() ? item.selectedPicture : item.picture;
        if (!picture.isNull()) {
            painter.drawPixmap(r.left() + (r.width() - picture.width()) / 2,
                               r.top() + (r.height() - picture.height()) / 2, picture);
            return;
        }
        break; // no picture: shown as text
    }
    case ItemKind::Command:
    case ItemKind::Submenu:
        break;
    }

    const QPalette::ColorGroup group = item.enabled ? QPalette::Active : QPalette::Disabled;
    if (active)
        painter.fillRect(r, palette().color(QPalette::Active, QPalette::Highlight));
    QColor textColour =
        palette().color(group, active ? QPalette::HighlightedText : QPalette::WindowText);
    if (!item.enabled && !active) {
        // Greyed text, etched as menus draw it.
        painter.setFont(ItemFont(item));
        painter.setPen(palette().color(QPalette::Light));
        const QRect textRect(r.left() + TextLeft() + 1, r.top() + 1,
                             r.width() - TextLeft() - ArrowColumn(), r.height());
        painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextShowMnemonic,
                         MainText(item.text));
        textColour = palette().color(QPalette::Disabled, QPalette::WindowText);
    }
    painter.setPen(textColour);
    painter.setFont(ItemFont(item));

    if (item.checked) {
        const int size = CheckMarkWidth() - 4;
        const QRect box(r.left() + (TextLeft() - size) / 2, r.top() + (r.height() - size) / 2, size,
                        size);
        QPen pen(textColour, 2);
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(pen);
        const QPointF points[3] = {
            QPointF(box.left() + size * 0.1, box.top() + size * 0.55),
            QPointF(box.left() + size * 0.4, box.top() + size * 0.85),
            QPointF(box.left() + size * 0.95, box.top() + size * 0.15),
        };
        painter.drawPolyline(points, 3);
        painter.restore();
    }

    const QRect textRect(r.left() + TextLeft(), r.top(), r.width() - TextLeft() - ArrowColumn(),
                         r.height());
    const int mnemonic = style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, this)
                             ? Qt::TextShowMnemonic
                             : Qt::TextHideMnemonic;
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | mnemonic, MainText(item.text));
    const QString shortcut = ShortcutText(item.text);
    if (!shortcut.isEmpty())
        painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignRight, shortcut);

    if (item.kind == ItemKind::Submenu) {
        const int h = std::min(8, r.height() / 2);
        const int x = r.right() - ArrowColumn() / 2 - h / 4;
        const int y = r.center().y();
        const QPoint arrow[3] = {QPoint(x, y - h / 2), QPoint(x + h / 2, y), QPoint(x, y + h / 2)};
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(textColour);
        painter.setPen(Qt::NoPen);
        painter.drawPolygon(arrow, 3);
        painter.restore();
    }
}

// ---------------------------------------------------------------- the chain

PopupMenu* PopupMenu::Root() {
    PopupMenu* menu = this;
    while (menu->parent_)
        menu = menu->parent_;
    return menu;
}

PopupMenu* PopupMenu::Deepest() {
    PopupMenu* menu = this;
    while (menu->openChild_)
        menu = menu->openChild_;
    return menu;
}

// The innermost open menu of the chain under a screen point.
PopupMenu* PopupMenu::MenuAt(QPoint global) {
    std::vector<PopupMenu*> chain;
    for (PopupMenu* menu = Root(); menu && menu->isVisible(); menu = menu->openChild_)
        chain.push_back(menu);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if ((*it)->geometry().contains(global))
            return *it;
    }
    return nullptr;
}

void PopupMenu::Popup(QPoint anchor, bool rightAlign) {
    if (parent_) // a submenu opens from its parent
        return;
    EnsureLayout();
    const QScreen* screen = ScreenFor(anchor);
    const QRect area = screen ? screen->geometry() : QRect(QPoint(0, 0), size_);
    setGeometry(PlaceMenu(size_, anchor, rightAlign, area));
    active_ = -1;
    pressedInChain_ = false;
    openCursor_ = QCursor::pos();
    open_ = true;
    show();
}

int PopupMenu::Exec(QPoint anchor, bool rightAlign) {
    int chosen = 0;
    QEventLoop loop;
    QPointer<PopupMenu> self(this);
    const auto onTriggered =
        connect(this, &PopupMenu::Triggered, [&chosen](int id) { chosen = id; });
    const auto onClosed = connect(this, &PopupMenu::Closed, &loop, &QEventLoop::quit);
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    Popup(anchor, rightAlign);
    if (open_)
        loop.exec();
    if (self) {
        disconnect(onTriggered);
        disconnect(onClosed);
    }
    return chosen;
}

void PopupMenu::CloseMenu() {
    Root()->Finish(0);
}

void PopupMenu::Finish(int id) {
    if (parent_) {
        Root()->Finish(id);
        return;
    }
    if (!open_)
        return;
    open_ = false;
    submenuTimer_.stop();
    CloseChild();
    hide();
    if (id != 0)
        emit Triggered(id);
    emit Closed();
}

void PopupMenu::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    WriteItemMap();
}

void PopupMenu::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    submenuTimer_.stop();
    CloseChild();
    if (parent_) {
        if (parent_->openChild_ == this)
            parent_->openChild_ = nullptr;
        return;
    }
    // Closed from outside (another window took the input): no choice.
    if (open_)
        Finish(0);
}

void PopupMenu::CloseChild() {
    if (!openChild_)
        return;
    PopupMenu* child = openChild_;
    child->CloseChild();
    openChild_ = nullptr;
    child->submenuTimer_.stop();
    child->hide();
}

void PopupMenu::OpenSubmenuAt(int index, bool selectFirst) {
    const Item& item = items_[size_t(index)];
    if (item.kind != ItemKind::Submenu || !item.enabled || !item.submenu)
        return;
    submenuTimer_.stop();
    PopupMenu* child = item.submenu;
    SetActive(index);
    if (openChild_ != child) {
        CloseChild();
        child->EnsureLayout();
        const QRect itemGlobal(mapToGlobal(ItemRectAt(index).topLeft()), ItemRectAt(index).size());
        const QScreen* screen = this->screen() ? this->screen() : ScreenFor(itemGlobal.center());
        const QRect area = screen ? screen->geometry() : QRect(QPoint(0, 0), child->size_);
        child->setGeometry(PlaceSubmenu(child->size_, itemGlobal, area));
        child->active_ = -1;
        openChild_ = child;
        child->show();
    }
    if (selectFirst) {
        for (int i = 0; i < child->Count(); ++i) {
            if (child->Selectable(i)) {
                child->SetActive(i);
                break;
            }
        }
    }
}

int PopupMenu::SubmenuDelay() {
    const int delay = Root()->submenuDelay_;
    if (delay >= 0)
        return delay;
    const int styled = style()->styleHint(QStyle::SH_Menu_SubMenuPopupDelay, nullptr, this);
    return styled > 0 ? styled : kFallbackDelayMs;
}

void PopupMenu::StartSubmenuTimer() {
    const int delay = SubmenuDelay();
    if (delay == 0) {
        OnSubmenuTimer();
        return;
    }
    submenuTimer_.start(delay);
}

// After the hover delay: open the hovered submenu, or close the open one
// when the pointer rests on another item.
void PopupMenu::OnSubmenuTimer() {
    if (active_ >= 0 && items_[size_t(active_)].kind == ItemKind::Submenu) {
        OpenSubmenuAt(active_, false);
        return;
    }
    CloseChild();
}

// ------------------------------------------------------------------- items

bool PopupMenu::Selectable(int index) const {
    const ItemKind kind = items_[size_t(index)].kind;
    return kind != ItemKind::Separator && kind != ItemKind::SideBar;
}

int PopupMenu::HitTest(QPoint pos) const {
    EnsureLayout();
    for (int i = 0; i < Count(); ++i) {
        if (rects_[size_t(i)].contains(pos))
            return Selectable(i) ? i : -1;
    }
    return -1;
}

void PopupMenu::SetActive(int index) {
    if (index == active_)
        return;
    active_ = index;
    update();
}

// Up and Down: the next item in order that can be highlighted, round the end.
void PopupMenu::MoveActive(int step) {
    const int n = Count();
    if (n == 0)
        return;
    int i = active_ < 0 ? (step > 0 ? -1 : n) : active_;
    for (int tries = 0; tries < n; ++tries) {
        i = ((i + step) % n + n) % n;
        if (Selectable(i)) {
            SetActive(i);
            return;
        }
    }
}

// Left and Right: the item of the next column over that is level with the
// highlighted one; false when no column that way has one.
bool PopupMenu::MoveToColumn(int direction) {
    EnsureLayout();
    const int columns = int(columns_.size());
    const int from = active_ >= 0 ? columnOf_[size_t(active_)] : (direction > 0 ? -1 : columns);
    const int level = active_ >= 0 ? rects_[size_t(active_)].center().y() : 0;
    for (int c = from + direction; c >= 0 && c < columns; c += direction) {
        int best = -1;
        int bestDistance = 0;
        for (int i = 0; i < Count(); ++i) {
            if (columnOf_[size_t(i)] != c || !Selectable(i))
                continue;
            const int distance = std::abs(rects_[size_t(i)].center().y() - level);
            if (best < 0 || distance < bestDistance) {
                best = i;
                bestDistance = distance;
            }
        }
        if (best >= 0) {
            SetActive(best);
            return true;
        }
    }
    return false;
}

void PopupMenu::Activate(int index, bool byKeyboard) {
    if (index < 0 || index >= Count())
        return;
    const Item& item = items_[size_t(index)];
    if (!item.enabled)
        return;
    if (item.kind == ItemKind::Submenu)
        OpenSubmenuAt(index, byKeyboard);
    else if (Chooses(item.kind))
        Finish(item.id);
}

// ---------------------------------------------------------------- keyboard

void PopupMenu::keyPressEvent(QKeyEvent* event) {
    // Keys belong to the innermost open menu, whichever window got them.
    Root()->Deepest()->HandleKey(event);
}

void PopupMenu::HandleKey(QKeyEvent* event) {
    submenuTimer_.stop();
    switch (event->key()) {
    case Qt::Key_Up:
        MoveActive(-1);
        return;
    case Qt::Key_Down:
        MoveActive(1);
        return;
    case Qt::Key_Home:
        SetActive(-1);
        MoveActive(1);
        return;
    case Qt::Key_End:
        SetActive(-1);
        MoveActive(-1);
        return;
    case Qt::Key_Right:
        if (active_ >= 0 && items_[size_t(active_)].kind == ItemKind::Submenu &&
            items_[size_t(active_)].enabled) {
            OpenSubmenuAt(active_, true);
            return;
        }
        MoveToColumn(1);
        return;
    case Qt::Key_Left:
        if (MoveToColumn(-1))
            return;
        if (parent_)
            parent_->CloseChild();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        Activate(active_, true);
        return;
    case Qt::Key_Escape:
        if (parent_)
            parent_->CloseChild();
        else
            Finish(0);
        return;
    default:
        break;
    }
    QString key = event->text();
    if (key.isEmpty() && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z)
        key = QChar(u'a' + (event->key() - Qt::Key_A)); // Alt+letter may come without text
    if (!key.isEmpty() && key[0].isPrint())
        HandleMnemonic(key);
}

// The one item with this mnemonic is chosen (a submenu opens); among
// several, the highlight moves to the next one.
void PopupMenu::HandleMnemonic(const QString& key) {
    const QString folded = key.toCaseFolded();
    std::vector<int> matches;
    for (int i = 0; i < Count(); ++i) {
        const Item& item = items_[size_t(i)];
        if (Selectable(i) && !item.text.isEmpty() && MnemonicOf(item.text).toCaseFolded() == folded)
            matches.push_back(i);
    }
    if (matches.empty())
        return;
    if (matches.size() == 1) {
        SetActive(matches.front());
        Activate(matches.front(), true);
        return;
    }
    const auto next = std::upper_bound(matches.begin(), matches.end(), active_);
    SetActive(next == matches.end() ? matches.front() : *next);
}

// ------------------------------------------------------------------- mouse

void PopupMenu::mouseMoveEvent(QMouseEvent* event) {
    Root()->RouteMove(event->globalPosition().toPoint(), event->buttons());
}

void PopupMenu::mousePressEvent(QMouseEvent* event) {
    Root()->RoutePress(event->globalPosition().toPoint());
}

void PopupMenu::mouseReleaseEvent(QMouseEvent* event) {
    Root()->RouteRelease(event->globalPosition().toPoint(), event->button());
}

void PopupMenu::RouteMove(QPoint global, Qt::MouseButtons buttons) {
    // Dragging with a button held from the opening click makes its release count.
    if (buttons != Qt::NoButton &&
        (global - openCursor_).manhattanLength() >= QApplication::startDragDistance())
        pressedInChain_ = true;
    PopupMenu* menu = MenuAt(global);
    if (!menu) {
        // Off the menus: an item with an open submenu stays highlighted.
        PopupMenu* deepest = Deepest();
        deepest->submenuTimer_.stop();
        if (!deepest->openChild_)
            deepest->SetActive(-1);
        return;
    }
    // The menus above it highlight the item that leads to it.
    for (PopupMenu* child = menu; child->parent_; child = child->parent_) {
        PopupMenu* parent = child->parent_;
        parent->submenuTimer_.stop();
        for (int i = 0; i < parent->Count(); ++i) {
            if (parent->items_[size_t(i)].submenu == child)
                parent->SetActive(i);
        }
    }
    const int index = menu->HitTest(menu->mapFromGlobal(global));
    if (index == menu->active_)
        return;
    if (index < 0) {
        menu->submenuTimer_.stop();
        if (!menu->openChild_)
            menu->SetActive(-1);
        return;
    }
    menu->SetActive(index);
    const bool opensSubmenu = menu->items_[size_t(index)].kind == ItemKind::Submenu &&
                              menu->items_[size_t(index)].submenu != menu->openChild_;
    if (opensSubmenu || menu->openChild_)
        menu->StartSubmenuTimer();
    else
        menu->submenuTimer_.stop();
}

void PopupMenu::RoutePress(QPoint global) {
    PopupMenu* menu = MenuAt(global);
    if (!menu) {
        Finish(0); // a click outside the menus closes them
        return;
    }
    pressedInChain_ = true;
    const int index = menu->HitTest(menu->mapFromGlobal(global));
    // A click beside the item of the open submenu closes that submenu.
    if (menu->openChild_ && (index < 0 || menu->items_[size_t(index)].submenu != menu->openChild_))
        menu->CloseChild();
    if (index < 0)
        return;
    menu->SetActive(index);
    if (menu->items_[size_t(index)].kind == ItemKind::Submenu)
        menu->OpenSubmenuAt(index, false);
}

void PopupMenu::RouteRelease(QPoint global, Qt::MouseButton button) {
    if (button != Qt::LeftButton && !(button == Qt::RightButton && rightButtonTracking_))
        return;
    // The release of the click that opened the menu chooses nothing.
    if (!pressedInChain_)
        return;
    PopupMenu* menu = MenuAt(global);
    if (!menu)
        return;
    const int index = menu->HitTest(menu->mapFromGlobal(global));
    if (index < 0 || !Chooses(menu->items_[size_t(index)].kind))
        return;
    menu->Activate(index, false);
}

// ----------------------------------------------------------------- item map

void PopupMenu::WriteItemMap() const {
    const QString path = qEnvironmentVariable("ZEB_MENU_MAP");
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(parent_ ? QIODevice::Append : (QIODevice::WriteOnly | QIODevice::Truncate)))
        return;
    QTextStream out(&file);
    const QRect g = geometry();
    out << "menu " << g.x() << ' ' << g.y() << ' ' << g.width() << ' ' << g.height() << ' '
        << windowTitle() << '\n';
    for (int i = 0; i < Count(); ++i) {
        const Item& item = items_[size_t(i)];
        if (item.kind == ItemKind::Separator)
            continue;
        const QRect r(mapToGlobal(ItemRectAt(i).topLeft()), ItemRectAt(i).size());
        out << "item " << item.id << ' ' << r.x() << ' ' << r.y() << ' ' << r.width() << ' '
            << r.height() << ' ' << DisplayText(MainText(item.text)) << '\n';
    }
}

} // namespace zeb
