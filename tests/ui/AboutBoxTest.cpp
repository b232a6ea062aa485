// The about box offscreen: one instance, its texts and pictures, and the two
// link buttons with a recording link opener.
#include "ui/AboutBox.h"

#include "ModalDriver.h"
#include "resources/DialogTexts.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include "ui/DialogControls.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace zeb {
namespace {

class AboutBoxTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureApplication(); }

    // The holder with a recording opener and, unless `realQuestion`, a
    // recording question that answers no.
    std::unique_ptr<AboutBoxHolder> Holder(bool realQuestion = false) {
        YesNoQuestion ask;
        if (!realQuestion) {
            ask = [this](QWidget* parent, const QString& text) {
                asked_.push_back(text);
                askedOver_ = parent;
                return false;
            };
        }
        return std::make_unique<AboutBoxHolder>(
            nullptr,
            [this](const QUrl& url) {
                opened_.push_back(url.toString());
                return true;
            },
            ask);
    }
    static void Click(AboutBox* box, int id) {
        auto* button = FindControl<QPushButton>(box, id);
        ASSERT_NE(button, nullptr) << id;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    static QString Text(const AboutBox* box, int id) {
        auto* label = FindControl<QLabel>(box, id);
        if (auto* button = FindControl<QPushButton>(box, id))
            return button->text();
        return label ? label->text() : QString();
    }
    static int OpenBoxes() {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            n += qobject_cast<AboutBox*>(w) && w->isVisible();
        return n;
    }

    std::vector<QString> opened_;
    std::vector<QString> asked_;
    QWidget* askedOver_ = nullptr;
};

TEST_F(AboutBoxTest, OneModelessBoxAboveOtherWindowsWithPictureAndVersion) {
    auto holder = Holder();
    EXPECT_FALSE(holder->IsOpen());
    holder->Show(0);
    AboutBox* box = holder->Box();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(box->isModal());
    EXPECT_TRUE(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(box->windowTitle(), "Om ZEB");

    auto* picture = FindControl<QLabel>(box, IDC_ABOUT_PICTURE);
    ASSERT_NE(picture, nullptr);
    EXPECT_FALSE(picture->pixmap().isNull());
    EXPECT_EQ(Text(box, IDC_ABOUT_NAME), "ZEB MP3-afspiller");
    QString version = Text(box, IDC_ABOUT_VERSION);
    EXPECT_TRUE(version.startsWith("Version ")) << version.toStdString();
    EXPECT_FALSE(version.contains("%1"));

    // Showing again keeps the one box.
    holder->Show(0);
    EXPECT_EQ(holder->Box(), box);
    EXPECT_EQ(OpenBoxes(), 1);

    // OK closes it without opening anything; the box deletes itself.
    QPointer<AboutBox> watch(box);
    Click(box, IDOK);
    EXPECT_FALSE(holder->IsOpen());
    EXPECT_EQ(holder->Box(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());
    EXPECT_TRUE(opened_.empty());

    holder->Show(0);
    EXPECT_NE(holder->Box(), nullptr);
    holder->Close();
    EXPECT_FALSE(holder->IsOpen());
    EXPECT_EQ(OpenBoxes(), 0);
}

TEST_F(AboutBoxTest, HomePageButtonOpensTheHomePageAndCloses) {
    auto holder = Holder();
    holder->Show(0);
    Click(holder->Box(), IDC_ABOUT_WEB);
    EXPECT_EQ(opened_, std::vector<QString>{"https://example.org/zeb"});
    EXPECT_TRUE(asked_.empty());
    EXPECT_FALSE(holder->IsOpen());
}

TEST_F(AboutBoxTest, RussianTextsWhenTheLanguageIsNotDanish) {
    auto holder = Holder();
    holder->Show(1);
    AboutBox* box = holder->Box();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), "О программе ZEB");
    EXPECT_EQ(Text(box, IDC_ABOUT_WEB), "Домашняя страница...");
    EXPECT_TRUE(Text(box, IDC_ABOUT_VERSION).startsWith("Версия "));
    Click(box, IDC_ABOUT_MAIL);
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0], "Написать письмо автору ZEB?");
    EXPECT_EQ(askedOver_, box);
}

// The question as the user meets it: a real message box, driven offscreen.
TEST_F(AboutBoxTest, MailButtonAsksAndOpensTheMailLinkOnlyOnYes) {
    auto holder = Holder(true);
    for (bool yes : {false, true}) {
        holder->Show(0);
        AboutBox* box = holder->Box();
        ASSERT_NE(box, nullptr);
        auto driver = test::ModalDriver::For<QMessageBox>([&](QMessageBox* q) {
            EXPECT_EQ(q->windowTitle(), "ZEB");
            EXPECT_EQ(q->icon(), QMessageBox::Warning);
            EXPECT_EQ(q->text(), QString::fromUtf8(UiString(0, IDS_ASK_MAIL_AUTHOR)));
            EXPECT_EQ(q->standardButtons(), QMessageBox::Yes | QMessageBox::No);
            EXPECT_EQ(q->defaultButton(), q->button(QMessageBox::No));
            EXPECT_EQ(q->parentWidget(), box);
            QTest::mouseClick(q->button(yes ? QMessageBox::Yes : QMessageBox::No), Qt::LeftButton);
        });
        Click(box, IDC_ABOUT_MAIL);
        EXPECT_TRUE(driver->Ran());
        EXPECT_FALSE(holder->IsOpen());
    }
    EXPECT_EQ(opened_, std::vector<QString>{"mailto:zeb@example.org"});
}

// The exit sequence may close the box while its question is showing: the
// question goes with it and nothing is opened.
TEST_F(AboutBoxTest, ClosingWhileTheQuestionShowsTakesTheQuestionAlong) {
    auto holder = Holder(true);
    holder->Show(0);
    QPointer<AboutBox> box = holder->Box();
    QPointer<QMessageBox> question;
    auto driver = test::ModalDriver::For<QMessageBox>([&](QMessageBox* q) {
        question = q;
        holder->Close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    });
    Click(box, IDC_ABOUT_MAIL);
    EXPECT_TRUE(driver->Ran());
    EXPECT_TRUE(box.isNull());
    EXPECT_TRUE(question.isNull());
    EXPECT_FALSE(holder->IsOpen());
    EXPECT_TRUE(opened_.empty());
}

} // namespace
} // namespace zeb
