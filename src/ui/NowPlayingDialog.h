// The settings of the now-playing file: whether to keep it, where, the line
// for each state, code page conversion and removal at exit.
#pragma once

#include "shell/MainWndSettings.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace zeb {

// Dialog 131 (165 in Russian), in the language of settings.Language. It
// shows the W2F settings when made; OK copies the controls back into
// `settings` (check boxes as 0 or 1) and closes, Cancel leaves them as they
// were. The caller shows it (modally or not) and keeps `settings` alive
// while it is open.
class NowPlayingDialog : public QDialog {
    Q_OBJECT
public:
    explicit NowPlayingDialog(MainWndSettings& settings, QWidget* parent = nullptr);

    void accept() override;

    // "Gennemse": a save-file dialog for a text file; the chosen path goes
    // into the file field, nothing changes on cancel.
    void Browse();

private:
    MainWndSettings& settings_;
    QCheckBox* enable_;
    QLineEdit* file_;
    QLineEdit* play_;
    QLineEdit* pause_;
    QLineEdit* stop_;
    QLineEdit* exit_;
    QCheckBox* oem_;
    QCheckBox* deleteAtExit_;
};

} // namespace zeb
