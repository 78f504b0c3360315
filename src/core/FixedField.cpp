#include "core/FixedField.h"

namespace orvane {

QString fixedField(const QString &text)
{
    return qStringOf(fixedField(utf16View(text)));
}

QString fieldValue(const QString &field)
{
    return field.left(static_cast<qsizetype>(fieldValue(utf16View(field)).size()));
}

SettingsGrid::SettingsGrid()
{
    for (auto &row : m_fields)
        row.fill(QString(FieldChars, QChar(u'\0')));
}

} // namespace orvane
