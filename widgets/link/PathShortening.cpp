#include "PathShortening.h"

namespace {

const QString kEllipsisDir = QStringLiteral("...\\");

// Removes the first directory of dir, marking the cut with "...\"; a root "\" stays in front.
QString CutFirstDirectory(QString dir) {
    if (dir == QLatin1String("\\")) {
        return QString();
    }
    const bool rooted = dir.startsWith(QLatin1Char('\\'));
    if (rooted) {
        dir.remove(0, 1);
    }
    if (dir.startsWith(QLatin1Char('.'))) {
        dir.remove(0, 4); // the "...\" of an earlier cut
    }
    const qsizetype slash = dir.indexOf(QLatin1Char('\\'));
    if (slash >= 0) {
        dir = kEllipsisDir + dir.mid(slash + 1);
    } else {
        dir.clear();
    }
    if (rooted) {
        dir.prepend(QLatin1Char('\\'));
    }
    return dir;
}

} // namespace

QString ShortenPath(const QString& path, int limit,
                    const std::function<int(const QString&)>& textWidth) {
    QString result = path;
    const qsizetype split =
        std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char(':')));
    QString dir = path.left(split + 1);
    const QString name = path.mid(split + 1);
    QString drive;
    if (dir.size() >= 2 && dir.at(1) == QLatin1Char(':')) {
        drive = dir.left(2);
        dir.remove(0, 2);
    }

    while ((!drive.isEmpty() || !dir.isEmpty()) && textWidth(result) > limit) {
        if (dir == QLatin1String("\\...\\")) {
            drive.clear();
            dir = kEllipsisDir;
        } else if (dir.isEmpty()) {
            drive.clear();
        } else {
            dir = CutFirstDirectory(dir);
        }
        result = drive + dir + name;
    }
    return result;
}
