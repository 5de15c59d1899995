#include "hid/HidTrace.h"

#include <cstdio>

namespace keyloom::hid {

std::string GotClassTraceLine(const Guid& interfaceClass) {
  return "got classs: guid={" + FormatGuidForTrace(interfaceClass) + "}";
}

std::string EnumInterfaceTraceLine(const Guid& interfaceClass, int index) {
  return "enum interface: guid={" + FormatGuidForTrace(interfaceClass) +
         "} index=" + std::to_string(index);
}

std::string DetailQueryFailedTraceLine() {
  return "获取接口信息失败";
}

std::string OpenDevTraceLine(std::int64_t handleValue) {
  char text[32] = {};
  std::snprintf(text, sizeof text, "open dev: %08x",
                static_cast<unsigned>(static_cast<std::uint32_t>(handleValue)));
  return text;
}

}  // namespace keyloom::hid
