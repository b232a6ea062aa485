#pragma once

#include "shell/FileTransferJob.h"

#include <QWidget>
#include <functional>
#include <memory>

class QLabel;
class QProgressBar;

namespace zeb {

// Dialog 164: the small window without caption that a copy or a move shows
// over the playlist window: the file in hand, a bar counting the rows, and
// Cancel, which ends the job after the file in hand (its partial copy is
// dropped). It runs the job and deletes itself when the job is over.
class FileProgressWindow : public QWidget, private FileTransferListener {
    Q_OBJECT
public:
    FileProgressWindow(int language, QWidget* over);
    ~FileProgressWindow() override;
    // Starts copying (or moving) the files of `rows` into `target`;
    // `whenDone` runs at the end unless the window was closed before.
    void Run(CMainWnd& wnd, std::vector<int> rows, const std::string& target, bool moveFiles,
             std::function<void()> whenDone);

private:
    void ShowFile(const std::string& name) override;
    void ShowProgress(int done, int total) override;
    bool AskOverwrite(const std::string& dest) override;
    void Finished() override;

    QLabel* text_;
    QProgressBar* bar_;
    std::shared_ptr<FileTransferJob> job_;
    std::function<void()> whenDone_;
    int language_;
};

} // namespace zeb
