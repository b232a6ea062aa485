// The about box: the program's picture, name and version, and two links,
// one to mail the author and one to the home page.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QUrl>
#include <functional>

class QMessageBox;

namespace zeb {

inline constexpr char kAuthorMailAddress[] = "zeb@example.org";
inline constexpr char kHomePageAddress[] = "https://example.org/zeb";

// Hands a link to the desktop (mail program, web browser); true when it
// was taken. By default QDesktopServices::openUrl.
using UrlOpener = std::function<bool(const QUrl&)>;
// Asks a yes/no question over `parent`; true for yes. By default a message
// box made by NewYesNoQuestion.
using YesNoQuestion = std::function<bool(QWidget* parent, const QString& text)>;

// The message box of the mail button: caption "ZEB", the warning icon, Yes
// and No with No the default.
QMessageBox* NewYesNoQuestion(QWidget* parent, const QString& text);

// Dialog 101 (151 in Russian): modeless, above other windows, deletes
// itself when closed.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    AboutBox(int language, UrlOpener opener, YesNoQuestion ask, QWidget* parent = nullptr);

private:
    void MailAuthor();
    void OpenHomePage();

    int language_;
    UrlOpener opener_;
    YesNoQuestion ask_;
};

// Keeps the one about box: showing it again gives the open one the focus.
class AboutBoxHolder {
public:
    // Empty functions stand for the defaults.
    explicit AboutBoxHolder(QWidget* parent = nullptr, UrlOpener opener = {},
                            YesNoQuestion ask = {});
    ~AboutBoxHolder();
    AboutBoxHolder(const AboutBoxHolder&) = delete;
    AboutBoxHolder& operator=(const AboutBoxHolder&) = delete;

    void Show(int language);
    // Closes the box when it is open (the exit sequence does).
    void Close();
    bool IsOpen() const;
    // The open box, or nullptr.
    AboutBox* Box() const;

private:
    QWidget* parent_;
    UrlOpener opener_;
    YesNoQuestion ask_;
    QPointer<AboutBox> box_;
};

} // namespace zeb
