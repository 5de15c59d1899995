// Discovery on Windows: the present interfaces of the HID interface class from SetupAPI, each
// path matched against the selector, each kept interface described through hid.dll.

#include <windows.h>

extern "C" {
#include <hidsdi.h>
}

#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <vector>

#include <setupapi.h>

#include "hid/HidBackend.h"
#include "hid/HidPath.h"
#include "hid/HidTrace.h"
#include "hid/WideText.h"
#include "hid/WindowsHidHandle.h"

namespace keyloom::hid {
namespace {

constexpr const char* kDetailQueryFailedTrace = "获取接口信息失败";

// The string queries get a buffer of 1024 bytes: at most 511 characters and a terminator.
constexpr std::size_t kStringBufferChars = 512;

GUID ToWindowsGuid(const Guid& guid) {
  GUID result{};
  result.Data1 = guid.data1;
  result.Data2 = guid.data2;
  result.Data3 = guid.data3;
  for (std::size_t i = 0; i < guid.data4.size(); ++i) {
    result.Data4[i] = guid.data4[i];
  }
  return result;
}

Guid FromWindowsGuid(const GUID& guid) {
  Guid result;
  result.data1 = static_cast<std::uint32_t>(guid.Data1);
  result.data2 = guid.Data2;
  result.data3 = guid.Data3;
  for (std::size_t i = 0; i < result.data4.size(); ++i) {
    result.data4[i] = guid.Data4[i];
  }
  return result;
}

void Trace(const DiagnosticTrace& trace, const std::string& line) {
  if (trace) {
    trace(line);
  }
}

using StringQuery = BOOLEAN(NTAPI*)(HANDLE, PVOID, ULONG);

std::optional<std::string> QueryString(HANDLE device, StringQuery query) {
  std::vector<wchar_t> buffer(kStringBufferChars, L'\0');
  if (!query(device, buffer.data(), static_cast<ULONG>(buffer.size() * sizeof(wchar_t)))) {
    return std::nullopt;
  }
  buffer.back() = L'\0';
  return Utf8FromWide(buffer.data());
}

// Fills release number, usage and strings of a kept interface from its open handle. A query that
// fails leaves its field zero or empty.
void DescribeInterface(HANDLE device, HidInterfaceInfo& info) {
  HIDD_ATTRIBUTES attributes{};
  attributes.Size = sizeof attributes;
  if (HidD_GetAttributes(device, &attributes)) {
    info.releaseNumber = attributes.VersionNumber;
  }
  PHIDP_PREPARSED_DATA preparsed = nullptr;
  if (HidD_GetPreparsedData(device, &preparsed)) {
    HIDP_CAPS caps{};
    if (HidP_GetCaps(preparsed, &caps) == HIDP_STATUS_SUCCESS) {
      info.usagePage = caps.UsagePage;
      info.usage = caps.Usage;
    }
    HidD_FreePreparsedData(preparsed);
  }
  info.serialNumber = QueryString(device, HidD_GetSerialNumberString);
  info.manufacturer = QueryString(device, HidD_GetManufacturerString);
  info.product = QueryString(device, HidD_GetProductString);
}

// The path of one enumerated interface; nullopt when the detail queries do not give it.
std::optional<std::wstring> InterfacePath(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& data,
                                          const DiagnosticTrace& trace) {
  DWORD required = 0;
  if (SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &required, nullptr)) {
    return std::nullopt;
  }
  // A size that cannot hold the detail record would make the second query write past the buffer;
  // it counts as a failed query.
  constexpr std::size_t kMinimumSize = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath);
  if (required <= kMinimumSize) {
    Trace(trace, kDetailQueryFailedTrace);
    return std::nullopt;
  }
  // Kept in 8-byte units so that the record laid over it is aligned.
  std::vector<std::uint64_t> storage((required + sizeof(std::uint64_t) - 1) /
                                     sizeof(std::uint64_t));
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
  if (!SetupDiGetDeviceInterfaceDetailW(set, &data, detail, required, nullptr, nullptr)) {
    Trace(trace, kDetailQueryFailedTrace);
    return std::nullopt;
  }
  const std::size_t capacity = (required - kMinimumSize) / sizeof(wchar_t);
  return std::wstring(detail->DevicePath, wcsnlen(detail->DevicePath, capacity));
}

class WindowsHidBackend final : public HidBackend {
 public:
  std::vector<HidInterfaceInfo> FindInterfaces(const DeviceSelector& selector,
                                               const DiagnosticTrace& trace) override {
    std::vector<HidInterfaceInfo> found;
    const GUID hidClass = ToWindowsGuid(kHidInterfaceClass);
    HDEVINFO set =
        SetupDiGetClassDevsW(&hidClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) {
      return found;
    }
    Trace(trace, GotClassTraceLine(kHidInterfaceClass));

    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    for (DWORD index = 0; SetupDiEnumDeviceInterfaces(set, nullptr, &hidClass, index, &data);
         ++index) {
      const Guid interfaceClass = FromWindowsGuid(data.InterfaceClassGuid);
      Trace(trace, EnumInterfaceTraceLine(interfaceClass, static_cast<int>(index)));
      const auto widePath = InterfacePath(set, data, trace);
      if (!widePath) {
        continue;
      }
      std::string path = Utf8FromWide(*widePath);
      const auto fields = ParseHidPath(path);
      if (!fields || !selector.Matches(*fields)) {
        continue;
      }
      HidInterfaceInfo info;
      info.path = std::move(path);
      info.interfaceClass = interfaceClass;
      info.interfaceFlags = data.Flags;
      info.vendorId = fields->vendorId;
      info.productId = fields->productId;

      HANDLE device = CreateFileW(widePath->c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OVERLAPPED, nullptr);
      Trace(trace, OpenDevTraceLine(reinterpret_cast<std::intptr_t>(device)));
      if (device != INVALID_HANDLE_VALUE) {
        DescribeInterface(device, info);
        CloseHandle(device);
      }
      found.insert(found.begin(), std::move(info));
    }
    SetupDiDestroyDeviceInfoList(set);
    return found;
  }

  OpenResult OpenPath(const std::string& path) override { return OpenWindowsHidPath(path); }
};

}  // namespace

HidBackend& SystemHidBackend() {
  static WindowsHidBackend backend;
  return backend;
}

}  // namespace keyloom::hid
