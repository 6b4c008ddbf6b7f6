#pragma once
// State tables of LEDs: which segments are lit in which state.
#include <cstdint>
#include <vector>

namespace lumo {

class LedStateTbl
{
public:
    virtual ~LedStateTbl() = default;
    int StateCount() const { return static_cast<int>(m_states.size()); }
    int SegmentCount() const { return m_segments; }
    // The state a new LED shows: the last one.
    int LastState() const { return StateCount() - 1; }
    // Precondition: state >= 0 && state < StateCount().
    bool IsLit(int state, int segment) const;

protected:
    // One mask per state, bit n for segment n.
    LedStateTbl(int segments, std::vector<std::uint32_t> states)
        : m_segments(segments), m_states(std::move(states))
    {}

private:
    int m_segments;
    std::vector<std::uint32_t> m_states;
};

// Seven-segment digits, segments top, upper right, lower right, bottom, lower left, upper left,
// middle. State 0 blank, 1 to 10 the digits 0 to 9, 11 every segment lit.
class SevenSegTbl : public LedStateTbl
{
public:
    static constexpr int Blank = 0;
    static constexpr int AllLit = 11;
    static constexpr int Digit(int digit) { return digit + 1; }
    SevenSegTbl();
};

// Two states: 0 every segment off, 1 every segment on.
class BinStateTbl : public LedStateTbl
{
public:
    static constexpr int Off = 0;
    static constexpr int On = 1;
    explicit BinStateTbl(int segments);
};

class SingleSegTbl : public BinStateTbl
{
public:
    SingleSegTbl() : BinStateTbl(1) {}
};

class FourSegBinStateTbl : public BinStateTbl
{
public:
    FourSegBinStateTbl() : BinStateTbl(4) {}
};

class SixteenSegBinStateTbl : public BinStateTbl
{
public:
    SixteenSegBinStateTbl() : BinStateTbl(16) {}
};

} // namespace lumo
