// The menu class driven as a user drives it: keys, mnemonics, mouse, and
// what it draws.
#include "ui/PopupMenu.h"

#include "MenuTestSupport.h"
#include "ui/SkinImages.h"

#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace zeb {
namespace {

using test::Hover;
using test::MenuRecord;
using Kind = PopupMenu::ItemKind;

void Key(QWidget* widget, Qt::Key key) {
    QTest::keyClick(widget, key);
}

// A key that types `text`, as a keyboard layout with that letter sends it.
void Type(QWidget* widget, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
}

void Click(QWidget* widget, QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(widget, button, Qt::NoModifier, pos);
}

class PopupMenuTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureApplication(); }

    // Alpha, -, Beta (greyed), Gamma | Delta, Epsilon, -
    static void FillTwoColumns(PopupMenu& menu) {
        menu.AddCommand(1, "Alpha");
        menu.AddSeparator();
        menu.AddCommand(2, "Beta", false);
        menu.AddCommand(3, "Gamma");
        const int delta = menu.AddCommand(4, "Delta");
        menu.SetColumnBreak(delta, true);
        menu.AddCommand(5, "Epsilon");
        menu.AddSeparator();
    }

    // &File, &Tools > (&Inner, Inner &two, &Deep > (&Leaf)), greyed &Off, -, &Quit
    struct Nested {
        PopupMenu root;
        PopupMenu* tools = nullptr;
        PopupMenu* deep = nullptr;
        Nested() {
            root.AddCommand(1, "&File");
            tools = root.AddSubmenu("&Tools");
            tools->AddCommand(10, "&Inner");
            tools->AddCommand(11, "Inner &two");
            deep = tools->AddSubmenu("&Deep");
            deep->AddCommand(20, "&Leaf");
            root.AddCommand(3, "&Off", false);
            root.AddSeparator();
            root.AddCommand(2, "&Quit");
        }
    };
};

TEST_F(PopupMenuTest, ArrowKeysMoveThroughItemsAndColumns) {
    PopupMenu menu;
    FillTwoColumns(menu);
    ASSERT_EQ(menu.ColumnCount(), 2);
    EXPECT_EQ(menu.ColumnOf(3), 0);
    EXPECT_EQ(menu.ColumnOf(4), 1);
    // Columns stand side by side from the top; the menu is as tall as the tallest.
    EXPECT_GT(menu.ItemRect(4).left(), menu.ItemRect(3).right());
    EXPECT_EQ(menu.ItemRect(4).top(), menu.ItemRect(1).top());
    EXPECT_LT(menu.ItemRectAt(6).bottom(), menu.ItemRect(3).bottom());
    EXPECT_EQ(menu.sizeHint().height() - 1 - menu.ItemRect(3).bottom(), menu.ItemRect(1).top());

    menu.Popup(QPoint(100, 100), false);
    std::vector<int> visited;
    for (int i = 0; i < 6; ++i) {
        Key(&menu, Qt::Key_Down);
        visited.push_back(menu.ActiveIndex());
    }
    // Separators are skipped, greyed items are not, and the end wraps round.
    EXPECT_EQ(visited, (std::vector<int>{0, 2, 3, 4, 5, 0}));
    Key(&menu, Qt::Key_Up);
    EXPECT_EQ(menu.ActiveIndex(), 5);
    Key(&menu, Qt::Key_Home);
    EXPECT_EQ(menu.ActiveIndex(), 0);
    Key(&menu, Qt::Key_End);
    EXPECT_EQ(menu.ActiveIndex(), 5);

    Key(&menu, Qt::Key_Home);
    Key(&menu, Qt::Key_Right); // level with Alpha
    EXPECT_EQ(menu.ActiveIndex(), 4);
    Key(&menu, Qt::Key_Right); // no column further right
    EXPECT_EQ(menu.ActiveIndex(), 4);
    Key(&menu, Qt::Key_Left);
    EXPECT_EQ(menu.ActiveIndex(), 0);
    Key(&menu, Qt::Key_End);
    Key(&menu, Qt::Key_Left); // from Epsilon to the nearest item at its level
    const int level = menu.ItemRectAt(5).center().y();
    const int chosen = menu.ActiveIndex();
    ASSERT_EQ(menu.ColumnOf(chosen), 0);
    for (int i : {0, 2, 3})
        EXPECT_LE(std::abs(menu.ItemRectAt(chosen).center().y() - level),
                  std::abs(menu.ItemRectAt(i).center().y() - level));
    EXPECT_TRUE(menu.IsOpen());
}

