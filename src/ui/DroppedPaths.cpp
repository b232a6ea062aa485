#include "ui/DroppedPaths.h"

#include <QFile>
#include <QMimeData>
#include <QUrl>

namespace zeb {

std::vector<std::string> LocalDroppedPaths(const QMimeData* data) {
    std::vector<std::string> paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
    }
    return paths;
}

} // namespace zeb
