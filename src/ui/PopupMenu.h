#pragma once

#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <vector>

namespace zeb {

// A desktop popup menu of our own: command, separator and submenu items,
// picture items and a side bar, items in several columns with a bar between
// them, a bold default item, mnemonics that choose the one matching item or
// step among several, and right-button tracking. The menu that is shown
// first is the top of a chain; its open submenus hang below it. Commands are
// reported by the top menu, once, through Triggered; Closed follows when the
// chain has closed, whether a command was chosen or not.
//
// Every menu window has the object name "zeb-menu"; the top menu's window
// title is "zeb menu", a submenu's "zeb submenu: <item text>". When the
// environment variable ZEB_MENU_MAP names a file, each menu that opens writes
// its items' screen rectangles there (the top menu starts the file afresh):
//     menu <x> <y> <width> <height> <title>
//     item <id> <x> <y> <width> <height> <text>
class PopupMenu : public QWidget {
    Q_OBJECT
public:
    enum class ItemKind {
        Command,   // sends its id
        Separator, // a dividing line
        Submenu,   // opens an owned child menu
        Picture,   // sends its id; draws a picture instead of its text
        SideBar,   // a strip as tall as the menu; does nothing
    };

    struct Item {
        ItemKind kind = ItemKind::Command;
        int id = 0;
        // '&' marks the mnemonic, "&&" shows one '&', '\t' starts the shortcut
        // text. A picture item keeps its text for its mnemonic and for tools.
        QString text;
        bool checked = false;
        bool enabled = true;
        bool isDefault = false;   // drawn bold
        bool columnBreak = false; // starts a new column, with a bar before it
        QPixmap picture;          // a picture item's normal look, or the side bar
        QPixmap selectedPicture;  // a picture item's look while highlighted
        PopupMenu* submenu = nullptr;
    };

    static constexpr int kSideBarId = 999;
    static constexpr int kPictureHeight = 18;
    static constexpr int kPictureWidth = 90; // with the check-mark room on either side
    static constexpr int kSideBarWidth = 20; // with the check-mark room beside it

    explicit PopupMenu(QWidget* parent = nullptr);
    ~PopupMenu() override;

    // ---------------------------------------------------------------- items
    // Each returns the index of the new item.
    // A Submenu item's menu becomes a child of this one; one without a menu
    // gets a new, empty one.
    int AddItem(Item item);
    int AddCommand(int id, const QString& text, bool enabled = true, bool checked = false);
    int AddSeparator();
    int AddPicture(int id, const QString& text, const QPixmap& normal, const QPixmap& selected);
    int AddSideBar(const QPixmap& bitmap);
    // The new child menu, owned by this one.
    PopupMenu* AddSubmenu(const QString& text, bool enabled = true);

    int Count() const { return int(items_.size()); }
    const Item& ItemAt(int index) const { return items_[size_t(index)]; }
    void SetChecked(int index, bool on);
    void SetEnabled(int index, bool on);
    void SetDefault(int index, bool on);
    void SetColumnBreak(int index, bool on);

    // The index in this menu of the first item with this id, or -1.
    int IndexOf(int id) const;
    // The first item with this id in this menu or below it, depth first.
    const Item* FindItem(int id) const;
    // The menu (this one or one below it) that holds the item with this id.
    PopupMenu* MenuOf(int id);
    // The submenu of the item at `index`, or of the first item whose text,
    // with or without its '&' marks, is `title`; nullptr when there is none.
    PopupMenu* Submenu(int index) const;
    PopupMenu* Submenu(const QString& title) const;
    // The text of the item that opens this menu (empty for a top menu).
    QString Title() const { return title_; }
    PopupMenu* ParentMenu() const { return parent_; }

    // ---------------------------------------------------------------- layout
    // Item rectangles in this menu's coordinates; empty when there is none.
    QRect ItemRect(int id) const;
    QRect ItemRectAt(int index) const;
    int ColumnCount() const;
    int ColumnOf(int index) const;
    // The width of the menus' check mark, which owner-drawn items allow for.
    int CheckMarkWidth() const;
    // The colour behind items, pictures included.
    QColor MenuColour() const;
    QSize sizeHint() const override;

