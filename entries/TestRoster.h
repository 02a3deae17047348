#pragma once
// The made-up roster of 1000 test employees shown in the employee grid.

#include <QString>

#include <array>
#include <cstdint>

class FlexGrid;

namespace roster {

constexpr int kEmployees = 1000;
constexpr int kNameLength = 20;

// Values uniform in [0, 1).
class Random
{
public:
    virtual ~Random() = default;
    virtual double next() = 0;
};

// From a fixed seed, the same on every platform and compiler: a 64-bit
// linear congruential generator, its top 53 bits as the fraction.
class RandomSource final : public Random
{
public:
    static constexpr uint64_t kSeed = 19960101;
    explicit RandomSource(uint64_t seed = kSeed) : m_state(seed) {}
    double next() override;

private:
    uint64_t m_state;
};

// 21 slots: 0 to 19 hold the names, slot 20 stays empty and is never chosen.
using NamePool = std::array<QString, 21>;

struct NamePools
{
    NamePool FirstNamePool;
    NamePool SurnamePool;
};

// The program's own pools, in their fixed order.
NamePools StandardPools();

// Given name and two different surnames, shortened step by step to fit
// maxLength and padded with blanks to it.
QString MakeTestName(const NamePools &pools, Random &random, int maxLength);

// Fills rows 1 to 1000 of the employee grid: " i" and a 20-character name.
void BuildTestRoster(FlexGrid &employeeGrid, NamePools &pools, Random &random);

} // namespace roster
