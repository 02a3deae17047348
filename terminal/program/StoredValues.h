#pragma once
// How values the engine holds are written into the memory file's columns and
// read back: text as bytes, number arrays as little-endian 32-bit blobs.

#include "terminal/engine/SimState.h"

#include <QByteArray>
#include <QVariant>

#include <map>
#include <string>
#include <vector>

namespace velmora::terminal {

QByteArray ToBytes(const std::string &text);
std::string ToText(const QVariant &value);

QByteArray PackInts(const int32_t *values, int count);
// False when the blob does not hold exactly `count` numbers.
bool UnpackInts(const QByteArray &in, int32_t *values, int count);

// The names joined by '~'; a name never holds one.
std::string JoinJustifications(const std::vector<std::string> &names);
std::vector<std::string> SplitJustifications(const std::string &joined, int count);

// Each spent slot as its number and the six values it was written with.
QByteArray PackSpent(const std::map<int, sim::Event> &spent);
bool UnpackSpent(const QByteArray &in, std::map<int, sim::Event> &spent);

} // namespace velmora::terminal
