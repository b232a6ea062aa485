// Dialog controls carry their control id, as the object name "ctl-<id>" and
// as the dynamic property "ctlId", so that code and tests find them by id.
#pragma once

#include "resources/ResourceIds.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <string_view>

namespace zeb {

inline QString ControlObjectName(int id) {
    return QStringLiteral("ctl-%1").arg(id);
}

inline void SetControlId(QWidget* control, int id) {
    control->setObjectName(ControlObjectName(id));
    control->setProperty("ctlId", id);
}

// The control of this id inside `dialog`, or nullptr.
template <typename T = QWidget>
T* FindControl(const QWidget* dialog, int id) {
    return dialog->findChild<T*>(ControlObjectName(id));
}

// OK (the default button) and Cancel, with their control ids, wired to
// accept and reject.
inline QDialogButtonBox* AddOkCancel(QDialog* dialog, const QString& okText,
                                     const QString& cancelText) {
    auto* buttons = new QDialogButtonBox(dialog);
    QPushButton* ok = buttons->addButton(okText, QDialogButtonBox::AcceptRole);
    SetControlId(ok, IDOK);
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(cancelText, QDialogButtonBox::RejectRole);
    SetControlId(cancel, IDCANCEL);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

inline QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace zeb
