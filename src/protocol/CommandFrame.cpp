#include "protocol/CommandFrame.h"

namespace keyloom::protocol {

CommandFrame CommandFrame::SelectProfile(int profileIndex) {
  return {kCommandSelectProfile, {ToWireNumber(profileIndex), 0, 0, 0, 0, 0}};
}

CommandFrame CommandFrame::ReadKeySlots() {
  return {kCommandReadKeySlots, {kReadKeySlotsArgument, 0, 0, 0, 0, 0}};
}

CommandFrame CommandFrame::SetLighting(int ledMode, const LightingRecord& record) {
  const auto& r = record.bytes;
  return {kCommandSetLighting, {static_cast<std::uint8_t>(ledMode), r[0], r[1], r[2], r[3], r[4]}};
}

CommandFrame CommandFrame::KeyRecordPart(const KeyAssignmentRecord& record,
                                         std::size_t frameIndex) {
  Payload payload{};
  const std::size_t offset = frameIndex * kPayloadSize;
  if (offset + kPayloadSize <= KeyAssignmentRecord::kSize) {
    for (std::size_t i = 0; i < kPayloadSize; ++i) {
      payload[i] = record.bytes()[offset + i];
    }
  }
  return {frameIndex == 0 ? kCommandWriteKeyRecord : kNoCommand, payload};
}

CommandFrame CommandFrame::AssignKeyMapping(int profileIndex, std::size_t remapSlot,
                                            std::uint8_t keyCode, std::uint8_t targetKeyCode) {
  return {kCommandSetKeyMapping,
          {ToWireNumber(profileIndex), ToWireNumber(static_cast<std::int64_t>(remapSlot)), keyCode,
           kKeyMappingMarker, targetKeyCode, kKeyMappingMarker}};
}

CommandFrame CommandFrame::ClearKeyMapping(int profileIndex, std::size_t remapSlot) {
  return AssignKeyMapping(profileIndex, remapSlot, 0, 0);
}

CommandFrame CommandFrame::RestoreFactory() {
  return {kCommandRestoreFactory, {kRestoreFactoryArgument, 0, 0, 0, 0, 0}};
}

}  // namespace keyloom::protocol
