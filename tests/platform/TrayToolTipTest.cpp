// The tray icon's tooltip as a tooltip window shows it: a label that takes
// anything looking like markup for rich text.
#include "platform/XEmbedTrayIcon.h"

#include <QApplication>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace zeb {
namespace {

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "platform_tray_test";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance())
        new QApplication(argc, argv);
}

// The text a tooltip label draws for `tip` (Qt::AutoText).
QString DrawnText(const QString& tip) {
    if (!Qt::mightBeRichText(tip))
        return tip;
    QTextDocument document;
    document.setHtml(tip);
    return document.toPlainText().replace(QChar::Nbsp, u' ');
}

TEST(TrayToolTip, TitlesThatLookLikeMarkupAreShownAsWritten) {
    EnsureApplication();
    XEmbedTrayIcon icon;
    for (const QString title :
         {"1. Rock & Roll - 00:05/03:00", "2. <b>Bold</b>  &amp; <i>x - 00:00/00:01",
          "3. a < b > c - 01:00/02:00"}) {
        icon.SetToolTip(title);
        EXPECT_EQ(DrawnText(icon.ToolTip()).toStdString(), title.toStdString());
        EXPECT_EQ(icon.Name().toStdString(), title.toStdString()) << "the window name is plain";
    }
}

} // namespace
} // namespace zeb
