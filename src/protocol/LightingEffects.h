#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "protocol/LightingTable.h"

namespace keyloom::protocol {

// The parameters that the user sets for an effect, beyond the effect itself.
struct EffectParameters {
  bool direction = false;
  bool speed = false;
  bool brightness = false;
  bool colour = false;
  bool areas = false;

  friend bool operator==(const EffectParameters&, const EffectParameters&) = default;
};

// One of the keyboard's ten lighting effects: its English name, as the window's list of effects
// shows it, a short identifier for the command line, and the parameters it takes.
struct LightingEffect {
  std::string_view name;
  std::string_view identifier;
  EffectParameters parameters;
};

// The effects by LED mode, in the order of the window's list.
// clang-format off
//                                                                 direction speed  brightness colour areas
inline constexpr std::array<LightingEffect, LightingTable::kModeCount> kLightingEffects{{
    {"Rainbow wave",   "rainbow-wave",   {true,  true,  true, false, false}},  // 0
    {"Color wave",     "color-wave",     {true,  true,  true, true,  false}},  // 1
    {"Marquee",        "marquee",        {true,  true,  true, true,  false}},  // 2
    {"Static",         "static",         {false, false, true, true,  false}},  // 3
    {"Breathing",      "breathing",      {false, true,  true, true,  false}},  // 4
    {"Spectrum cycle", "spectrum-cycle", {false, true,  true, false, false}},  // 5
    {"Rainbow wheel",  "rainbow-wheel",  {true,  true,  true, false, false}},  // 6
    {"Static rainbow", "static-rainbow", {false, false, true, false, false}},  // 7
    {"Custom areas",   "custom-areas",   {false, false, true, false, true}},   // 8
    {"Reactive",       "reactive",       {false, false, true, false, false}},  // 9
}};
// clang-format on

// The LED mode that `text` names: its number "0"-"9", or an effect's name or identifier, the
// case of ASCII letters ignored ("Rainbow wave", "rainbow-wave", "BREATHING"). Nullopt for
// anything else.
[[nodiscard]] std::optional<int> LedModeFromName(std::string_view text);

}  // namespace keyloom::protocol