TEST_F(PopupMenuTest, ACommandIsReportedOnceAndGreyedItemsNever) {
    PopupMenu menu;
    FillTwoColumns(menu);
    MenuRecord record(menu);
    menu.Popup(QPoint(100, 100), false);
    Key(&menu, Qt::Key_Down);
    Key(&menu, Qt::Key_Down);
    ASSERT_EQ(menu.ActiveIndex(), 2); // Beta, greyed
    Key(&menu, Qt::Key_Return);
    Click(&menu, menu.ItemRect(2).center());
    EXPECT_TRUE(record.triggered.empty());
    EXPECT_TRUE(menu.isVisible());

    Key(&menu, Qt::Key_Down);
    Key(&menu, Qt::Key_Enter);
    EXPECT_EQ(record.triggered, std::vector<int>{3});
    EXPECT_EQ(record.closed, 1);
    EXPECT_FALSE(menu.isVisible());
    EXPECT_FALSE(menu.IsOpen());
    // Nothing more once it has closed.
    Key(&menu, Qt::Key_Return);
    menu.CloseMenu();
    EXPECT_EQ(record.triggered, std::vector<int>{3});
    EXPECT_EQ(record.closed, 1);
}

TEST_F(PopupMenuTest, MnemonicsChooseTheOnlyMatchAndStepAmongSeveral) {
    EXPECT_EQ(PopupMenu::DisplayText("Rock && Roll"), "Rock & Roll");
    EXPECT_EQ(PopupMenu::DisplayText("&Ærø\tCtrl+Æ"), "Ærø\tCtrl+Æ");
    EXPECT_EQ(PopupMenu::MnemonicOf("Rock && Roll"), "");
    EXPECT_EQ(PopupMenu::MnemonicOf("Rock && &Roll"), "R");
    EXPECT_EQ(PopupMenu::MnemonicOf("Save\t&Ctrl+S"), ""); // only before the shortcut

    PopupMenu menu;
    menu.AddCommand(1, "&Play");
    menu.AddCommand(2, "&Pause");
    menu.AddCommand(3, "&Stop");
    menu.AddCommand(4, "Rock && Roll");
    menu.AddCommand(5, "&Ærø");
    menu.AddCommand(6, "Save &As...\tCtrl+S");
    MenuRecord record(menu);
    menu.Popup(QPoint(10, 10), false);

    Type(&menu, "p");
    EXPECT_EQ(menu.ActiveIndex(), 0);
    Type(&menu, "P");
    EXPECT_EQ(menu.ActiveIndex(), 1);
    Type(&menu, "p");
    EXPECT_EQ(menu.ActiveIndex(), 0);
    Type(&menu, "&"); // "&&" is a shown '&', not a mnemonic
    Type(&menu, "r");
    EXPECT_EQ(menu.ActiveIndex(), 0);
    EXPECT_TRUE(record.triggered.empty());
    Type(&menu, "æ");
    EXPECT_EQ(record.triggered, std::vector<int>{5});

    PopupMenu again;
    again.AddCommand(5, "&Ærø");
    again.AddCommand(6, "Save &As...\tCtrl+S");
    MenuRecord second(again);
    again.Popup(QPoint(10, 10), false);
    Type(&again, "Æ");
    EXPECT_EQ(second.triggered, std::vector<int>{5});
}

