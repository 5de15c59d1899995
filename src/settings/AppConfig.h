#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "settings/KeyCatalogEntry.h"

namespace keyloom::settings {

// The read-only configuration file: which keyboard to look for, the language to start in and the
// two key catalogues of the key assignment dialog. The program never writes it.
//
// The file holds up to four elements side by side at the top level, without a common root:
//   <local language="cn"/>
//   <usb vid="258a" pid="002a" interface="1" subdevice="2"/>   (hexadecimal, -1 allowed)
//   <mediakey><key name="Mute" code="239"/>...</mediakey>
//   <functkey><key name="Copy" code="224, 6"/>...</functkey>
// Each is optional, their order is free, and of an element that occurs twice the first counts.
// Every child of the catalogues, whatever its element name, gives one entry when its "name" is
// not empty; "code" is a comma-separated list of decimal numbers in which spaces do not count.
struct AppConfig {
  bool isChinese = false;
  // A vendor or product id of 0 matches any device; a negative interface or collection number
  // matches any interface or collection.
  std::int32_t vendorId = 0;
  std::int32_t productId = 0;
  std::int32_t interfaceNumber = 0;
  std::int32_t collectionNumber = 0;
  std::vector<KeyCatalogEntry> mediaKeys;
  std::vector<KeyCatalogEntry> functionKeys;

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

  // The program's one configuration, read on first use from the file named by SetGlobalFile, or
  // else from "config.xml" in DataDir(); it is never read again or replaced. Safe to call from
  // any thread.
  static const AppConfig& Global();

  // Names the file that Global() reads (the command-line tool's --config). Only before the first
  // call of Global(): afterwards it changes nothing and answers false.
  static bool SetGlobalFile(std::filesystem::path file);

  bool operator==(const AppConfig&) const = default;

 private:
  // LoadBuffer, saying why the content was refused; empty when it was read.
  std::string ParseOrSayWhy(std::string_view bytes);
};

}  // namespace keyloom::settings
