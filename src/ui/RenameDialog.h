#pragma once

#include <QDialog>
#include <optional>
#include <string>

class QLineEdit;
class QPushButton;

namespace zeb {

// Dialog 109 (159 in Russian): the rename template with its help; OK only
// while the template is one a file name can come from.
class RenameDialog : public QDialog {
    Q_OBJECT
public:
    RenameDialog(int language, const std::string& pattern, QWidget* parent = nullptr);
    std::string Pattern() const;

private:
    void FollowText();

    QLineEdit* edit_;
    QPushButton* ok_;
};

// The template confirmed in dialog 109, starting from `pattern`; nothing on
// cancel.
std::optional<std::string> AskRenameTemplate(QWidget* parent, int language,
                                             const std::string& pattern);

} // namespace zeb