TEST_F(PopupMenuTest, SubmenusOpenAndCloseByKeys) {
    Nested m;
    MenuRecord record(m.root);
    m.root.Popup(QPoint(50, 50), false);
    Key(&m.root, Qt::Key_Down);
    Key(&m.root, Qt::Key_Down);
    ASSERT_EQ(m.root.ActiveIndex(), 1);
    Key(&m.root, Qt::Key_Right);
    ASSERT_EQ(m.root.OpenSubmenu(), m.tools);
    EXPECT_TRUE(m.tools->isVisible());
    EXPECT_EQ(m.tools->ActiveIndex(), 0);
    EXPECT_EQ(m.tools->windowTitle(), "zeb submenu: Tools");
    // Keys go to the innermost menu whichever window gets them.
    Key(&m.root, Qt::Key_Down);
    EXPECT_EQ(m.tools->ActiveIndex(), 1);
    EXPECT_EQ(m.root.ActiveIndex(), 1);
    Key(m.tools, Qt::Key_Left);
    EXPECT_EQ(m.root.OpenSubmenu(), nullptr);
    EXPECT_FALSE(m.tools->isVisible());
    EXPECT_EQ(m.root.ActiveIndex(), 1);
    Key(&m.root, Qt::Key_Return);
    EXPECT_EQ(m.root.OpenSubmenu(), m.tools);
    Key(m.tools, Qt::Key_Escape); // one level only
    EXPECT_FALSE(m.tools->isVisible());
    EXPECT_TRUE(m.root.isVisible());

    Type(&m.root, "t");
    ASSERT_EQ(m.root.OpenSubmenu(), m.tools);
    Type(m.tools, "d");
    ASSERT_EQ(m.tools->OpenSubmenu(), m.deep);
    // A submenu sits beside the item that opens it.
    const QRect deepItem(m.tools->mapToGlobal(m.tools->ItemRectAt(2).topLeft()),
                         m.tools->ItemRectAt(2).size());
    EXPECT_TRUE(m.deep->geometry().left() == deepItem.right() + 1 ||
                m.deep->geometry().right() + 1 == deepItem.left());
    Type(m.deep, "l");
    EXPECT_EQ(record.triggered, std::vector<int>{20});
    EXPECT_EQ(record.closed, 1);
    EXPECT_FALSE(m.deep->isVisible());
    EXPECT_FALSE(m.tools->isVisible());
    EXPECT_FALSE(m.root.isVisible());

    m.root.Popup(QPoint(50, 50), false);
    Key(&m.root, Qt::Key_Escape);
    EXPECT_FALSE(m.root.isVisible());
    EXPECT_EQ(record.closed, 2);
    EXPECT_EQ(record.triggered, std::vector<int>{20});
}

TEST_F(PopupMenuTest, TheMouseChoosesByReleasingOnAnItem) {
    Nested m;
    m.root.SetRightButtonTracking(true);
    MenuRecord record(m.root);
    m.root.Popup(QPoint(60, 60), false);
    // The release of the click that opened the menu chooses nothing.
    QTest::mouseRelease(&m.root, Qt::LeftButton, Qt::NoModifier, m.root.ItemRect(2).center());
    EXPECT_TRUE(record.triggered.empty());
    Click(&m.root, m.root.ItemRect(3).center());   // greyed
    Click(&m.root, m.root.ItemRectAt(3).center()); // separator
    EXPECT_TRUE(record.triggered.empty());
    EXPECT_TRUE(m.root.isVisible());
    Click(&m.root, m.root.ItemRect(2).center());
    EXPECT_EQ(record.triggered, std::vector<int>{2});

    // A click on a submenu item opens it at once; its items are chosen alike.
    m.root.Popup(QPoint(60, 60), false);
    Click(&m.root, m.root.ItemRectAt(1).center());
    ASSERT_EQ(m.root.OpenSubmenu(), m.tools);
    Click(m.tools, m.tools->ItemRect(11).center());
    EXPECT_EQ(record.triggered, (std::vector<int>{2, 11}));
    EXPECT_FALSE(m.tools->isVisible());

    // Right-button tracking: a right release chooses as well.
    m.root.Popup(QPoint(60, 60), false);
    Click(&m.root, m.root.ItemRect(1).center(), Qt::RightButton);
    EXPECT_EQ(record.triggered, (std::vector<int>{2, 11, 1}));
    m.root.SetRightButtonTracking(false);
    m.root.Popup(QPoint(60, 60), false);
    Click(&m.root, m.root.ItemRect(1).center(), Qt::RightButton);
    EXPECT_EQ(record.triggered.size(), 3u);
    EXPECT_TRUE(m.root.isVisible());

    // A click outside the menus closes them all without a choice.
    Click(&m.root, m.root.ItemRectAt(1).center());
    ASSERT_TRUE(m.tools->isVisible());
    const int closedBefore = record.closed;
    Click(m.tools, QPoint(-200, -200));
    EXPECT_FALSE(m.tools->isVisible());
    EXPECT_FALSE(m.root.isVisible());
    EXPECT_EQ(record.closed, closedBefore + 1);
    EXPECT_EQ(record.triggered.size(), 3u);
}

