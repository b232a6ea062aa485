#include "ui/FileProgressWindow.h"

#include "resources/DialogTexts.h"
#include "resources/StringTable.h"
#include "ui/AboutBox.h"
#include "ui/DialogControls.h"

#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace zeb {

FileProgressWindow::FileProgressWindow(int language, QWidget* over)
    : QWidget(over, Qt::Tool | Qt::FramelessWindowHint), language_(language) {
    setObjectName(QStringLiteral("dlg-%1").arg(IDD_PROGRESS));
    setAttribute(Qt::WA_DeleteOnClose);
    text_ = new QLabel(this);
    text_->setMinimumHeight(text_->fontMetrics().height());
    SetControlId(text_, IDC_PROGRESS_TEXT);
    text_->setMinimumWidth(300);
    bar_ = new QProgressBar(this);
    SetControlId(bar_, IDC_PROGRESS_BAR);
    auto* cancel = new QPushButton(FromUtf8(UiDialogText(language, IDD_RENAME, IDCANCEL)), this);
    SetControlId(cancel, IDCANCEL);
    connect(cancel, &QPushButton::clicked, this, [this, cancel] {
        cancel->setEnabled(false);
        if (job_)
            job_->Cancel();
    });
    // Without a caption, a raised panel marks the window's edge.
    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(panel);
    auto* layout = new QVBoxLayout(panel);
    layout->addWidget(text_);
    layout->addWidget(bar_);
    layout->addWidget(cancel, 0, Qt::AlignRight);
}

FileProgressWindow::~FileProgressWindow() {
    if (job_) {
        job_->Detach();
        job_->Cancel();
        job_.reset();
    }
}

void FileProgressWindow::Run(CMainWnd& wnd, std::vector<int> rows, const std::string& target,
                             bool moveFiles, std::function<void()> whenDone) {
    whenDone_ = std::move(whenDone);
    bar_->setRange(0, int(rows.size()));
    bar_->setValue(0);
    adjustSize();
    if (QWidget* over = parentWidget()) {
        QRect area = over->frameGeometry();
        move(area.center() - rect().center());
    }
    show();
    raise();
    job_ = FileTransferJob::Start(wnd, std::move(rows), target, moveFiles, this);
}

// The title is never shown (no caption) but names the window to the desktop.
void FileProgressWindow::ShowFile(const std::string& name) {
    text_->setText(FromUtf8(name));
    setWindowTitle(FromUtf8(name));
}

void FileProgressWindow::ShowProgress(int done, int total) {
    bar_->setRange(0, total);
    bar_->setValue(done);
}

bool FileProgressWindow::AskOverwrite(const std::string& dest) {
    const QString text = FromUtf8(UiString(language_, IDS_OVERWRITE_FILE)) + QStringLiteral("\n") +
                         FromUtf8(dest) + QStringLiteral("?");
    QPointer<QMessageBox> box = NewYesNoQuestion(this, text);
    const int answer = box->exec();
    delete box;
    return answer == QMessageBox::Yes;
}

// Told from inside the job: the window goes once the job has returned.
void FileProgressWindow::Finished() {
    if (whenDone_)
        whenDone_();
    hide();
    deleteLater();
}

} // namespace zeb
