#pragma once

namespace keyloom::ui {
class SApplication;
}

namespace keyloom::controls {

// Registers the program's own controls with the toolkit, by XML tag, in this order:
// "shellnotifyicon", "cbimg", "page2", "tabctrl2", "anmimg", "editex", "radioex", "checkex". A tag
// that is already registered keeps its factory.
void RegisterControls(ui::SApplication& app);

}  // namespace keyloom::controls
