#pragma once
// Names and message codes of the three pipe conversations. Every word on the wire is a 32-bit
// little-endian value; a reply is a status word (1 = success) followed by its payload.
#include <windows.h>

namespace tv::pipe {

// Served by this program; the graphics-card utility announces itself and its changes here.
inline constexpr char kBoardPipe[] = "KALDO QEM MB PIPE";
// Served by the graphics-card utility.
inline constexpr char kCardPipe[] = "KALDO QEM VGA PIPE";
// Served by the system-control service.
inline constexpr char kSysCtrlPipe[] = "KALDO SYSTEM CONTROL PIPE";
// The pipes are always on the local machine.
inline constexpr char kLocalServer[] = ".";

inline constexpr DWORD kStatusSuccess = 1;
inline constexpr DWORD kStatusFailure = 0;

// Board pipe: word 0 of a notification from the graphics-card utility.
inline constexpr DWORD kCardConnected = 0;
inline constexpr DWORD kCardDisconnected = 1;
inline constexpr DWORD kCardSyncSettingChanged = 0x1000;
inline constexpr DWORD kCardModeChanged = 0x1001;

// Card pipe requests.
inline constexpr DWORD kSetCardMode = 0x10001001;
inline constexpr DWORD kGetCardMode = 0x10001002;
inline constexpr DWORD kGetCardCapabilities = 0x10001003;
inline constexpr DWORD kGetCardSaving = 0x10001004;

// System-control pipe request.
inline constexpr DWORD kGetOverclockState = 0x80000001;

} // namespace tv::pipe
