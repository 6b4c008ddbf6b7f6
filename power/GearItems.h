#pragma once
// The power-gear library's hardware items the program reads and writes (32-bit identifiers).
namespace tv::item {

inline constexpr int kGearLevel = 0x0B060001;         // current gear level
inline constexpr int kGearEngineOpen = 0x0B060002;    // 1 = gear engine open
inline constexpr int kCapabilityWord = 0x0B060003;    // grades the support level
inline constexpr int kProfileBank = 0x0B060010;       // selects profile bank 0..3
inline constexpr int kVddNbDowngrade = 0x0B060021;    // controller-type family F
inline constexpr int kLoadLineDowngrade = 0x0B060022; // other boards
inline constexpr int kVCoreDowngrade = 0x0B060023;
inline constexpr int kControllerType = 0x0B060080;
inline constexpr int kAutoSubLevel = 0x0E060001;
inline constexpr int kCpuCurrent = 0x0E0A0011;
inline constexpr int kThreshold1 = 0x0E0A0014;
inline constexpr int kThreshold2 = 0x0E0A0015;
inline constexpr int kThreshold3 = 0x0E0A0016;
inline constexpr int kCpuPower = 0x0E0B0013;
inline constexpr int kOverclockStatus = 0x09080000;
inline constexpr int kThresholdsInvalid = 0x00070005; // 1: stored thresholds must go

// K-Fan BIOS items
inline constexpr int kFanBaseTemperature = 0x04030017;
inline constexpr int kCpuFanBiosControl = 0x04070010;
inline constexpr int kCpuFanBiosMode = 0x04080011;
inline constexpr int kChassisFanBiosControl = 0x04070070;
inline constexpr int kChassisFanBiosMode = 0x04080071;
inline constexpr int kSioHandOver = 0x11060004; // class-B chips: called before each sequence

} // namespace tv::item
