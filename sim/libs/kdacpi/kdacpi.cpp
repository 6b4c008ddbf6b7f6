// kdacpi.dll stand-in: hands out the simulated board's firmware package. Ordinal 4 copies it into
// the caller's buffer as a header and elements; a buffer too small for the package gets the
// elements that fit. The library remembers the buffer it filled last and what it wrote there, and
// the walking ordinals accept only that buffer and pointers to its elements: a handle it did not
// hand out (a forged element, another buffer, one filled by an earlier call) answers null or 0,
// and nothing here reads the caller's memory.
#include "sim/board/BoardLogic.h"
#include "sim/board/Call.h"
#include "sim/libs/MakerExport.h"

#include <windows.h>
#include <cstring>

using simboard::BoardState;
using simboard::CallRecord;
using simboard::Field;
using simboard::Library;

namespace {

const uint32_t kMagic = 0x5041444B; // "KDAP"

struct Header
{
    uint32_t magic;
    uint32_t count;
};

struct Element
{
    uint32_t index;
    uint32_t count;
    uint32_t value;
};

static_assert(sizeof(Header) == 8 && sizeof(Element) == 12, "package layout");

// The package the last call of ordinal 4 wrote, in this process. Only touched by the exports'
// bodies, which run under the board's lock.
struct Issued
{
    uintptr_t buffer = 0; // 0: no package handed out
    uint32_t count = 0;
    uint32_t values[simboard::kMaxPackageElements] = {};
};

Issued g_issued;

uintptr_t Address(const void* pointer)
{
    return reinterpret_cast<uintptr_t>(pointer);
}

bool IsIssuedBuffer(const void* buffer)
{
    return g_issued.buffer != 0 && Address(buffer) == g_issued.buffer;
}

// The index of an element of the issued package, or false for any other pointer.
bool ElementIndex(const void* element, uint32_t* index)
{
    if (g_issued.buffer == 0 || !element) {
        return false;
    }
    uintptr_t first = g_issued.buffer + sizeof(Header);
    uintptr_t address = Address(element);
    if (address < first || (address - first) % sizeof(Element) != 0) {
        return false;
    }
    uintptr_t position = (address - first) / sizeof(Element);
    if (position >= g_issued.count) {
        return false;
    }
    *index = static_cast<uint32_t>(position);
    return true;
}

const unsigned char* ElementAt(uint32_t index)
{
    return reinterpret_cast<const unsigned char*>(g_issued.buffer + sizeof(Header) +
                                                  index * sizeof(Element));
}

} // namespace

extern "C" BOOL8 MAKER_CALL KdAcpiInit()
{
    return static_cast<BOOL8>(simboard::JournaledCall(
        Library::KdAcpi, "#1", {}, 0, [](BoardState&, CallRecord& call) { call.result = 1; }));
}

extern "C" BOOL8 MAKER_CALL KdAcpiReadPackage(void* buffer, DWORD* size)
{
    int32_t sizeIn = size ? static_cast<int32_t>(*size) : -1;
    return static_cast<BOOL8>(simboard::JournaledCall(
        Library::KdAcpi, "#4", {sizeIn}, 0, [&](BoardState& state, CallRecord& call) {
            // Whatever this call does, the handles of an earlier package are no longer valid.
            g_issued.buffer = 0;
            g_issued.count = 0;
            if (!size || simboard::FieldValue(state, Field::KdAcpiReadFails)) {
                return;
            }
            uint32_t count = state.packageCount < simboard::kMaxPackageElements
                                 ? state.packageCount
                                 : simboard::kMaxPackageElements;
            DWORD needed = static_cast<DWORD>(sizeof(Header) + count * sizeof(Element));
            if (!buffer || *size < sizeof(Header)) {
                *size = needed;
                call.Out(static_cast<int32_t>(needed));
                return;
            }
            uint32_t fit = (*size - sizeof(Header)) / sizeof(Element);
            if (fit > count) {
                fit = count;
            }
            Header header = {kMagic, fit};
            std::memcpy(buffer, &header, sizeof header);
            unsigned char* next = static_cast<unsigned char*>(buffer) + sizeof header;
            for (uint32_t i = 0; i < fit; ++i, next += sizeof(Element)) {
                Element element = {i, fit, state.package[i]};
                std::memcpy(next, &element, sizeof element);
                g_issued.values[i] = state.package[i];
            }
            g_issued.buffer = Address(buffer);
            g_issued.count = fit;
            *size = static_cast<DWORD>(sizeof(Header) + fit * sizeof(Element));
            call.result = 1;
            call.Out(static_cast<int32_t>(*size));
        }));
}

extern "C" int MAKER_CALL KdAcpiElementCount(const void* buffer)
{
    return simboard::JournaledCall(
        Library::KdAcpi, "#7", {}, 0, [&](BoardState&, CallRecord& call) {
            call.result = IsIssuedBuffer(buffer) ? static_cast<int32_t>(g_issued.count) : 0;
        });
}

extern "C" const void* MAKER_CALL KdAcpiFirstElement(const void* buffer)
{
    const void* first = nullptr;
    simboard::JournaledCall(Library::KdAcpi, "#6", {}, 0, [&](BoardState&, CallRecord& call) {
        if (IsIssuedBuffer(buffer) && g_issued.count > 0) {
            first = ElementAt(0);
            call.result = 1;
            call.Out(0);
        }
    });
    return first;
}

extern "C" const void* MAKER_CALL KdAcpiNextElement(const void* element)
{
    const void* next = nullptr;
    simboard::JournaledCall(Library::KdAcpi, "#10", {}, 0, [&](BoardState&, CallRecord& call) {
        uint32_t index;
        if (ElementIndex(element, &index) && index + 1 < g_issued.count) {
            next = ElementAt(index + 1);
            call.result = 1;
            call.Out(static_cast<int32_t>(index + 1));
        }
    });
    return next;
}

extern "C" const DWORD* MAKER_CALL KdAcpiElementValue(const void* element)
{
    const DWORD* value = nullptr;
    simboard::JournaledCall(Library::KdAcpi, "#9", {}, 0, [&](BoardState& state, CallRecord& call) {
        uint32_t index;
        if (ElementIndex(element, &index) && !simboard::FieldValue(state, Field::KdAcpiValueNull)) {
            value = reinterpret_cast<const DWORD*>(ElementAt(index) + offsetof(Element, value));
            call.result = 1;
            call.Out(static_cast<int32_t>(g_issued.values[index]));
        }
    });
    return value;
}
