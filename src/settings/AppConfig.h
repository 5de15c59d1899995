#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/KeyCatalogEntry.h"

namespace keyloom::settings {

// The configuration: which keyboard to look for, the language to start in, the two key
// catalogues of the key assignment dialog, and the size the main window had last.
//
// A file holds up to five elements side by side at the top level, without a common root:
//   <local language="cn"/>                                     ("cn" Chinese, other values English)
//   <usb vid="258a" pid="002a" interface="1" subdevice="2"/>   (hexadecimal, -1 allowed)
//   <mediakey><key name="Mute" code="239"/>...</mediakey>
//   <functkey><key name="Copy" code="224, 6"/>...</functkey>
//   <window width="1180" height="720"/>                         (decimal)
// Each is optional, their order is free, and of an element that occurs twice the first counts.
// Every child of the catalogues, whatever its element name, gives one entry when its "name" is
// not empty; "code" is a comma-separated list of decimal numbers in which spaces do not count.
//
// The program's own config.xml is read-only data. A user's own config.xml, in the user's data
// folder, comes over it element by element (LoadLayered): that is where the program keeps the
// user's language and window size, and where a user may put a catalogue of their own.
struct AppConfig {
  bool isChinese = false;
  // Whether the configuration names a language (a "language" that is not empty); without one
  // the system's language decides (IsChineseFor).
  bool languageSet = false;
  // A vendor or product id of 0 matches any device; a negative interface or collection number
  // matches any interface or collection.
  std::int32_t vendorId = 0;
  std::int32_t productId = 0;
  std::int32_t interfaceNumber = 0;
  std::int32_t collectionNumber = 0;
  std::vector<KeyCatalogEntry> mediaKeys;
  std::vector<KeyCatalogEntry> functionKeys;
  // The main window's size, in pixels at 100 %, when it was closed last; 0 when not known.
  std::int32_t windowWidth = 0;
  std::int32_t windowHeight = 0;

  // Resets every field to its default, then reads folder / fileName (fileName in UTF-8). False,
  // with every field left at its default, when the file cannot be read (missing, not a regular
  // file, larger than 16 MiB) or is not well-formed XML with at least one element; a NUL
  // character counts as malformed. A file that breaks off part-way thus counts as unreadable as
  // a whole, so that no half-read device id or catalogue is ever used.
  bool Load(const std::filesystem::path& folder, std::string_view fileName);

  // The same for a file named in full.
  bool LoadFile(const std::filesystem::path& file);
  // The same, saying why a file was not read ("there is no such file", "it is not well-formed
  // XML (...)", ...); empty when it was.
  [[nodiscard]] std::string LoadFileOrSayWhy(const std::filesystem::path& file);

  // The same for the file's content, already in memory.
  bool LoadBuffer(std::string_view bytes);

  // What LoadLayered could read.
  struct Layers {
    bool shipped = false;
    bool user = false;
    // Why a file was not read, as LoadFileOrSayWhy says it; empty when it was.
    std::string shippedProblem;
    std::string userProblem;
    // Whether there is a user's file at all: one that is there but not read is to be told.
    bool userPresent = false;
    // Whether the device to open (`usb`) is the user's file's.
    bool usbFromUser = false;
  };
  // Resets every field, then reads `shipped` with `user` over it: each top-level element that
  // `user` holds takes the place of the one in `shipped`. Each file is read whole or not at all,
  // as by LoadFile; a file that cannot be read counts as empty. `user` may be empty (none).
  Layers LoadLayered(const std::filesystem::path& shipped, const std::filesystem::path& user);

  // Whether the program speaks Chinese: as the configuration says, and when it names no
  // language, when the system's locale (as "zh_CN", "en_US.UTF-8") is a Chinese one.
  [[nodiscard]] bool IsChineseFor(std::string_view systemLocale) const;

  // The program's one configuration, read on first use from the file named by SetGlobalFile, or
  // else from "config.xml" in DataDir(), with the user's file (SetGlobalUserFile, or else
  // UserConfigFile of UserDataDir()) over it; it is never read again or replaced. Safe to call
  // from any thread.
  static const AppConfig& Global();
  // What Global() could read of its files.
  static const Layers& GlobalLayers();

  // Names the files that Global() reads (--config, and the user's file of --data-dir; an empty
  // path: none). Only before the first call of Global(): afterwards they change nothing and
  // answer false.
  static bool SetGlobalFile(std::filesystem::path file);
  static bool SetGlobalUserFile(std::filesystem::path file);

  bool operator==(const AppConfig&) const = default;

 private:
  // LoadBuffer, saying why the content was refused; empty when it was read.
  std::string ParseOrSayWhy(std::string_view bytes);
};

// The user's own config.xml in `userDataDir`; empty when there is no such folder or it is the
// data folder `dataDir` itself (a portable copy, a build tree), whose config.xml is the program's.
[[nodiscard]] std::filesystem::path UserConfigFile(const std::filesystem::path& userDataDir,
                                                   const std::filesystem::path& dataDir);

// A user's config.xml with one more setting, from its content `bytes` (empty for a file that does
// not exist yet): the first top-level `element` gets the attributes `values` (added, or
// replacing those of that name), or is appended when there is none; everything else (other
// elements, comments, the layout) stays as it was. Nothing when `bytes` is not a configuration
// that reads.
using AttributeValues = std::vector<std::pair<std::string, std::string>>;
[[nodiscard]] std::optional<std::string> WithSetting(std::string_view bytes,
                                                     std::string_view element,
                                                     const AttributeValues& values);

// The settings that the program keeps in the user's file.
[[nodiscard]] std::optional<std::string> WithLanguage(std::string_view bytes, bool chinese);
[[nodiscard]] std::optional<std::string> WithWindowSize(std::string_view bytes, int width,
                                                        int height);

}  // namespace keyloom::settings
