// powrprof.dll stand-in for the test prefix: the power-scheme entries that Wine's own library
// lacks, over three fixed schemes (Power saver, Balanced, High performance) and the six scheme
// indices of the older interface. Active-scheme reads and switches are journaled with the GUID's
// first 32 bits. Built twice: with PowerEnumerate and without it.
#include "sim/board/BoardLogic.h"
#include "sim/board/Call.h"

#include <windows.h>
#include <cstring>
#include <cwchar>

using simboard::BoardState;
using simboard::CallRecord;
using simboard::Field;
using simboard::Library;

#define POWRPROF_EXPORT extern "C" __declspec(dllexport)

namespace {

struct Scheme
{
    GUID guid;
    const wchar_t* name;
    const wchar_t* description;
};

const Scheme kSchemes[] = {
    {{0xA1841308, 0x3541, 0x4FAB, {0xBC, 0x81, 0xF7, 0x15, 0x56, 0xF2, 0x0B, 0x4A}},
     L"Power saver",
     L"Saves energy by reducing the computer's performance where possible."},
    {{0x381B4222, 0xF694, 0x41F0, {0x96, 0x85, 0xFF, 0x5B, 0xB2, 0x60, 0xDF, 0x2E}},
     L"Balanced",
     L"Balances performance with energy consumption on capable hardware."},
    {{0x8C5E7FDA, 0xE8BF, 0x4A96, {0x9A, 0x85, 0xA6, 0xE2, 0x3A, 0x8C, 0x63, 0x5C}},
     L"High performance",
     L"Favours performance, but may use more energy."},
};

const UINT kSchemeIndices = 6;
const DWORD kAccessScheme = 16; // ACCESS_SCHEME of POWER_DATA_ACCESSOR

const Scheme* FindScheme(const GUID* guid)
{
    if (!guid) {
        return nullptr;
    }
    for (const Scheme& scheme : kSchemes) {
        if (std::memcmp(&scheme.guid, guid, sizeof(GUID)) == 0) {
            return &scheme;
        }
    }
    return nullptr;
}

int32_t First32(const GUID* guid)
{
    return guid ? static_cast<int32_t>(guid->Data1) : 0;
}

template <typename Body>
DWORD Journaled(const char* function, std::initializer_list<int32_t> args, Body body)
{
    return static_cast<DWORD>(simboard::JournaledCall(Library::Powrprof, function, args,
                                                      static_cast<int32_t>(ERROR_NOT_READY), body));
}

// Copies bytes into a caller's buffer with the size protocol of the power functions.
DWORD CopyOut(const void* data, DWORD size, UCHAR* buffer, DWORD* bufferSize)
{
    if (!bufferSize) {
        return ERROR_INVALID_PARAMETER;
    }
    DWORD available = *bufferSize;
    *bufferSize = size;
    if (!buffer) {
        return ERROR_SUCCESS;
    }
    if (available < size) {
        return ERROR_MORE_DATA;
    }
    std::memcpy(buffer, data, size);
    return ERROR_SUCCESS;
}

DWORD ReadText(const char* function, const GUID* scheme, const GUID* subgroup, const GUID* setting,
               UCHAR* buffer, DWORD* bufferSize, bool description)
{
    return Journaled(function, {First32(scheme)}, [&](BoardState&, CallRecord& call) {
        const Scheme* found = FindScheme(scheme);
        if (!found || subgroup || setting) {
            call.result = ERROR_FILE_NOT_FOUND;
            return;
        }
        const wchar_t* text = description ? found->description : found->name;
        call.result = static_cast<int32_t>(
            CopyOut(text, static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(wchar_t)), buffer,
                    bufferSize));
    });
}

// The scheme list is fixed: everything that would change it is refused.
DWORD Refused(const char* function, const GUID* scheme)
{
    return Journaled(function, {First32(scheme)},
                     [](BoardState&, CallRecord& call) { call.result = ERROR_ACCESS_DENIED; });
}

} // namespace

POWRPROF_EXPORT DWORD WINAPI PowerGetActiveScheme(HKEY, GUID** active)
{
    return Journaled("PowerGetActiveScheme", {}, [&](BoardState& state, CallRecord& call) {
        if (!active) {
            call.result = ERROR_INVALID_PARAMETER;
            return;
        }
        GUID* copy = static_cast<GUID*>(LocalAlloc(LMEM_FIXED, sizeof(GUID)));
        if (!copy) {
            call.result = ERROR_NOT_ENOUGH_MEMORY;
            return;
        }
        std::memcpy(copy, state.activeScheme, sizeof(GUID));
        *active = copy;
        call.result = ERROR_SUCCESS;
        call.Out(First32(copy));
    });
}

POWRPROF_EXPORT DWORD WINAPI PowerSetActiveScheme(HKEY, const GUID* scheme)
{
    return Journaled("PowerSetActiveScheme", {First32(scheme)},
                     [&](BoardState& state, CallRecord& call) {
                         if (!scheme) {
                             call.result = ERROR_INVALID_PARAMETER;
                         } else if (!FindScheme(scheme)) {
                             call.result = ERROR_FILE_NOT_FOUND;
                         } else {
                             std::memcpy(state.activeScheme, scheme, sizeof(GUID));
                             call.result = ERROR_SUCCESS;
                         }
                     });
}

