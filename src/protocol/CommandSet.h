#pragma once

#include <cstdint>

namespace keyloom::protocol {

// Every frame travels as feature report 7.
inline constexpr std::uint8_t kReportId = 0x07;

// Byte 1 of a read request and of every frame after the first of a key record download.
inline constexpr std::uint8_t kNoCommand = 0x00;

// Command codes (byte 1 of a frame) and the fixed payload bytes that go with them.
inline constexpr std::uint8_t kCommandSelectProfile = 0xFC;
inline constexpr std::uint8_t kCommandReadKeySlots = 0xFB;
inline constexpr std::uint8_t kReadKeySlotsArgument = 0x01;  // byte 2 of the request
inline constexpr std::uint8_t kCommandSetLighting = 0xF7;
inline constexpr std::uint8_t kCommandWriteKeyRecord = 0xF1;
inline constexpr std::uint8_t kCommandSetKeyMapping = 0xFA;
inline constexpr std::uint8_t kKeyMappingMarker = 0x01;  // bytes 5 and 7 of every mapping frame
inline constexpr std::uint8_t kCommandRestoreFactory = 0xF0;
inline constexpr std::uint8_t kRestoreFactoryArgument = 0xAA;  // byte 2 of the restore frame

}  // namespace keyloom::protocol
