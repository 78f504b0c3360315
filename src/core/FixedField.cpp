#include "core/FixedField.h"

namespace orvane {

QString fixedField(const QString &text)
{
    QString field = text.left(FieldChars);
    // A cut through a surrogate pair would leave half a character that no encoding can hold.
    if (field.size() == FieldChars && text.size() > FieldChars && field.back().isHighSurrogate())
        field.chop(1);
    return field.leftJustified(FieldChars, QLatin1Char(' '));
}

QString fieldValue(const QString &field)
{
    qsizetype end = field.size();
    while (end > 0 && field.at(end - 1) == QLatin1Char(' '))
        --end;
    return field.left(end);
}

SettingsGrid::SettingsGrid()
{
    for (auto &row : m_fields)
        row.fill(QString(FieldChars, QChar(u'\0')));
}

} // namespace orvane
