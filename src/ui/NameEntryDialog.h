#pragma once

#include <QDialog>
#include <optional>
#include <string>

class QLineEdit;

namespace zeb {

// Dialog 108 (158 in Russian): asks for a name, for instance of an equalizer
// preset.
class NameEntryDialog : public QDialog {
    Q_OBJECT
public:
    explicit NameEntryDialog(int language, QWidget* parent = nullptr);
    // The name as typed.
    std::string Name() const;

private:
    QLineEdit* edit_;
};

// The name typed in dialog 108; nothing on cancel. An empty name is a name.
std::optional<std::string> AskForName(QWidget* parent, int language);

} // namespace zeb
