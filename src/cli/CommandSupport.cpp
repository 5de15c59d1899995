#include "cli/CommandSupport.h"

#include <cstdio>
#include <ostream>
#include <utility>

#include "cli/KeyArgument.h"
#include "cli/KeyboardAccess.h"
#include "cli/Output.h"
#include "keymap/AssignmentWords.h"
#include "keymap/KeyMapFile.h"
#include "protocol/KeyNameTable.h"
#include "settings/AppPaths.h"
#include "settings/HexText.h"
#include "storage/UserFiles.h"

namespace keyloom::cli {

namespace {

// The copy of the model's key map that was moved aside last because it could not be read, if
// the data folder holds one.
std::optional<std::filesystem::path> LastKeptKeyMap(const std::filesystem::path& dataDir,
                                                    const keymap::KeyboardModel& model) {
  if (dataDir.empty()) {
    return std::nullopt;
  }
  const std::filesystem::path name = settings::PathFromUtf8(keymap::KeyMapFileName(model));
  const std::string prefix = name.stem().string() + "." + std::string(storage::kBrokenLabel) + "-";
  const std::string extension = name.extension().string();
  std::optional<std::filesystem::path> last;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(dataDir, error)) {
    const std::string file = entry.path().filename().string();
    if (file.starts_with(prefix) && file.ends_with(extension) &&
        (!last || file > last->filename().string())) {
      last = entry.path();
    }
  }
  return last;
}

}  // namespace

hid::DeviceSelector SelectorFrom(const settings::AppConfig& config) {
  return {config.vendorId, config.productId, config.interfaceNumber, config.collectionNumber};
}

OpenedKeyboard OpenKeyboard(Context& context) {
  // The defaults of a configuration that could not be read match any HID device on interface 0:
  // frames must not go to a device that may not be the keyboard.
  if (!context.configLoaded && !context.options.simulate) {
    context.console.err << "keyloomctl: without its configuration keyloomctl cannot tell the "
                           "keyboard from other devices, so it sends nothing\n";
    return {nullptr, kExitUsage};
  }
  // A vendor or product id of 0 matches every device: frames would go to whatever comes first.
  if (!context.options.simulate &&
      (context.config.vendorId <= 0 || context.config.productId <= 0)) {
    context.console.err << "keyloomctl: the <usb> element of " << context.deviceConfigFile.string()
                        << " names no keyboard (its vid and pid must each be a hexadecimal number "
                           "from 0001 to ffff), so nothing is sent\n";
    return {nullptr, kExitUsage};
  }
  auto keyboard = MakeConnection(context.options, SelectorFrom(context.config), context.dataDir,
                                 context.console);
  if (!keyboard) {
    return {nullptr, kExitUsage};
  }
  if (!OpenKeyboard(*keyboard, context.deviceConfigFile, context.console)) {
    return {nullptr, kExitNoKeyboard};
  }
  return {std::move(keyboard), kExitOk};
}

ActiveProfile FindActiveProfile(const connection::KeyboardConnection& keyboard,
                                const std::filesystem::path& dataDir) {
  if (const auto selected = keyboard.KeyMap().SelectedProfile()) {
    return {*selected + 1, {}};
  }
  if (const auto unfinished = keyboard.KeyMap().UnfinishedSelect()) {
    return {std::nullopt, "an earlier change that selected profile " +
                              std::to_string(*unfinished + 1) +
                              " may not have finished; 'keyloomctl profile N' selects one"};
  }
  constexpr const char* kNoneSince =
      "; no profile has been selected since; 'keyloomctl profile N' selects one";
  if (const auto& aside = keyboard.KeyMapKeptAside()) {
    return {std::nullopt, "the key map could not be read and was moved aside: " +
                              Printable(aside->problem) + kNoneSince};
  }
  if (const auto& problem = keyboard.KeyMapProblem()) {
    return {std::nullopt, "the key map of what the keyboard holds could not be read (" +
                              Printable(*problem) + ")"};
  }
  if (const auto kept = LastKeptKeyMap(dataDir, keyboard.Model())) {
    // Why it could not be read, as reading it again tells (a file repaired since tells nothing).
    keymap::KeyMapDocument document;
    std::string why = keymap::ReadKeyMapFile(*kept, document).error;
    if (const std::string named = kept->string() + " "; why.starts_with(named)) {
      why.replace(0, named.size(), "it ");
    }
    return {std::nullopt, "the key map could not be read and was moved aside to " +
                              Printable(kept->string()) +
                              (why.empty() ? "" : " (" + Printable(why) + ")") + kNoneSince};
  }
  return {std::nullopt,
          "neither keyloomctl nor the window has selected a profile since the key map began; "
          "'keyloomctl profile N' selects one"};
}

int ProfileToChange(Context& context, const connection::KeyboardConnection& keyboard,
                    std::optional<int> requested) {
  const ActiveProfile active = FindActiveProfile(keyboard, context.dataDir);
  const int profile = requested.value_or(active.profile.value_or(1));
  if (active.profile == profile) {
    return profile;
  }
  auto& err = context.console.err;
  err << "keyloomctl: profile " << profile << " is made active";
  if (active.profile) {
    err << " (profile " << *active.profile << " was active)\n";
  } else {
    err << " (which one was active is not known: " << active.unknownReason << ")\n";
  }
  return profile;
}

std::optional<std::uint8_t> KeyOrComplain(Context& context, const std::string& text,
                                          const char* role) {
  const auto code = ParseKeyArgument(text);
  if (!code) {
    context.console.err << "keyloomctl: " << role << " \"" << text
                        << "\" is neither a key name (such as A, F5, Ctrl Left) nor a key code "
                           "from 1 to 255 (such as 0x04)\n";
  }
  return code;
}

std::string DescribeFailure(const protocol::Transfers& transfers) {
  const auto& failure = transfers.firstFailure();
  if (!failure) {
    return {};
  }
  if (failure->kind == protocol::Transfers::Kind::kGet) {
    return "a reply was lost";
  }
  return "set " + settings::HexBytes(failure->frame) + " failed";
}

void ComplainSlotsUnknown(Context& context, const protocol::Transfers& transfers,
                          std::optional<int> profile, const char* what) {
  // Without a single transfer nothing was sent: ReportFileTrouble said why.
  if (transfers.sets() == 0 && transfers.gets() == 0) {
    return;
  }
  auto& err = context.console.err;
  err << "keyloomctl: the keyboard's slot table";
  if (profile) {
    err << " of profile " << *profile;
  }
  err << " did not arrive whole (" << DescribeFailure(transfers) << ")";
  if (what != nullptr) {
    err << ": " << what;
  }
  err << '\n';
}

const char* HalfName(protocol::KeySlotTable::Half half) {
  return half == protocol::KeySlotTable::Half::kMacro ? "macro" : "remap";
}

std::string KeyWithCode(std::uint8_t keyCode) {
  char code[8];
  std::snprintf(code, sizeof code, " (0x%02x)", keyCode);
  return protocol::UsageName(keyCode) + code;
}

std::string DescribeKey(std::uint8_t keyCode, const keymap::KeyContent& content, bool unfinished) {
  const keymap::AssignmentWords words = keymap::Describe(
      KeyWithCode(keyCode), content,
      [](std::uint8_t target) { return protocol::UsageName(target); }, unfinished);
  return Printable(keymap::FillIn(words.text, words.arguments));
}

}  // namespace keyloom::cli
