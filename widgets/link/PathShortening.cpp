#include "PathShortening.h"

#include <algorithm>

namespace {

const QString kEllipsis = QStringLiteral("...");

// Windows paths separate with "\", Linux paths with "/"; a path keeps its own separator in
// the "..." that marks a cut.
bool IsSeparator(QChar c) {
    return c == QLatin1Char('\\') || c == QLatin1Char('/');
}

qsizetype FirstSeparator(const QString& s) {
    const auto it = std::find_if(s.cbegin(), s.cend(), IsSeparator);
    return it == s.cend() ? -1 : it - s.cbegin();
}

qsizetype LastSeparator(const QString& s) {
    return std::max(s.lastIndexOf(QLatin1Char('\\')), s.lastIndexOf(QLatin1Char('/')));
}

// A rooted "...\" is all that is left of the directories once every one has been cut.
bool IsRootedEllipsis(const QString& dir) {
    return dir.size() == kEllipsis.size() + 2 && IsSeparator(dir.front()) &&
           IsSeparator(dir.back()) && dir.mid(1, kEllipsis.size()) == kEllipsis;
}

// Removes the first directory of dir, marking the cut with "...\"; a root "\" stays in front.
QString CutFirstDirectory(QString dir) {
    if (dir.size() == 1 && IsSeparator(dir.front())) {
        return QString();
    }
    const bool rooted = !dir.isEmpty() && IsSeparator(dir.front());
    const QChar root = rooted ? dir.front() : QChar();
    if (rooted) {
        dir.remove(0, 1);
    }
    if (dir.startsWith(QLatin1Char('.'))) {
        dir.remove(0, kEllipsis.size() + 1); // the "...\" of an earlier cut
    }
    const qsizetype separator = FirstSeparator(dir);
    if (separator >= 0) {
        dir = kEllipsis + dir.mid(separator);
    } else {
        dir.clear();
    }
    if (rooted) {
        dir.prepend(root);
    }
    return dir;
}

} // namespace

QString ShortenPath(const QString& path, int limit,
                    const std::function<int(const QString&)>& textWidth) {
    QString result = path;
    const qsizetype split = std::max(LastSeparator(path), path.lastIndexOf(QLatin1Char(':')));
    QString dir = path.left(split + 1);
    const QString name = path.mid(split + 1);
    QString drive;
    if (dir.size() >= 2 && dir.at(1) == QLatin1Char(':')) {
        drive = dir.left(2);
        dir.remove(0, 2);
    }

    while ((!drive.isEmpty() || !dir.isEmpty()) && textWidth(result) > limit) {
        if (IsRootedEllipsis(dir)) {
            drive.clear();
            dir.remove(0, 1);
        } else if (dir.isEmpty()) {
            drive.clear();
        } else {
            dir = CutFirstDirectory(dir);
        }
        result = drive + dir + name;
    }
    return result;
}
