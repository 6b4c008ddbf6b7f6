// kdacpi.dll stand-in: hands out the simulated board's firmware package. Ordinal 4 copies it into
// the caller's buffer as a header and self-describing elements (each knows its index and the
// element count), so walking it never needs more than the element in hand and never leaves the
// elements that were copied; a buffer too small for the package gets the elements that fit.
#include "sim/board/BoardLogic.h"
#include "sim/board/Call.h"
#include "sim/libs/MakerExport.h"

#include <windows.h>
#include <cstring>

using simboard::BoardState;
using simboard::CallRecord;
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

bool ReadHeader(const void* buffer, Header* header)
{
    if (!buffer) {
        return false;
    }
    std::memcpy(header, buffer, sizeof *header);
    return header->magic == kMagic && header->count <= simboard::kMaxPackageElements;
}

bool ReadElement(const void* element, Element* out)
{
    if (!element) {
        return false;
    }
    std::memcpy(out, element, sizeof *out);
    return out->count <= simboard::kMaxPackageElements && out->index < out->count;
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
            if (!size) {
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
            }
            *size = static_cast<DWORD>(sizeof(Header) + fit * sizeof(Element));
            call.result = 1;
            call.Out(static_cast<int32_t>(*size));
        }));
}

extern "C" int MAKER_CALL KdAcpiElementCount(const void* buffer)
{
    return simboard::JournaledCall(
        Library::KdAcpi, "#7", {}, 0, [&](BoardState&, CallRecord& call) {
            Header header;
            call.result = ReadHeader(buffer, &header) ? static_cast<int32_t>(header.count) : 0;
        });
}

extern "C" const void* MAKER_CALL KdAcpiFirstElement(const void* buffer)
{
    const void* first = nullptr;
    simboard::JournaledCall(Library::KdAcpi, "#6", {}, 0, [&](BoardState&, CallRecord& call) {
        Header header;
        if (ReadHeader(buffer, &header) && header.count > 0) {
            first = static_cast<const unsigned char*>(buffer) + sizeof(Header);
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
        Element current;
        if (ReadElement(element, &current) && current.index + 1 < current.count) {
            next = static_cast<const unsigned char*>(element) + sizeof(Element);
            call.result = 1;
            call.Out(static_cast<int32_t>(current.index + 1));
        }
    });
    return next;
}

extern "C" const DWORD* MAKER_CALL KdAcpiElementValue(const void* element)
{
    const DWORD* value = nullptr;
    simboard::JournaledCall(Library::KdAcpi, "#9", {}, 0, [&](BoardState&, CallRecord& call) {
        Element current;
        if (ReadElement(element, &current)) {
            value = reinterpret_cast<const DWORD*>(static_cast<const unsigned char*>(element) +
                                                   offsetof(Element, value));
            call.result = 1;
            call.Out(static_cast<int32_t>(current.value));
        }
    });
    return value;
}
