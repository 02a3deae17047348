#include "config/ConfigurationRecord.h"

#include "field/FieldValue.h"

namespace config {

int32_t CheckStateNumber(Qt::CheckState state)
{
    switch (state) {
    case Qt::Unchecked:
        return 0;
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    }
    return 0;
}

std::variant<ConfigurationRecord, FieldFault>
MakeConfigurationRecord(const ConfigurationTexts &texts)
{
    struct Source
    {
        const char *label;
        const QString *text;
        int32_t ConfigurationRecord::*value;
    };
    const Source numbers[] = {
        {"Entry Separation", &texts.entrySeparation, &ConfigurationRecord::entrySeparation},
        {"Message Delay", &texts.messageDelay, &ConfigurationRecord::messageDelay},
        {"Day Close time", &texts.dayCloseTime, &ConfigurationRecord::dayCloseTime},
        {"Card Series", &texts.cardSeries, &ConfigurationRecord::cardSeries},
        {"Maximum work time", &texts.maximumWorkTime, &ConfigurationRecord::maximumWorkTime},
        {"Gate #1", &texts.gate1, &ConfigurationRecord::gate1},
        {"Gate #2", &texts.gate2, &ConfigurationRecord::gate2},
    };
    ConfigurationRecord record;
    record.twelveHours = CheckStateNumber(texts.twelveHours);
    record.clockTick = CheckStateNumber(texts.clockTick);
    for (const Source &s : numbers) {
        const auto value = field::NumericValue(*s.text);
        if (!value)
            return FieldFault{QString::fromLatin1(s.label), *s.text};
        record.*s.value = *value;
    }
    return record;
}

std::optional<QString> OffRuleText(int index, Qt::CheckState dayCloseBox,
                                   Qt::CheckState maximumWorkTimeBox)
{
    if (index == kDayCloseField && dayCloseBox == Qt::Unchecked)
        return kDayCloseOff;
    if (index == kMaximumWorkTimeField && maximumWorkTimeBox == Qt::Unchecked)
        return kMaximumWorkTimeOff;
    return std::nullopt;
}

} // namespace config