POWRPROF_EXPORT BOOLEAN WINAPI GetActivePwrScheme(UINT* index)
{
    return static_cast<BOOLEAN>(simboard::JournaledCall(
        Library::Powrprof, "GetActivePwrScheme", {}, 0, [&](BoardState& state, CallRecord& call) {
            if (!index) {
                return;
            }
            *index = static_cast<UINT>(simboard::FieldValue(state, Field::SchemeIndex));
            call.result = 1;
            call.Out(static_cast<int32_t>(*index));
        }));
}

POWRPROF_EXPORT BOOLEAN WINAPI SetActivePwrScheme(UINT index, void*, void*)
{
    return static_cast<BOOLEAN>(simboard::JournaledCall(
        Library::Powrprof, "SetActivePwrScheme", {static_cast<int32_t>(index)}, 0,
        [&](BoardState& state, CallRecord& call) {
            if (index >= kSchemeIndices) {
                return;
            }
            simboard::FieldRef(state, Field::SchemeIndex) = static_cast<int32_t>(index);
            call.result = 1;
        }));
}

#ifndef TV_POWRPROF_WITHOUT_ENUMERATE
POWRPROF_EXPORT DWORD WINAPI PowerEnumerate(HKEY, const GUID* scheme, const GUID* subgroup,
                                            DWORD access, ULONG index, UCHAR* buffer,
                                            DWORD* bufferSize)
{
    return Journaled("PowerEnumerate", {static_cast<int32_t>(access), static_cast<int32_t>(index)},
                     [&](BoardState&, CallRecord& call) {
                         if (access != kAccessScheme || scheme || subgroup) {
                             call.result = ERROR_INVALID_PARAMETER;
                         } else if (index >= sizeof kSchemes / sizeof kSchemes[0]) {
                             call.result = ERROR_NO_MORE_ITEMS;
                         } else {
                             call.result = static_cast<int32_t>(
                                 CopyOut(&kSchemes[index].guid, sizeof(GUID), buffer, bufferSize));
                         }
                     });
}
#endif

POWRPROF_EXPORT DWORD WINAPI PowerReadFriendlyName(HKEY, const GUID* scheme, const GUID* subgroup,
                                                   const GUID* setting, UCHAR* buffer,
                                                   DWORD* bufferSize)
{
    return ReadText("PowerReadFriendlyName", scheme, subgroup, setting, buffer, bufferSize, false);
}

POWRPROF_EXPORT DWORD WINAPI PowerReadDescription(HKEY, const GUID* scheme, const GUID* subgroup,
                                                  const GUID* setting, UCHAR* buffer,
                                                  DWORD* bufferSize)
{
    return ReadText("PowerReadDescription", scheme, subgroup, setting, buffer, bufferSize, true);
}

POWRPROF_EXPORT DWORD WINAPI PowerWriteFriendlyName(HKEY, const GUID* scheme, const GUID*,
                                                    const GUID*, UCHAR*, DWORD)
{
    return Refused("PowerWriteFriendlyName", scheme);
}

POWRPROF_EXPORT DWORD WINAPI PowerWriteDescription(HKEY, const GUID* scheme, const GUID*,
                                                   const GUID*, UCHAR*, DWORD)
{
    return Refused("PowerWriteDescription", scheme);
}

POWRPROF_EXPORT DWORD WINAPI PowerDuplicateScheme(HKEY, const GUID* scheme, GUID**)
{
    return Refused("PowerDuplicateScheme", scheme);
}

POWRPROF_EXPORT DWORD WINAPI PowerDeleteScheme(HKEY, const GUID* scheme)
{
    return Refused("PowerDeleteScheme", scheme);
}

POWRPROF_EXPORT DWORD WINAPI PowerImportPowerScheme(HKEY, const wchar_t*, GUID**)
{
    return Refused("PowerImportPowerScheme", nullptr);
}

POWRPROF_EXPORT DWORD WINAPI PowerWriteACValueIndex(HKEY, const GUID* scheme, const GUID*,
                                                    const GUID*, DWORD)
{
    return Refused("PowerWriteACValueIndex", scheme);
}

// The schemes carry no individual settings here.
POWRPROF_EXPORT DWORD WINAPI PowerReadACValueIndex(HKEY, const GUID* scheme, const GUID*,
                                                   const GUID*, DWORD* value)
{
    return Journaled("PowerReadACValueIndex", {First32(scheme)},
                     [&](BoardState&, CallRecord& call) {
                         call.result = value ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_PARAMETER;
                     });
}

// The fixed schemes are the defaults already.
POWRPROF_EXPORT DWORD WINAPI PowerRestoreDefaultPowerSchemes()
{
    return Journaled("PowerRestoreDefaultPowerSchemes", {},
                     [](BoardState&, CallRecord& call) { call.result = ERROR_SUCCESS; });
}

POWRPROF_EXPORT DWORD WINAPI PowerRestoreIndividualDefaultPowerScheme(const GUID* scheme)
{
    return Journaled("PowerRestoreIndividualDefaultPowerScheme", {First32(scheme)},
                     [&](BoardState&, CallRecord& call) {
                         call.result = FindScheme(scheme) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
                     });
}