TEST_F(PopupMenuTest, HoveringOpensSubmenusAndMovingOnClosesThem) {
    Nested m;
    m.root.Popup(QPoint(60, 60), false);
    // With a delay the submenu waits for its timer.
    Hover(&m.root, m.root.ItemRectAt(1).center());
    EXPECT_EQ(m.root.ActiveIndex(), 1);
    EXPECT_EQ(m.root.OpenSubmenu(), nullptr);
    m.root.CloseMenu();

    m.root.SetSubmenuDelay(0);
    m.root.Popup(QPoint(60, 60), false);
    Hover(&m.root, m.root.ItemRectAt(1).center());
    ASSERT_EQ(m.root.OpenSubmenu(), m.tools);
    EXPECT_EQ(m.tools->ActiveIndex(), -1);
    Hover(m.tools, m.tools->ItemRect(10).center());
    EXPECT_EQ(m.tools->ActiveIndex(), 0);
    EXPECT_EQ(m.root.ActiveIndex(), 1); // the way to it stays lit
    // Over the parent menu, in the submenu window's coordinates.
    const QPoint file = m.tools->mapFromGlobal(m.root.mapToGlobal(m.root.ItemRect(1).center()));
    Hover(m.tools, file);
    EXPECT_EQ(m.root.ActiveIndex(), 0);
    EXPECT_EQ(m.root.OpenSubmenu(), nullptr);
    Hover(&m.root, m.root.ItemRect(3).center()); // greyed items light up too
    EXPECT_EQ(m.root.ActiveIndex(), 2);
    Hover(&m.root, QPoint(-50, -50));
    EXPECT_EQ(m.root.ActiveIndex(), -1);
}

TEST_F(PopupMenuTest, MenusAreKeptOnTheScreen) {
    const QRect screen(0, 0, 800, 600);
    const QSize size(100, 200);
    // Right-aligned: the menu ends at the anchor.
    EXPECT_EQ(PopupMenu::PlaceMenu(size, {500, 300}, true, screen), QRect(400, 300, 100, 200));
    EXPECT_EQ(PopupMenu::PlaceMenu(size, {500, 300}, false, screen), QRect(500, 300, 100, 200));
    // Above the anchor when there is no room below.
    EXPECT_EQ(PopupMenu::PlaceMenu(size, {800, 600}, true, screen), QRect(700, 400, 100, 200));
    EXPECT_EQ(PopupMenu::PlaceMenu(size, {790, 450}, false, screen), QRect(700, 250, 100, 200));
    // No room to the left of a right-aligned anchor: it starts there instead.
    EXPECT_EQ(PopupMenu::PlaceMenu(size, {30, 0}, true, screen), QRect(30, 0, 100, 200));
    // Taller than the room above and below: moved onto the screen.
    EXPECT_EQ(PopupMenu::PlaceMenu({100, 500}, {300, 300}, false, screen),
              QRect(300, 100, 100, 500));
    // A second screen to the right.
    EXPECT_EQ(PopupMenu::PlaceMenu(size, {850, 100}, true, QRect(800, 0, 800, 600)),
              QRect(850, 100, 100, 200));

    const QRect item(100, 100, 150, 20);
    EXPECT_EQ(PopupMenu::PlaceSubmenu({120, 200}, item, screen).topLeft(), QPoint(250, 98));
    // No room to the right: to the left of the item.
    EXPECT_EQ(PopupMenu::PlaceSubmenu({120, 200}, QRect(640, 100, 150, 20), screen).left(), 520);
    // Near the bottom: moved up.
    EXPECT_EQ(PopupMenu::PlaceSubmenu({120, 200}, QRect(100, 550, 150, 20), screen).top(), 400);

    PopupMenu menu;
    for (int i = 0; i < 5; ++i)
        menu.AddCommand(i + 1, QString("Item %1").arg(i));
    const QRect area = QGuiApplication::primaryScreen()->geometry();
    menu.Popup(area.bottomRight() + QPoint(1, 1), true);
    EXPECT_TRUE(area.contains(menu.geometry()))
        << menu.geometry().x() << "," << menu.geometry().y();
    EXPECT_EQ(menu.geometry().right(), area.right());
    EXPECT_EQ(menu.geometry().bottom(), area.bottom());
    EXPECT_EQ(menu.windowTitle(), "zeb menu");
    EXPECT_EQ(menu.objectName(), "zeb-menu");
}

