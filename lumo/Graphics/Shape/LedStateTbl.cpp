#include "lumo/Graphics/Shape/LedStateTbl.h"

#include "lumo/System/Source/Assert.h"

namespace lumo {

bool LedStateTbl::IsLit(int state, int segment) const
{
    LUMO_ASSERT(state >= 0 && state < StateCount());
    return segment >= 0 && segment < m_segments &&
           ((m_states[static_cast<size_t>(state)] >> segment) & 1u) != 0;
}

SevenSegTbl::SevenSegTbl()
    : LedStateTbl(7, {0x00,                                           // blank
                      0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, // 0 .. 7
                      0x7F, 0x6F,                                     // 8, 9
                      0x7F})                                          // all lit
{}

BinStateTbl::BinStateTbl(int segments)
    : LedStateTbl(segments, {0u, segments >= 32 ? 0xFFFFFFFFu : (1u << segments) - 1u})
{}

} // namespace lumo
