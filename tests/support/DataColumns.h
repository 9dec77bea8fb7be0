#pragma once

#include <QTest>

#include <array>
#include <cstddef>

namespace quillon::testing {

// Declares a data table's columns in one statement, types and names side by side in the
// order the rows give them:
//   AddColumns<QString, int>({"name", "count"});
// Qt Test wants one call per column; a table of six columns otherwise opens with six lines
// that say nothing about the cases.
template <typename... Types>
void AddColumns(const std::array<const char*, sizeof...(Types)>& names) {
    std::size_t column = 0;
    (QTest::addColumn<Types>(names[column++]), ...);
}

} // namespace quillon::testing
