#include "core/settings/SettingsGrid.h"

namespace orvane {

SettingsGrid::SettingsGrid()
{
    for (auto &row : m_fields)
        row.fill(QString(FieldChars, QChar(u'\0')));
}

void SettingsGrid::set(int row, int column, const QString &text)
{
    at(row, column) = qStringOf(fixedField(utf16View(text)));
}

QString SettingsGrid::value(int row, int column) const
{
    const QString &field = at(row, column);
    return field.left(static_cast<qsizetype>(fieldValue(utf16View(field)).size()));
}

} // namespace orvane
