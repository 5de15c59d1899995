#include <ostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/Output.h"
#include "cli/commands/Commands.h"
#include "settings/AppConfig.h"
#include "settings/KeyCatalogEntry.h"

namespace keyloom::cli {

namespace {

Json CatalogueJson(const std::vector<settings::KeyCatalogEntry>& entries) {
  Json list = Json::array();
  for (const auto& entry : entries) {
    list.push_back({{"name", entry.name}, {"codes", entry.codes}});
  }
  return list;
}

void PrintCatalogue(std::ostream& out, const char* title,
                    const std::vector<settings::KeyCatalogEntry>& entries) {
  out << title << " (" << entries.size() << "):\n";
  for (const auto& entry : entries) {
    out << "  " << Printable(entry.name) << ':';
    for (std::size_t i = 0; i < entry.codes.size(); ++i) {
      out << (i == 0 ? " " : ", ") << entry.codes[i];
    }
    out << '\n';
  }
}

std::string DescribeSelectorField(std::int32_t value, bool zeroIsWildcard, int digits) {
  if (zeroIsWildcard ? value <= 0 : value < 0) {
    return "any";
  }
  return digits > 0 ? Hex(static_cast<unsigned>(value), digits) : std::to_string(value);
}

// The configuration as read from the program's file with the user's own over it.
int RunConfig(Context& context) {
  const settings::AppConfig& config = context.config;
  std::ostream& out = context.console.out;
  if (context.options.json) {
    PrintJson(out, {{"isChinese", config.isChinese},
                    {"languageSet", config.languageSet},
                    {"vendorId", config.vendorId},
                    {"productId", config.productId},
                    {"interfaceNumber", config.interfaceNumber},
                    {"collectionNumber", config.collectionNumber},
                    {"mediaKeys", CatalogueJson(config.mediaKeys)},
                    {"functionKeys", CatalogueJson(config.functionKeys)}});
    return kExitOk;
  }
  out << "File: " << context.configFile.string()
      << (context.configLoaded ? "" : " (not readable: defaults in use)") << '\n';
  if (context.userConfigLoaded) {
    out << "The user's file, over it: " << context.userConfigFile.string() << '\n';
  }
  out << "Language: "
      << (!config.languageSet ? "not set (the system's language decides)"
          : config.isChinese  ? "Chinese"
                              : "English")
      << '\n'
      << "Keyboard: vendor id " << DescribeSelectorField(config.vendorId, true, 4)
      << ", product id " << DescribeSelectorField(config.productId, true, 4) << ", interface "
      << DescribeSelectorField(config.interfaceNumber, false, 0) << ", collection "
      << DescribeSelectorField(config.collectionNumber, false, 0) << '\n';
  PrintCatalogue(out, "Media keys", config.mediaKeys);
  PrintCatalogue(out, "Function keys", config.functionKeys);
  return kExitOk;
}

}  // namespace

void DefineConfig(CLI::App& app, ChosenCommand& chosen) {
  Runs(*app.add_subcommand("config", "Show the configuration as read"), chosen, &RunConfig,
       {.dataFolder = false});
}

}  // namespace keyloom::cli
