#include "app/treepictures.h"

#include <QFile>

#include "platform/fileio.h"
#include "ui/querytree.h"

namespace mirel::app {

QString writeTreePictures(const QString& workspace) {
    for (const QString& name : ui::TreePictureNames) {
        const QString path = workspace + QLatin1Char('/') + name;
        if (platform::pathExists(path)) continue;
        QFile picture(QStringLiteral(":/pictures/") + name);
        if (!picture.open(QIODevice::ReadOnly) ||
            !platform::writeFileAtomic(path, picture.readAll()))
            return path;
    }
    return QString();
}

} // namespace mirel::app
