#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

#include "cli/CommandSupport.h"
#include "cli/KeyboardAccess.h"
#include "cli/Output.h"
#include "cli/commands/Commands.h"
#include "keymap/KeyMap.h"
#include "protocol/LightingEffects.h"
#include "protocol/LightingParameters.h"
#include "protocol/LightingRecord.h"
#include "protocol/LightingTable.h"
#include "settings/AsciiText.h"
#include "settings/HexText.h"

namespace keyloom::cli {

namespace {

struct LightArguments {
  std::optional<std::string> mode;  // an effect's number, name or identifier; none: show
  std::optional<int> brightness;
  std::optional<int> speed;
  std::optional<int> colour;
  std::optional<std::string> direction;
  std::optional<std::string> areas;
};

// The options of the parameters that an effect uses: "--brightness --speed --colour".
std::string LightingParameterOptions(const protocol::EffectParameters& parameters) {
  std::string options;
  auto add = [&options](bool used, const char* name) {
    if (used) {
      options += options.empty() ? name : std::string(" ") + name;
    }
  };
  add(parameters.brightness, "--brightness");
  add(parameters.speed, "--speed");
  add(parameters.colour, "--colour");
  add(parameters.direction, "--direction");
  add(parameters.areas, "--areas");
  return options;
}

// keyloomctl's number of an area colour, in --areas and in what `light` shows: the palette's
// colours 1-7 are 0-6.
int AreaColourNumber(protocol::LightingColour colour) {
  return colour - 1;
}

// One area colour of --areas: its number or "none".
std::optional<protocol::LightingColour> ParseAreaColour(const std::string& text) {
  if (text == "none") {
    return protocol::kNoColour;
  }
  for (protocol::LightingColour colour = 1; colour <= protocol::kPaletteColours; ++colour) {
    if (text == std::to_string(AreaColourNumber(colour))) {
      return colour;
    }
  }
  return std::nullopt;
}

// Parses "0,1,2,none,4,5": six area colours.
std::optional<std::array<protocol::LightingColour, protocol::kLightingAreaCount>> ParseAreas(
    const std::string& text) {
  std::array<protocol::LightingColour, protocol::kLightingAreaCount> areas{};
  std::size_t start = 0;
  for (std::size_t i = 0; i < areas.size(); ++i) {
    const std::size_t comma = text.find(',', start);
    const bool last = i + 1 == areas.size();
    if (last != (comma == std::string::npos)) {
      return std::nullopt;
    }
    const auto colour =
        ParseAreaColour(text.substr(start, last ? std::string::npos : comma - start));
    if (!colour) {
      return std::nullopt;
    }
    areas[i] = *colour;
    start = comma + 1;
  }
  return areas;
}

// The parameters the user gave that the mode does not use, as option names.
std::string UnusedParameters(const LightArguments& a, const protocol::EffectParameters& uses) {
  std::string unused;
  auto add = [&unused](bool given, bool used, const char* name) {
    if (given && !used) {
      unused += unused.empty() ? name : std::string(", ") + name;
    }
  };
  add(a.speed.has_value(), uses.speed, "--speed");
  add(a.colour.has_value(), uses.colour, "--colour");
  add(a.direction.has_value(), uses.direction, "--direction");
  add(a.areas.has_value(), uses.areas, "--areas");
  return unused;
}

// The lighting of an LED mode: as sent, or as the key map keeps it; without mode and record it
// is not known, for `unknownReason`.
void PrintLighting(Context& context, std::optional<int> mode,
                   const std::optional<protocol::LightingRecord>& record,
                   std::string_view unknownReason) {
  std::ostream& out = context.console.out;
  const bool json = context.options.json;
  if (!mode || !record || !protocol::LightingTable::IsLedMode(*mode)) {
    if (json) {
      PrintJson(out, {{"mode", nullptr},
                      {"effect", nullptr},
                      {"name", nullptr},
                      {"record", nullptr},
                      {"brightness", nullptr},
                      {"speed", nullptr},
                      {"colour", nullptr},
                      {"direction", nullptr},
                      {"areas", nullptr},
                      {"unknownReason", std::string(unknownReason)}});
      return;
    }
    out << "Lighting: unknown (" << unknownReason << ")\n";
    return;
  }
  const auto lighting = protocol::LightingParameters::Decode(*mode, *record);
  const auto& effect = protocol::kLightingEffects[static_cast<std::size_t>(*mode)];
  const auto& uses = effect.parameters;
  const char* direction =
      lighting.direction == protocol::LightingDirection::kRight ? "right" : "left";
  const std::string recordHex = settings::HexBytes(record->bytes);

  if (json) {
    Json areas = nullptr;
    if (uses.areas) {
      areas = Json::array();
      for (const protocol::LightingColour colour : lighting.areas) {
        areas.push_back(colour == protocol::kNoColour ? Json(nullptr)
                                                      : Json(AreaColourNumber(colour)));
      }
    }
    PrintJson(out, {{"mode", *mode},
                    {"effect", effect.identifier},
                    {"name", effect.name},
                    {"record", recordHex},
                    {"brightness", lighting.brightness},
                    {"speed", uses.speed ? Json(lighting.speed) : Json(nullptr)},
                    {"colour", uses.colour ? Json(lighting.colour) : Json(nullptr)},
                    {"direction", uses.direction ? Json(direction) : Json(nullptr)},
                    {"areas", areas},
                    {"unknownReason", nullptr}});
    return;
  }
  out << "LED mode " << *mode << " (" << effect.name << "): brightness " << lighting.brightness;
  if (uses.speed) {
    out << ", speed " << lighting.speed;
  }
  if (uses.colour) {
    out << ", colour " << lighting.colour;
  }
  if (uses.direction) {
    out << ", direction " << direction;
  }
  if (uses.areas) {
    out << ", areas ";
    for (std::size_t i = 0; i < lighting.areas.size(); ++i) {
      const protocol::LightingColour colour = lighting.areas[i];
      out << (i == 0 ? "" : ",")
          << (colour == protocol::kNoColour ? std::string("none")
                                            : std::to_string(AreaColourNumber(colour)));
    }
  }
  out << " (record " << recordHex << ")\n";
}

// `light` without a mode: the lighting last sent, as the key map keeps it.
int ShowLighting(Context& context, const LightArguments& a) {
  if (a.brightness || a.speed || a.colour || a.direction || a.areas) {
    context.console.err << "keyloomctl: light needs MODE, the effect, to set its parameters\n";
    return kExitUsage;
  }
  const auto keyboard = MakeConnection(context.options, SelectorFrom(context.config),
                                       context.dataDir, context.console);
  if (!keyboard) {
    return kExitUsage;
  }
  const keymap::KeyMap& map = keyboard->KeyMap();
  const std::optional<int> mode = map.LedMode();
  if (mode && map.Lighting(*mode)) {
    PrintLighting(context, mode, map.Lighting(*mode), {});
    return kExitOk;
  }
  std::string reason =
      "the key map does not know the lighting last sent: none was sent through keyloomctl or "
      "the window since it began, or the last one may not have arrived; 'keyloomctl light MODE' "
      "sends one";
  if (map.LedModeUnfinished()) {
    reason =
        "an earlier change of the lighting may not have finished; 'keyloomctl light MODE' sends "
        "one";
  } else if (const auto& problem = keyboard->KeyMapProblem()) {
    reason =
        "the key map of what the keyboard holds could not be read (" + Printable(*problem) + ")";
  }
  PrintLighting(context, std::nullopt, std::nullopt, reason);
  return kExitOk;
}

int RunLight(Context& context, const LightArguments& a) {
  if (!a.mode) {
    return ShowLighting(context, a);
  }
  const std::optional<int> mode = protocol::LedModeFromName(*a.mode);
  if (!mode) {
    context.console.err << "keyloomctl: MODE \"" << Printable(*a.mode)
                        << "\" is no effect: give 0-9, an effect's name or its identifier:";
    for (const protocol::LightingEffect& effect : protocol::kLightingEffects) {
      context.console.err << (&effect == protocol::kLightingEffects.data() ? " " : ", ")
                          << effect.identifier;
    }
    context.console.err << " ('keyloomctl light --help' lists them)\n";
    return kExitUsage;
  }
  const auto& effect = protocol::kLightingEffects[static_cast<std::size_t>(*mode)];
  if (const std::string unused = UnusedParameters(a, effect.parameters); !unused.empty()) {
    context.console.err << "keyloomctl: the effect " << effect.identifier << " (LED mode " << *mode
                        << ") does not use " << unused << "; it uses "
                        << LightingParameterOptions(effect.parameters) << '\n';
    return kExitUsage;
  }
  std::optional<std::array<protocol::LightingColour, protocol::kLightingAreaCount>> areas;
  if (a.areas) {
    areas = ParseAreas(*a.areas);
    if (!areas) {
      context.console.err << "keyloomctl: --areas takes six area colours separated by commas, "
                             "each 0-6 or none, such as 0,1,2,none,4,5\n";
      return kExitUsage;
    }
  }

  // Start from the mode's defaults and change only what the user gave, so that the parameters
  // left out keep their defaults. --colour 0-7 is the palette's colour, 0 none of them.
  protocol::LightingTable table;
  auto parameters = protocol::LightingParameters::Decode(*mode, table[*mode]);
  parameters.brightness = a.brightness.value_or(parameters.brightness);
  parameters.speed = a.speed.value_or(parameters.speed);
  parameters.colour = a.colour.value_or(parameters.colour);
  if (a.direction) {
    // The option takes "left" and "right" in any case, as it was given.
    parameters.direction = settings::EqualIgnoringAsciiCase(*a.direction, "right")
                               ? protocol::LightingDirection::kRight
                               : protocol::LightingDirection::kLeft;
  }
  parameters.areas = areas.value_or(parameters.areas);
  table[*mode] = parameters.Encode(table[*mode]);

  auto [keyboard, failure] = OpenKeyboard(context);
  if (!keyboard) {
    return failure;
  }
  const protocol::Transfers sent = keyboard->SendLighting(*mode, table[*mode]);
  const bool simulatorFailed = ReportFileTrouble(*keyboard, context.console);
  if (!sent.ok()) {
    context.console.err << "keyloomctl: the keyboard did not take the lighting ("
                        << DescribeFailure(sent) << ")\n";
  }
  if (!sent.ok() || simulatorFailed) {
    return kExitNotDone;
  }
  PrintLighting(context, *mode, table[*mode], {});
  return kExitOk;
}

// The effects that `light` takes, with the parameters each one uses.
std::string EffectsHelp() {
  std::string text = "Effects (MODE is the number, the name or the identifier, in any case):\n";
  for (std::size_t mode = 0; mode < protocol::kLightingEffects.size(); ++mode) {
    const protocol::LightingEffect& effect = protocol::kLightingEffects[mode];
    std::string line = "  " + std::to_string(mode) + "  " + std::string(effect.identifier);
    line.resize(22, ' ');
    line += effect.name;
    line.resize(40, ' ');
    text += line + LightingParameterOptions(effect.parameters) + '\n';
  }
  return text;
}

}  // namespace

void DefineLight(CLI::App& app, ChosenCommand& chosen) {
  auto* light = app.add_subcommand(
      "light",
      "Set the lighting effect MODE; parameters left out take the effect's defaults. Without "
      "MODE, show the lighting last sent");
  LightArguments& a = Runs(*light, chosen, &RunLight);
  light->add_option("MODE", a.mode, "An effect: its number 0-9, name or identifier");
  light->add_option("--brightness", a.brightness, "0-3")
      ->check(CLI::Range(0, protocol::kHighestLightingLevel));
  light->add_option("--speed", a.speed, "0-3")
      ->check(CLI::Range(0, protocol::kHighestLightingLevel));
  light->add_option("--colour,--color", a.colour, "0-7 (0: none of the seven colours)")
      ->check(CLI::Range(protocol::kNoColour, protocol::kPaletteColours));
  light->add_option("--direction", a.direction, "left or right")
      ->check(CLI::IsMember({"left", "right"}, CLI::ignore_case));
  light
      ->add_option("--areas", a.areas, "custom-areas: six area colours A1,...,A6, each 0-6 or none")
      ->type_name("A1,A2,A3,A4,A5,A6");
  light->footer(EffectsHelp());
}

}  // namespace keyloom::cli
