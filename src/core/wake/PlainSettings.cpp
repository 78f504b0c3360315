#include "core/wake/PlainSettings.h"

namespace orvane {

std::string fieldUtf8(std::u16string_view text)
{
    std::u16string units(text);
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (isHighSurrogate(units[i]) && i + 1 < units.size() && isLowSurrogate(units[i + 1]))
            ++i;
        else if (isHighSurrogate(units[i]) || isLowSurrogate(units[i]))
            units[i] = u'?';
    }
    return trailerText(units);
}

SettingsValues decodeSettingsValues(std::string_view bytes)
{
    const RecordFields fields = decodeRecordFile(bytes);
    SettingsValues values;
    for (int row = 0; row < SettingsRows; ++row)
        for (int column = 0; column < SettingsColumns; ++column)
            values[static_cast<size_t>(row)][static_cast<size_t>(column)] =
                fieldUtf8(fieldValue(fields[static_cast<size_t>(recordNumber(row, column) - 1)]));
    return values;
}

WakeSettings wakeSettingsOf(const SettingsValues &values, int pc)
{
    return wakeSettingsFrom(pc, [&](int row, int column) { return settingsValue(values, row, column); });
}

} // namespace orvane
