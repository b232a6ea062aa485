// The automation dialog (dialog 162, 163 in Russian): which steps a run
// takes, the watched folders and when runs happen. Its values go into the
// settings on OK; nothing is written to the settings file until the next save.
#pragma once

#include "shell/MainWndSettings.h"

#include <QDialog>
#include <functional>
#include <string>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QSpinBox;

namespace zeb {

struct AutomationDialogHooks {
    // "+": the folder the user chose, or empty. Without it a folder dialog
    // of our own asks.
    std::function<std::string(QWidget* parent)> chooseFolder;
    // OK changed AutPeriod: the period timer starts again with it.
    std::function<void()> periodChanged;
};

// Modeless; the caller shows it and keeps `settings` alive while it exists.
// Cancel and closing store nothing.
class AutomationDialog : public QDialog {
    Q_OBJECT
public:
    AutomationDialog(MainWndSettings& settings, AutomationDialogHooks hooks,
                     QWidget* parent = nullptr);

    void accept() override;

    // The period typed, at least one minute; an empty field gives one.
    int TypedPeriod() const;

private:
    QString Text(int control) const;
    QCheckBox* NewCheckBox(int id, int flag);
    QWidget* BuildFolders();
    QLayout* BuildPeriod();
    void AddFolder();
    void RemoveSelectedFolder();
    void FollowTypedPeriod(const QString& text);

    MainWndSettings& settings_;
    AutomationDialogHooks hooks_;
    const int language_;
    QCheckBox* saveSettings_ = nullptr;
    QCheckBox* sort_ = nullptr;
    QCheckBox* removeMissing_ = nullptr;
    QCheckBox* removeDuplicates_ = nullptr;
    QCheckBox* rescan_ = nullptr;
    QListWidget* folders_ = nullptr;
    QCheckBox* onStart_ = nullptr;
    QCheckBox* every_ = nullptr;
    QLineEdit* period_ = nullptr;
    QSpinBox* periodArrows_ = nullptr;
};

} // namespace zeb
