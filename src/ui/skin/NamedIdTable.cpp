#include "ui/skin/NamedIdTable.h"

#include <algorithm>
#include <array>

namespace keyloom::ui {

namespace {

// Sorted by name, so that a name is found by binary search.
constexpr std::array<NamedId, NamedIdTable::kEntryCount> kEntries = {{
    {"_name_start", 65535},
    {"bar_brightness", 65588},
    {"bar_brightness_parent", 65587},
    {"bar_color0", 65595},
    {"bar_color1", 65596},
    {"bar_color2", 65597},
    {"bar_color3", 65598},
    {"bar_color4", 65599},
    {"bar_color5", 65600},
    {"bar_color6", 65601},
    {"bar_color7", 65602},
    {"bar_color_parent", 65594},
    {"bar_speed", 65590},
    {"bar_speed_parent", 65589},
    {"btnCancel", 65546},
    {"btnDelete", 65579},
    {"btnMin", 65544},
    {"btnOK", 65578},
    {"btnRestore", 65545},
    {"btnSwitch", 65583},
    {"btn_min", 65538},
    {"btn_more", 65537},
    {"btn_restore_factory", 65541},
    {"button1st", 65584},
    {"button2nd", 65585},
    {"button3rd", 65586},
    {"chk_macro_fixed_delay", 65571},
    {"chk_macro_no_delay", 65572},
    {"chk_macro_realy_delay", 65570},
    {"chk_macro_record", 65573},
    {"chk_single_record", 65574},
    {"cmb_function_keys", 65577},
    {"cmb_led_mode", 65540},
    {"cmb_media_keys", 65576},
    {"cmb_profile", 65542},
    {"col1", 65560},
    {"col2", 65562},
    {"col3", 65564},
    {"col4", 65566},
    {"edit_macro_delay_time", 65569},
    {"edit_macro_repeat_times", 65568},
    {"edit_single_key", 65575},
    {"groupAdd", 65550},
    {"groupDel", 65549},
    {"groupExport", 65552},
    {"groupImport", 65551},
    {"group_name", 65558},
    {"img_keyboard", 65539},
    {"item_clear", 65556},
    {"item_delete", 65555},
    {"item_down", 65554},
    {"item_up", 65553},
    {"key_code", 65561},
    {"key_delay", 65567},
    {"key_info", 65559},
    {"key_name", 65563},
    {"key_state", 65565},
    {"macro_group", 65557},
    {"msgicon", 65581},
    {"msgtext", 65582},
    {"msgtitle", 65580},
    {"radio_direction_left", 65592},
    {"radio_direction_parent", 65591},
    {"radio_direction_right", 65593},
    {"tab_macro_mode_selection", 65548},
    {"text_recording_keys", 65547},
    {"title", 65536},
    {"udef_area1_color1", 65604},
    {"udef_area1_color2", 65605},
    {"udef_area1_color3", 65606},
    {"udef_area1_color4", 65607},
    {"udef_area1_color5", 65608},
    {"udef_area1_color6", 65609},
    {"udef_area1_color7", 65610},
    {"udef_area1_color8", 65611},
    {"udef_area2_color1", 65628},
    {"udef_area2_color2", 65629},
    {"udef_area2_color3", 65630},
    {"udef_area2_color4", 65631},
    {"udef_area2_color5", 65632},
    {"udef_area2_color6", 65633},
    {"udef_area2_color7", 65634},
    {"udef_area2_color8", 65635},
    {"udef_area3_color1", 65612},
    {"udef_area3_color2", 65613},
    {"udef_area3_color3", 65614},
    {"udef_area3_color4", 65615},
    {"udef_area3_color5", 65616},
    {"udef_area3_color6", 65617},
    {"udef_area3_color7", 65618},
    {"udef_area3_color8", 65619},
    {"udef_area4_color1", 65636},
    {"udef_area4_color2", 65637},
    {"udef_area4_color3", 65638},
    {"udef_area4_color4", 65639},
    {"udef_area4_color5", 65640},
    {"udef_area4_color6", 65641},
    {"udef_area4_color7", 65642},
    {"udef_area4_color8", 65643},
    {"udef_area5_color1", 65620},
    {"udef_area5_color2", 65621},
    {"udef_area5_color3", 65622},
    {"udef_area5_color4", 65623},
    {"udef_area5_color5", 65624},
    {"udef_area5_color6", 65625},
    {"udef_area5_color7", 65626},
    {"udef_area5_color8", 65627},
    {"udef_area6_color1", 65644},
    {"udef_area6_color2", 65645},
    {"udef_area6_color3", 65646},
    {"udef_area6_color4", 65647},
    {"udef_area6_color5", 65648},
    {"udef_area6_color6", 65649},
    {"udef_area6_color7", 65650},
    {"udef_area6_color8", 65651},
    {"udef_area_parent", 65603},
    {"version", 65543},
}};

}  // namespace

std::span<const NamedId> NamedIdTable::Entries() {
  return kEntries;
}

std::optional<int> NamedIdTable::IdOf(std::string_view name) {
  const auto* found =
      std::lower_bound(kEntries.begin(), kEntries.end(), name,
                       [](const NamedId& entry, std::string_view key) { return entry.name < key; });
  if (found == kEntries.end() || found->name != name) {
    return std::nullopt;
  }
  return found->id;
}

std::optional<std::string_view> NamedIdTable::NameOf(int id) {
  const auto* found = std::find_if(kEntries.begin(), kEntries.end(),
                                   [id](const NamedId& entry) { return entry.id == id; });
  if (found == kEntries.end()) {
    return std::nullopt;
  }
  return found->name;
}

}  // namespace keyloom::ui
