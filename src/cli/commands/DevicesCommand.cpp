#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/CommandSupport.h"
#include "cli/KeyboardAccess.h"
#include "cli/Output.h"
#include "cli/commands/Commands.h"
#include "hid/DeviceSelector.h"
#include "hid/HidInterfaceInfo.h"

namespace keyloom::cli {

namespace {

struct DevicesArguments {
  bool all = false;
};

// "{4d1e55b2-f16f-11cf-88cb001111000030}", the interface class as the discovery traces show it.
std::string GuidText(const hid::Guid& guid) {
  std::string text = "{";
  text += hid::FormatGuidForTrace(guid);
  text += '}';
  return text;
}

Json OptionalText(const std::optional<std::string>& text) {
  return text ? Json(*text) : Json(nullptr);
}

// `selectedIndex` marks the interface that opening the keyboard would pick (none with --all).
void PrintDevices(Context& context, const std::vector<hid::HidInterfaceInfo>& interfaces,
                  std::optional<std::size_t> selectedIndex) {
  std::ostream& out = context.console.out;
  if (context.options.json) {
    Json list = Json::array();
    for (std::size_t i = 0; i < interfaces.size(); ++i) {
      const auto& info = interfaces[i];
      list.push_back({{"path", info.path},
                      {"interfaceClass", GuidText(info.interfaceClass)},
                      {"interfaceFlags", info.interfaceFlags},
                      {"vendorId", info.vendorId},
                      {"productId", info.productId},
                      {"releaseNumber", info.releaseNumber},
                      {"serialNumber", OptionalText(info.serialNumber)},
                      {"manufacturer", OptionalText(info.manufacturer)},
                      {"product", OptionalText(info.product)},
                      {"usagePage", info.usagePage},
                      {"usage", info.usage},
                      {"selected", selectedIndex == i}});
    }
    PrintJson(out, list);
    return;
  }
  if (interfaces.empty()) {
    out << "No HID interface found.\n";
  }
  for (std::size_t i = 0; i < interfaces.size(); ++i) {
    const auto& info = interfaces[i];
    out << info.path << (selectedIndex == i ? "  (the keyboard: commands open this one)" : "")
        << '\n'
        << "  vendor id " << Hex(static_cast<unsigned>(info.vendorId), 4) << ", product id "
        << Hex(static_cast<unsigned>(info.productId), 4) << ", release "
        << Hex(info.releaseNumber, 4) << '\n'
        << "  usage page " << Hex(info.usagePage, 4) << ", usage " << Hex(info.usage, 4) << '\n';
    if (info.manufacturer) {
      out << "  manufacturer: " << *info.manufacturer << '\n';
    }
    if (info.product) {
      out << "  product: " << *info.product << '\n';
    }
    if (info.serialNumber) {
      out << "  serial number: " << *info.serialNumber << '\n';
    }
  }
}

int RunDevices(Context& context, const DevicesArguments& a) {
  const auto keyboard = MakeConnection(context.options, SelectorFrom(context.config),
                                       context.dataDir, context.console);
  if (!keyboard) {
    return kExitUsage;
  }
  ReportFileTrouble(*keyboard, context.console);
  const hid::DeviceSelector selector =
      a.all ? hid::DeviceSelector{0, 0, -1, -1} : SelectorFrom(context.config);
  const auto interfaces = keyboard->Backend().FindInterfaces(selector, keyboard->Diagnostics());
  PrintDevices(context, interfaces,
               a.all || interfaces.empty() ? std::nullopt : std::optional<std::size_t>(0));
  if (interfaces.empty() && !a.all) {
    context.console.err << "keyloomctl: no HID interface matches the configuration ("
                        << context.deviceConfigFile.string() << ")\n";
    return kExitNoKeyboard;
  }
  return kExitOk;
}

}  // namespace

void DefineDevices(CLI::App& app, ChosenCommand& chosen) {
  auto* devices = app.add_subcommand("devices",
                                     "List the HID interfaces that match the "
                                     "configuration (the first one is opened)");
  DevicesArguments& a = Runs(*devices, chosen, &RunDevices, {.dataFolder = false});
  devices->add_flag("--all", a.all, "List every HID interface");
}

}  // namespace keyloom::cli
