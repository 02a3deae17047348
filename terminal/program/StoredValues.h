#pragma once
// How values the engine holds are written into the memory file's columns and
// read back: text as bytes, number arrays as little-endian 32-bit blobs.

#include "terminal/engine/SimState.h"

#include <QByteArray>
#include <QVariant>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace terminal::program {

QByteArray ToBytes(const std::string &text);
std::string ToText(const QVariant &value);

QByteArray PackInts(const int32_t *values, int count);
// False when the blob does not hold exactly `count` numbers.
bool UnpackInts(const QByteArray &in, int32_t *values, int count);

// The names joined by '~'; a name never holds one.
std::string JoinJustifications(const std::vector<std::string> &names);
// Exactly `count` names, none longer than the engine keeps; nothing when the
// text does not hold that many.
std::optional<std::vector<std::string>> SplitJustifications(const std::string &joined, int64_t count);

// Reads numbers from a file's rows and remembers whether any lay outside its
// field: such a file is not loaded, rather than loaded with wrapped values.
class CheckedNumbers
{
public:
    int32_t int32(const QVariant &value, int64_t low = INT32_MIN, int64_t high = INT32_MAX);
    uint8_t byte(const QVariant &value) { return uint8_t(int32(value, 0, 255)); }
    bool sound() const { return m_sound; }

private:
    bool m_sound = true;
};

// What the engine itself would never hold: a name it refuses, a text longer
// than it keeps.
bool TerminalHoldsTogether(const engine::Terminal &terminal);

// Each spent slot as its number and the six values it was written with.
QByteArray PackSpent(const std::map<int, engine::Event> &spent);
bool UnpackSpent(const QByteArray &in, std::map<int, engine::Event> &spent);

} // namespace terminal::program
