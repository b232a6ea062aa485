// The rename dialog, offscreen: OK follows the template as it is typed.
#include "ui/RenameDialog.h"

#include "ModalDriver.h"
#include "resources/ResourceIds.h"
#include "ui/DialogControls.h"

#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace zeb {
namespace {

using test::ModalDriver;

TEST(RenameDialogTest, OkOnlyForTemplatesANameCanComeFrom) {
    test::EnsureApplication();
    std::vector<std::pair<QString, bool>> seen;
    auto driver = ModalDriver::For<RenameDialog>([&](RenameDialog* dialog) {
        auto* edit = FindControl<QLineEdit>(dialog, IDC_RENAME_TEMPLATE);
        auto* ok = FindControl<QPushButton>(dialog, IDOK);
        ASSERT_TRUE(edit && ok);
        seen.emplace_back(edit->text(), ok->isEnabled());
        for (const QString& text : {QStringLiteral("%1!"), QStringLiteral("%1?"),
                                    QStringLiteral(""), QStringLiteral("%1 | %3")}) {
            edit->setText(text);
            seen.emplace_back(text, ok->isEnabled());
        }
        ok->click();
    });
    std::optional<std::string> chosen = AskRenameTemplate(nullptr, 0, "%1 - %3");
    EXPECT_TRUE(driver->Ran());
    const std::vector<std::pair<QString, bool>> expected = {
        {"%1 - %3", true}, {"%1!", false}, {"%1?", false}, {"", false}, {"%1 | %3", true}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(chosen, std::optional<std::string>("%1 | %3"));

    auto cancel = ModalDriver::For<RenameDialog>([](RenameDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(AskRenameTemplate(nullptr, 1, "%1"), std::nullopt);
}

} // namespace
} // namespace zeb
