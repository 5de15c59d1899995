#pragma once

namespace keyloom::ui {

class ObjectFactoryRegistry;

// Registers the factories of the toolkit's standard controls by their tags: window, caption,
// text, img, button, imgbtn, check, radio, edit, combobox, sliderbar, tabctrl, page, listview
// and mclistview.
void RegisterStandardControls(ObjectFactoryRegistry& registry);

}  // namespace keyloom::ui
