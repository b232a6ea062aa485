#pragma once

#include <QString>
#include <QStringList>
#include <string>

class QFileDialog;

namespace zeb {

// A file name as the file system holds it, and as Qt shows it.
QString NativePath(const std::string& path);
std::string StdPath(const QString& path);

// Runs a file dialog of our own (not the desktop's, so it behaves alike
// everywhere) modally and deletes it: its selection when accepted, else
// nothing. The dialog may be destroyed while it runs, with its parent.
QStringList RunOwnFileDialog(QFileDialog* dialog);
// The first file of that selection, or an empty string.
QString RunOwnFileDialogForOne(QFileDialog* dialog);

} // namespace zeb
