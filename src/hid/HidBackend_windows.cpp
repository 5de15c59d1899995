// Discovery on Windows: the present interfaces of the HID interface class from SetupAPI, each
// listed with the fields of its path; the interface that the shared discovery keeps is opened and
// described through hid.dll.

#include <windows.h>

extern "C" {
#include <hidsdi.h>
}

#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <setupapi.h>

#include "hid/HidPath.h"
#include "hid/ListingHidBackend.h"
#include "hid/WideText.h"
#include "hid/WindowsHidHandle.h"

namespace keyloom::hid {
namespace {

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

// The path of one enumerated interface, or why there is none.
struct PathQuery {
  std::optional<std::wstring> path;
  bool failed = false;  // the detail query failed; discovery traces it
};

PathQuery InterfacePath(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& data) {
  PathQuery query;
  DWORD required = 0;
  if (SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &required, nullptr)) {
    return query;
  }
  // A size that cannot hold the detail record would make the second query write past the buffer;
  // it counts as a failed query.
  constexpr std::size_t kMinimumSize = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath);
  if (required <= kMinimumSize) {
    query.failed = true;
    return query;
  }
  // Kept in 8-byte units so that the record laid over it is aligned.
  std::vector<std::uint64_t> storage((required + sizeof(std::uint64_t) - 1) /
                                     sizeof(std::uint64_t));
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
  if (!SetupDiGetDeviceInterfaceDetailW(set, &data, detail, required, nullptr, nullptr)) {
    query.failed = true;
    return query;
  }
  const std::size_t capacity = (required - kMinimumSize) / sizeof(wchar_t);
  query.path = std::wstring(detail->DevicePath, wcsnlen(detail->DevicePath, capacity));
  return query;
}

// The interfaces of one device information set, index after index. Owns the set.
class WindowsListing final : public InterfaceListing {
 public:
  explicit WindowsListing(HDEVINFO set) : set_(set) {}
  ~WindowsListing() override { SetupDiDestroyDeviceInfoList(set_); }

  WindowsListing(const WindowsListing&) = delete;
  WindowsListing& operator=(const WindowsListing&) = delete;

  // An interface whose path does not fit the grammar is listed without any collection.
  std::optional<ListedInterface> Next() override {
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    if (!SetupDiEnumDeviceInterfaces(set_, nullptr, &hidClass_, index_, &data)) {
      return std::nullopt;
    }
    ++index_;
    ListedInterface listed;
    listed.interfaceClass = FromWindowsGuid(data.InterfaceClassGuid);
    PathQuery query = InterfacePath(set_, data);
    listed.detailQueryFailed = query.failed;
    if (!query.path) {
      return listed;
    }
    std::string path = Utf8FromWide(*query.path);
    const auto fields = ParseHidPath(path);
    if (!fields) {
      return listed;
    }
    widePath_ = std::move(*query.path);
    listed.record.path = std::move(path);
    listed.record.interfaceFlags = data.Flags;
    listed.collections.push_back({*fields});
    return listed;
  }

  // Release number, usage and strings come from the open handle; a failed open leaves them zero.
  std::int64_t Probe(HidInterfaceInfo& record) override {
    HANDLE device = CreateFileW(widePath_.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
    if (device != INVALID_HANDLE_VALUE) {
      DescribeInterface(device, record);
      CloseHandle(device);
    }
    return reinterpret_cast<std::intptr_t>(device);
  }

 private:
  HDEVINFO set_;
  GUID hidClass_ = ToWindowsGuid(kHidInterfaceClass);
  DWORD index_ = 0;
  std::wstring widePath_;  // of the interface Next() gave last, when it has collections
};

class WindowsHidBackend final : public ListingHidBackend {
 public:
  OpenResult OpenPath(const std::string& path) override { return OpenWindowsHidPath(path); }

 private:
  std::unique_ptr<InterfaceListing> ListInterfaces() override {
    const GUID hidClass = ToWindowsGuid(kHidInterfaceClass);
    HDEVINFO set =
        SetupDiGetClassDevsW(&hidClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) {
      return nullptr;
    }
    return std::make_unique<WindowsListing>(set);
  }
};

}  // namespace

HidBackend& SystemHidBackend() {
  static WindowsHidBackend backend;
  return backend;
}

}  // namespace keyloom::hid
