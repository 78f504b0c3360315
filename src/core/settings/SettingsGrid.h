#pragma once

#include "core/record/RecordFormat.h"
#include "core/settings/Text.h"

#include <QString>

#include <array>

namespace orvane {

// 6 rows (0 global, 1..5 the PCs) by 10 columns of fixed fields, addressed (row, column).
class SettingsGrid {
public:
    // Before the first load every field holds 20 NUL characters.
    SettingsGrid();

    QString &at(int row, int column) { return m_fields.at(static_cast<size_t>(row)).at(static_cast<size_t>(column)); }
    const QString &at(int row, int column) const
    {
        return m_fields.at(static_cast<size_t>(row)).at(static_cast<size_t>(column));
    }
    // Stores text with the fixed-field assignment (RecordFormat.h's fixedField).
    void set(int row, int column, const QString &text);
    // The field as readers use it (RecordFormat.h's fieldValue: trailing blanks removed).
    QString value(int row, int column) const;

    bool operator==(const SettingsGrid &other) const = default;

private:
    std::array<std::array<QString, SettingsColumns>, SettingsRows> m_fields;
};

} // namespace orvane
