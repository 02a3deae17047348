#include "terminal/program/StoredValues.h"

#include <algorithm>

namespace terminal::program {

QByteArray ToBytes(const std::string &text)
{
    return QByteArray(text.data(), qsizetype(text.size()));
}

std::string ToText(const QVariant &value)
{
    const QByteArray b = value.toByteArray();
    return std::string(b.constData(), std::size_t(b.size()));
}

QByteArray PackInts(const int32_t *values, int count)
{
    QByteArray out;
    for (int i = 0; i < count; ++i) {
        const auto v = static_cast<uint32_t>(values[i]);
        for (int b = 0; b < 4; ++b)
            out.append(char((v >> (8 * b)) & 0xff));
    }
    return out;
}

bool UnpackInts(const QByteArray &in, int32_t *values, int count)
{
    if (in.size() != count * 4)
        return false;
    for (int i = 0; i < count; ++i) {
        uint32_t v = 0;
        for (int b = 3; b >= 0; --b)
            v = (v << 8) | uint8_t(in[i * 4 + b]);
        values[i] = static_cast<int32_t>(v);
    }
    return true;
}

std::string JoinJustifications(const std::vector<std::string> &names)
{
    std::string joined;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i)
            joined += '~';
        joined += names[i];
    }
    return joined;
}

std::optional<std::vector<std::string>> SplitJustifications(const std::string &joined, int64_t count)
{
    std::vector<std::string> names;
    if (count == 0)
        return joined.empty() ? std::optional(names) : std::nullopt;
    if (count < 0 || count - 1 != std::count(joined.begin(), joined.end(), '~'))
        return std::nullopt;
    std::size_t start = 0;
    for (int64_t i = 0; i < count; ++i) {
        const std::size_t end = std::min(joined.find('~', start), joined.size());
        names.push_back(joined.substr(start, end - start));
        if (names.back().size() > engine::kMaxJustificationText)
            return std::nullopt;
        start = end + 1;
    }
    return names;
}

int32_t CheckedNumbers::int32(const QVariant &value, int64_t low, int64_t high)
{
    bool isNumber = true;
    // A real beyond 64 bits has no integer to convert to.
    if (value.typeId() == QMetaType::Double)
        isNumber = value.toDouble() >= double(low) && value.toDouble() <= double(high);
    const qlonglong x = !isNumber || value.isNull() ? 0 : value.toLongLong(&isNumber);
    m_sound = m_sound && isNumber && x >= low && x <= high;
    return m_sound ? int32_t(x) : 0;
}

bool TerminalHoldsTogether(const engine::Terminal &t)
{
    const auto within = [](const std::string &text, std::size_t limit) { return text.size() <= limit; };
    if (t.name.empty() || t.name.size() > kestcom_abi::kTerminalNameLength || t.name.back() == ' '
        || t.name.find('\0') != std::string::npos || !within(t.shownText, engine::kMaxMessageText))
        return false;
    for (const auto &[key, message] : t.messages)
        if (!within(message, engine::kMaxMessageText))
            return false;
    for (const auto &[employee, name] : t.employees)
        if (!within(name.text, engine::kMaxNameText))
            return false;
    return true;
}

namespace {
constexpr int kSpentValues = 1 + std::tuple_size_v<engine::Event>;
}

QByteArray PackSpent(const std::map<int, engine::Event> &spent)
{
    std::vector<int32_t> values;
    for (const auto &[slot, event] : spent) {
        values.push_back(slot);
        values.insert(values.end(), event.begin(), event.end());
    }
    return PackInts(values.data(), int(values.size()));
}

bool UnpackSpent(const QByteArray &in, std::map<int, engine::Event> &spent)
{
    if (in.size() % (kSpentValues * 4) != 0)
        return false;
    std::vector<int32_t> values(std::size_t(in.size() / 4));
    if (!UnpackInts(in, values.data(), int(values.size())))
        return false;
    for (std::size_t i = 0; i < values.size(); i += kSpentValues) {
        const int slot = values[i];
        if (slot < 0 || slot >= engine::kEventSlots)
            return false;
        engine::Event event{};
        std::copy_n(values.begin() + std::ptrdiff_t(i + 1), event.size(), event.begin());
        spent[slot] = event;
    }
    return true;
}

} // namespace terminal::program
