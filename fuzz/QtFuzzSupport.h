#pragma once

#include <cstddef>
#include <cstdint>

namespace pugi {
class xml_document;
}

namespace keyloom::ui {
class SApplication;
}

namespace keyloom::fuzz {

// The Qt application of the GUI readers' targets, on the offscreen platform; made on the first
// call and kept for the whole run.
void StartQt();

// The toolkit's application over the program's own skin (skin/uires) with the program's controls
// registered, so that layouts meet the real styles, strings, skins and tags; made on the first
// call after StartQt.
ui::SApplication& SkinApplication();

// Parses the fuzzer's bytes with pugixml's default options, as the skin's readers do; false when
// they are not well-formed.
bool ParseInput(const std::uint8_t* data, std::size_t size, pugi::xml_document& document);

}  // namespace keyloom::fuzz
