#pragma once

#include <cstdint>
#include <string>

#include "hid/HidInterfaceInfo.h"

namespace keyloom::hid {

// The diagnostic lines of discovery and of the transport, without line breaks.

// "got classs: guid={...}": the set of present interfaces of that class was obtained.
std::string GotClassTraceLine(const Guid& interfaceClass);

// "enum interface: guid={...} index=N": one enumerated interface.
std::string EnumInterfaceTraceLine(const Guid& interfaceClass, int index);

// "获取接口信息失败": the platform would not give an enumerated interface's details.
std::string DetailQueryFailedTraceLine();

// "open dev: %08x" with the platform handle value of an open, the failure value (-1, printed as
// ffffffff) too. Only the low 32 bits of the value are printed.
std::string OpenDevTraceLine(std::int64_t handleValue);

}  // namespace keyloom::hid
