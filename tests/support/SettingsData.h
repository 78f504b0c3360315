#pragma once

#include "core/FixedField.h"

#include <QByteArray>
#include <QStringList>

#include <initializer_list>
#include <tuple>
#include <utility>

namespace orvane::test {

// Record number (1-based) of field (row, column) in "System.ini".
constexpr int rec(int row, int column)
{
    return 10 * row + column + 1;
}

// A table whose fields are all blank, as loading an empty file leaves it, with the cells given.
inline SettingsGrid grid(std::initializer_list<std::tuple<int, int, QString>> cells = {})
{
    SettingsGrid g;
    for (int r = 0; r < SettingsRows; ++r)
        for (int c = 0; c < SettingsColumns; ++c)
            g.set(r, c, QString());
    for (const auto &[r, c, text] : cells)
        g.set(r, c, text);
    return g;
}

inline const QStringList ServerMac{"00", "11", "22", "33", "44", "55"};

// PC n's row: name, host, the six MAC fields, timer flag and wake time.
inline void setPc(SettingsGrid &g, int n, const QString &name, const QString &host, const QStringList &mac = {},
                  const QString &flag = {}, const QString &time = {})
{
    g.set(n, 0, name);
    g.set(n, 1, host);
    for (int j = 0; j < 6; ++j)
        g.set(n, 2 + j, mac.value(j));
    g.set(n, 8, flag);
    g.set(n, 9, time);
}

// The 1,200-byte record area built from the record rules, never by our writer: the text of record k
// at 20(k − 1), padded with blanks to 20.
inline QByteArray recordArea(std::initializer_list<std::pair<int, QByteArray>> records = {})
{
    QByteArray area(1200, ' ');
    for (const auto &[record, text] : records)
        area.replace((record - 1) * 20, text.size(), text);
    return area;
}

} // namespace orvane::test