TEST_F(PopupMenuTest, SideBarAndPicturesTakeTheirOwnSizes) {
    PopupMenu menu;
    menu.AddSideBar(QPixmap(20, 100));
    const int first = menu.AddCommand(1, "A rather long first item");
    menu.SetColumnBreak(first, true);
    menu.AddPicture(2, "&Play", QPixmap(90, 18), QPixmap(90, 18));
    menu.AddSeparator();
    menu.AddCommand(3, "Last");
    ASSERT_EQ(menu.ColumnCount(), 2);
    EXPECT_EQ(menu.ItemAt(0).id, PopupMenu::kSideBarId);
    const QRect bar = menu.ItemRect(PopupMenu::kSideBarId);
    EXPECT_EQ(bar.width(), 20);
    EXPECT_LT(bar.right(), menu.ItemRect(1).left());
    // From the top of the first item to the bottom of the last.
    EXPECT_EQ(bar.top(), menu.ItemRect(1).top());
    EXPECT_EQ(bar.bottom(), menu.ItemRect(3).bottom());
    EXPECT_EQ(menu.ItemRect(2).height(), 18);
    EXPECT_EQ(menu.ItemRect(2).width(), menu.ItemRect(1).width());
    EXPECT_GT(menu.ItemRect(1).width(), 90);

    // The side bar does nothing when clicked.
    MenuRecord clicks(menu);
    menu.Popup(QPoint(100, 100), false);
    Click(&menu, bar.center());
    EXPECT_TRUE(clicks.triggered.empty());
    EXPECT_TRUE(menu.isVisible());

    // Alone in a menu, a picture item is exactly as wide as its buttons.
    PopupMenu pictures;
    pictures.AddPicture(1, "&Play", QPixmap(90, 18), QPixmap(90, 18));
    pictures.AddPicture(2, "&Stop", QPixmap(90, 18), QPixmap(90, 18));
    EXPECT_EQ(pictures.ItemRect(1).size(), QSize(90, 18));
    EXPECT_EQ(pictures.ItemRect(2).top(), pictures.ItemRect(1).bottom() + 1);
    // The item still answers to its mnemonic.
    MenuRecord record(pictures);
    pictures.Popup(QPoint(0, 0), false);
    Type(&pictures, "s");
    EXPECT_EQ(record.triggered, std::vector<int>{2});
}

TEST_F(PopupMenuTest, PicturesAreDrawnOnTheMenuColourAndChangeWhenHighlighted) {
    const SkinImages images = BuiltInSkinImages();
    PopupMenu menu;
    menu.AddPicture(949, "&Play", images.Button(0, false), images.Button(0, true));
    menu.AddCommand(1, "A long text item that widens the column a good deal");
    const QRect r = menu.ItemRect(949);
    ASSERT_GT(r.width(), 90);
    const QPoint origin(r.left() + (r.width() - 90) / 2, r.top());
    const QRgb menuColour = menu.MenuColour().rgb();

    // Each button pixel, or the menu colour where the button is transparent.
    auto matches = [&](const QImage& shown, const QPixmap& button, int& keyed) {
        const QImage b = button.toImage().convertToFormat(QImage::Format_ARGB32);
        keyed = 0;
        for (int y = 0; y < b.height(); ++y) {
            for (int x = 0; x < b.width(); ++x) {
                const QRgb want = qAlpha(b.pixel(x, y)) == 0 ? menuColour : b.pixel(x, y);
                keyed += qAlpha(b.pixel(x, y)) == 0;
                if ((shown.pixel(origin + QPoint(x, y)) | 0xFF000000u) != (want | 0xFF000000u))
                    return false;
            }
        }
        return true;
    };
    int keyed = 0;
    menu.Popup(QPoint(0, 0), false);
    const QImage normal = menu.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_TRUE(matches(normal, images.Button(0, false), keyed));
    EXPECT_GT(keyed, 0); // the strip's magenta showed the menu colour
    Key(&menu, Qt::Key_Down);
    ASSERT_EQ(menu.ActiveIndex(), 0);
    const QImage selected = menu.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_TRUE(matches(selected, images.Button(0, true), keyed));
    EXPECT_NE(normal, selected);
}

