#include "ui/AboutBox.h"

#include "resources/DialogTexts.h"
#include "resources/ImageNames.h"
#include "resources/LanguageResources.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include "ui/DialogControls.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#ifndef ZEB_VERSION
#define ZEB_VERSION "0"
#endif

namespace zeb {

namespace {

bool OpenWithDesktop(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

bool AskWithMessageBox(QWidget* parent, const QString& text) {
    QPointer<QMessageBox> box = NewYesNoQuestion(parent, text);
    int answer = box->exec();
    delete box;
    return answer == QMessageBox::Yes;
}

} // namespace

QMessageBox* NewYesNoQuestion(QWidget* parent, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("ZEB"), text,
                                QMessageBox::Yes | QMessageBox::No, parent);
    box->setDefaultButton(QMessageBox::No);
    return box;
}

AboutBox::AboutBox(int language, UrlOpener opener, YesNoQuestion ask, QWidget* parent)
    : QDialog(parent), language_(language), opener_(std::move(opener)), ask_(std::move(ask)) {
    auto text = [language](int control) {
        return FromUtf8(UiDialogText(language, IDD_ABOUT, control));
    };
    setObjectName(QStringLiteral("dlg-%1").arg(LocalizedResourceId(language, IDD_ABOUT)));
    setWindowTitle(text(kDialogCaption));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    auto* picture = new QLabel(this);
    SetControlId(picture, IDC_ABOUT_PICTURE);
    picture->setPixmap(QPixmap(QString::fromLatin1(ImagePath(IconId::Program, 48))));
    picture->setAlignment(Qt::AlignTop);

    auto* name = new QLabel(text(IDC_ABOUT_NAME), this);
    SetControlId(name, IDC_ABOUT_NAME);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    auto* version = new QLabel(text(IDC_ABOUT_VERSION).arg(QString::fromLatin1(ZEB_VERSION)), this);
    SetControlId(version, IDC_ABOUT_VERSION);

    auto* mail = new QPushButton(text(IDC_ABOUT_MAIL), this);
    SetControlId(mail, IDC_ABOUT_MAIL);
    mail->setAutoDefault(false);
    auto* web = new QPushButton(text(IDC_ABOUT_WEB), this);
    SetControlId(web, IDC_ABOUT_WEB);
    web->setAutoDefault(false);
    auto* ok = new QPushButton(text(IDOK), this);
    SetControlId(ok, IDOK);
    ok->setDefault(true);
    connect(mail, &QPushButton::clicked, this, &AboutBox::MailAuthor);
    connect(web, &QPushButton::clicked, this, &AboutBox::OpenHomePage);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(version);
    texts->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(mail);
    buttons->addWidget(web);
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void AboutBox::MailAuthor() {
    // The question runs an event loop of its own, in which the box may be
    // closed and deleted: keep copies and watch it.
    QPointer<AboutBox> self(this);
    YesNoQuestion ask = ask_;
    UrlOpener opener = opener_;
    bool yes = ask(this, FromUtf8(UiString(language_, IDS_ASK_MAIL_AUTHOR)));
    if (yes)
        opener(QUrl(QStringLiteral("mailto:") + QString::fromLatin1(kAuthorMailAddress)));
    if (self)
        accept();
}

void AboutBox::OpenHomePage() {
    opener_(QUrl(QString::fromLatin1(kHomePageAddress)));
    accept();
}

AboutBoxHolder::AboutBoxHolder(QWidget* parent, UrlOpener opener, YesNoQuestion ask)
    : parent_(parent), opener_(opener ? std::move(opener) : UrlOpener(OpenWithDesktop)),
      ask_(ask ? std::move(ask) : YesNoQuestion(AskWithMessageBox)) {}

AboutBoxHolder::~AboutBoxHolder() {
    delete box_.data();
}

void AboutBoxHolder::Show(int language) {
    if (!IsOpen()) {
        if (box_)
            box_->deleteLater(); // closed, its deletion still pending
        box_ = new AboutBox(language, opener_, ask_, parent_);
        box_->show();
    }
    box_->raise();
    box_->activateWindow();
}

void AboutBoxHolder::Close() {
    if (box_)
        box_->close();
}

bool AboutBoxHolder::IsOpen() const {
    return box_ && box_->isVisible();
}

AboutBox* AboutBoxHolder::Box() const {
    return IsOpen() ? box_.data() : nullptr;
}

} // namespace zeb
