#include "ui/OwnFileDialog.h"

#include <QFile>
#include <QFileDialog>
#include <QPointer>

namespace zeb {

QString NativePath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string StdPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QStringList RunOwnFileDialog(QFileDialog* raw) {
    QPointer<QFileDialog> dialog(raw);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    const int result = dialog->exec();
    QStringList chosen;
    if (dialog && result == QDialog::Accepted)
        chosen = dialog->selectedFiles();
    delete dialog;
    return chosen;
}

QString RunOwnFileDialogForOne(QFileDialog* dialog) {
    const QStringList chosen = RunOwnFileDialog(dialog);
    return chosen.isEmpty() ? QString() : chosen.first();
}

} // namespace zeb
