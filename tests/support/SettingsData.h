#pragma once

#include "core/settings/SettingsGrid.h"
#include "core/wake/WakeRequest.h"

#include <QStringList>

namespace orvane::test {

// Record number (1-based) of field (row, column) in "System.ini".
inline constexpr auto rec = [](int row, int column) { return 10 * row + column + 1; };

// A table whose fields are all blank, as loading an empty file leaves it, with the cells given.
inline SettingsGrid grid(std::initializer_list<std::tuple<int, int, QString>> cells = {})
{
    SettingsGrid g;
    for (int k = 0; k < RecordCount; ++k)
        g.set(k / 10, k % 10, QString());
    for (const auto &[r, c, text] : cells)
        g.set(r, c, text);
    return g;
}

inline const QStringList ServerMac{"00", "11", "22", "33", "44", "55"};

// PC n's row: name, host, the six MAC fields, timer flag and wake time.
inline void setPc(SettingsGrid &g, int n, const QString &name, const QString &host, const QStringList &mac = {},
                  const QString &flag = {}, const QString &time = {})
{
    const QStringList row = QStringList{name, host} + (mac + QStringList(6)).mid(0, 6) + QStringList{flag, time};
    for (int c = 0; c < 10; ++c)
        g.set(n, c, row[c]);
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

// PC3 with port, count, the fourth MAC field and host as given, the rest valid.
inline WakeSettings pc3(const std::string &port = "9", const std::string &count = "3", const std::string &mac4 = "33",
                        const std::string &host = "127.0.0.1")
{
    return {3, "書斎", host, {"00", "11", "22", mac4, "44", "55"}, port, count, {}, {}};
}

} // namespace orvane::test
