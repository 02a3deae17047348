#pragma once
// The configuration record as the terminal receives it, built from the
// panel's texts, and the texts that keep two of its values off.

#include <QString>
#include <Qt>

#include <cstdint>
#include <optional>
#include <variant>

namespace config {

// What the day close field holds while Check5 is clear: no day close.
inline const QString kDayCloseOff = QStringLiteral("99999999");
// What the maximum work time field holds while Check6 is clear.
inline const QString kMaximumWorkTimeOff = QStringLiteral("0");

inline constexpr int kDayCloseField = 2;       // Text1(2)
inline constexpr int kMaximumWorkTimeField = 6; // Text1(6)

// The panel's texts and box states, in the order the record takes them.
struct ConfigurationTexts
{
    QString entrySeparation;
    QString messageDelay;
    QString dayCloseTime;
    Qt::CheckState twelveHours = Qt::Unchecked;
    QString cardSeries;
    QString maximumWorkTime;
    Qt::CheckState clockTick = Qt::Unchecked;
    QString gate1;
    QString gate2;
};

struct ConfigurationRecord
{
    int32_t entrySeparation = 0;
    int32_t messageDelay = 0;
    int32_t dayCloseTime = 0;
    int32_t twelveHours = 0;
    int32_t cardSeries = 0;
    int32_t maximumWorkTime = 0;
    int32_t clockTick = 0;
    int32_t gate1 = 0;
    int32_t gate2 = 0;
    bool operator==(const ConfigurationRecord &) const = default;
};

// A field whose number cannot go to the terminal, named by its label.
struct FieldFault
{
    QString label;
    QString text;
    bool operator==(const FieldFault &) const = default;
};

// A box's state as the terminal counts it: 0 clear, 1 ticked, 2 greyed.
// Qt numbers ticked and greyed the other way round.
int32_t CheckStateNumber(Qt::CheckState state);

// The record, or the first field in record order whose number lies outside
// the signed 32-bit range (nothing is then to be sent).
std::variant<ConfigurationRecord, FieldFault>
MakeConfigurationRecord(const ConfigurationTexts &texts);

// The text Text1(index) must be given after it changed, while the box
// beside it is clear; nothing for the other fields or a ticked box.
std::optional<QString> OffRuleText(int index, Qt::CheckState dayCloseBox,
                                   Qt::CheckState maximumWorkTimeBox);

} // namespace config
