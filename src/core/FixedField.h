#pragma once

#include <QString>

#include <array>

namespace orvane {

// Every settings field is exactly this many UTF-16 code units long.
inline constexpr int FieldChars = 20;
inline constexpr int SettingsRows = 6;
inline constexpr int SettingsColumns = 10;

// The fixed-field assignment: left-aligned, cut to 20 characters or padded with blanks.
QString fixedField(const QString &text);

// How every reader uses a field: trailing blanks (U+0020 only) removed, nothing else touched.
QString fieldValue(const QString &field);

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
    // Stores text with the fixed-field assignment.
    void set(int row, int column, const QString &text) { at(row, column) = fixedField(text); }
    // The field as readers use it (trailing blanks removed).
    QString value(int row, int column) const { return fieldValue(at(row, column)); }

    bool operator==(const SettingsGrid &other) const = default;

private:
    std::array<std::array<QString, SettingsColumns>, SettingsRows> m_fields;
};

} // namespace orvane