    // The text as shown: '&' marks dropped, "&&" as one '&'.
    static QString DisplayText(const QString& text);
    // The character after the mnemonic '&' (empty when there is none).
    static QString MnemonicOf(const QString& text);

    // Where a menu of `size` goes on `screen` for an anchor: starting at it,
    // or ending at it when right-aligned; above it when it does not fit
    // below; moved to stay on the screen.
    static QRect PlaceMenu(QSize size, QPoint anchor, bool rightAlign, const QRect& screen);
    // Where a submenu goes beside the item that opens it (global
    // coordinates): to its right, else to its left; moved up to stay on the
    // screen.
    static QRect PlaceSubmenu(QSize size, const QRect& item, const QRect& screen);

    // ---------------------------------------------------------------- use
    // Whether a release of the right button chooses an item too (the left
    // one always does).
    void SetRightButtonTracking(bool on) { rightButtonTracking_ = on; }
    // Delay before a hovered submenu opens or an open one closes; 0 acts at
    // once, -1 (the default) takes the style's delay. Set on a top menu it
    // holds for its whole chain.
    void SetSubmenuDelay(int ms) { submenuDelay_ = ms; }

    // Shows this menu as the top of a chain at the anchor (global coordinates).
    void Popup(QPoint anchor, bool rightAlign);
    // Shows the menu and waits until it closes: the chosen id, or 0.
    int Exec(QPoint anchor, bool rightAlign);
    // Closes the whole chain without a choice.
    void CloseMenu();
    bool IsOpen() const { return open_; }

    // The highlighted item of this menu, or -1; the open submenu or nullptr.
    int ActiveIndex() const { return active_; }
    PopupMenu* OpenSubmenu() const { return openChild_; }

signals:
    void Triggered(int id);
    void Closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Column {
        int first = 0; // index of its first item
        int x = 0;
        int width = 0;
    };

    PopupMenu* Root();
    PopupMenu* Deepest();
    PopupMenu* MenuAt(QPoint global);
    void Invalidate();
    void EnsureLayout() const;
    QSize MeasureItem(const Item& item) const;
    int TextItemHeight() const;
    int TextLeft() const;
    int ArrowColumn() const;
    QFont ItemFont(const Item& item) const;

    bool Selectable(int index) const;
    int HitTest(QPoint pos) const;
    void SetActive(int index);
    void MoveActive(int step);
    bool MoveToColumn(int direction);
    void HandleKey(QKeyEvent* event);
    void HandleMnemonic(const QString& key);
    void Activate(int index, bool byKeyboard);
    void OpenSubmenuAt(int index, bool selectFirst);
    void CloseChild();
    void Finish(int id);
    void StartSubmenuTimer();
    void OnSubmenuTimer();
    int SubmenuDelay();

    void RouteMove(QPoint global, Qt::MouseButtons buttons);
    void RoutePress(QPoint global);
    void RouteRelease(QPoint global, Qt::MouseButton button);

    void DrawItem(QPainter& painter, int index) const;
    void WriteItemMap() const;

    std::vector<Item> items_;
    QString title_;
    PopupMenu* parent_ = nullptr;    // the menu this one is a submenu of
    PopupMenu* openChild_ = nullptr; // the submenu shown now
    int active_ = -1;
    QTimer submenuTimer_;

    // Kept by the top menu for its chain.
    bool open_ = false;
    bool rightButtonTracking_ = false;
    int submenuDelay_ = -1;
    bool pressedInChain_ = false; // a button went down on the menus since they opened
    QPoint openCursor_;           // the cursor when the menu opened

    // Layout, computed when first needed after a change.
    mutable bool layoutValid_ = false;
    mutable std::vector<QRect> rects_;
    mutable std::vector<int> columnOf_;
    mutable std::vector<Column> columns_;
    mutable QSize size_;
};

} // namespace zeb
