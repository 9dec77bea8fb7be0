#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace quillon::cli {

// The name a mistyped word most likely meant ("--jsn" for "--json"): the closest of names
// within two typing mistakes, none when nothing is that close.
std::optional<QString> NearestName(const QString& word, const QStringList& names);

// " (did you mean --json?)" for a mistyped word, or nothing, to append to a message.
QString DidYouMean(const QString& word, const QStringList& names);

} // namespace quillon::cli