TEST_F(PopupMenuTest, TheSideBarShowsItsBitmapAtTheBottomAndBlackAbove) {
    const SkinImages images = BuiltInSkinImages();
    PopupMenu menu;
    menu.AddSideBar(images.sideBar);
    for (int i = 0; i < 12; ++i) {
        const int index = menu.AddCommand(i + 1, QString("Item %1").arg(i));
        menu.SetColumnBreak(index, i == 0);
    }
    const QRect bar = menu.ItemRect(PopupMenu::kSideBarId);
    ASSERT_GT(bar.height(), 100);
    const QImage shown = menu.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage bitmap = images.sideBar.toImage().convertToFormat(QImage::Format_RGB32);
    int mismatches = 0;
    for (int y = 0; y < bar.height(); ++y) {
        for (int x = 0; x < bar.width(); ++x) {
            const int fromBottom = bar.height() - y;
            const QRgb want = fromBottom <= 100 ? bitmap.pixel(x, 100 - fromBottom) : qRgb(0, 0, 0);
            mismatches += shown.pixel(bar.left() + x, bar.top() + y) != want;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST_F(PopupMenuTest, TheDefaultItemIsBold) {
    PopupMenu menu;
    menu.AddCommand(1, "Same words");
    const int second = menu.AddCommand(2, "Same words");
    menu.SetDefault(second, true);
    ASSERT_TRUE(menu.ItemAt(second).isDefault);
    const QImage shown = menu.grab().toImage();
    auto ink = [&](const QRect& r) {
        int dark = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                dark += qGray(shown.pixel(x, y)) < 128;
        return dark;
    };
    EXPECT_GT(ink(menu.ItemRect(2)), ink(menu.ItemRect(1)) * 11 / 10);
}

TEST_F(PopupMenuTest, ExecWaitsForTheChoice) {
    PopupMenu menu;
    menu.AddCommand(7, "&Seven");
    menu.AddCommand(8, "&Eight");
    QTimer::singleShot(0, &menu, [&menu] { Type(&menu, "e"); });
    EXPECT_EQ(menu.Exec(QPoint(20, 20), false), 8);
    QTimer::singleShot(0, &menu, [&menu] { Key(&menu, Qt::Key_Escape); });
    EXPECT_EQ(menu.Exec(QPoint(20, 20), false), 0);
}

TEST_F(PopupMenuTest, OpenMenusWriteTheirItemMapForTools) {
    QTemporaryDir dir;
    const QString path = dir.filePath("map.txt");
    qputenv("ZEB_MENU_MAP", path.toLocal8Bit());
    Nested m;
    m.root.Popup(QPoint(100, 120), false);
    Key(&m.root, Qt::Key_Down);
    Key(&m.root, Qt::Key_Down);
    Key(&m.root, Qt::Key_Right);
    qunsetenv("ZEB_MENU_MAP");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    const QRect quit(m.root.mapToGlobal(m.root.ItemRect(2).topLeft()), m.root.ItemRect(2).size());
    const QRect inner(m.tools->mapToGlobal(m.tools->ItemRect(11).topLeft()),
                      m.tools->ItemRect(11).size());
    auto line = [](int id, const QRect& r, const QString& text) {
        return QString("item %1 %2 %3 %4 %5 %6")
            .arg(id)
            .arg(r.x())
            .arg(r.y())
            .arg(r.width())
            .arg(r.height())
            .arg(text);
    };
    EXPECT_TRUE(lines.value(0).startsWith("menu 100 120 ")) << lines.value(0).toStdString();
    EXPECT_TRUE(lines.contains(line(2, quit, "Quit")));
    EXPECT_TRUE(lines.contains(line(11, inner, "Inner two")));
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const QString& l) {
        return l.startsWith("menu ") && l.endsWith("zeb submenu: Tools");
    }));
}

} // namespace
} // namespace zeb
