// Menus on any bytes, in both forms: the reader must never crash, and the menu it makes can be
// built as a Qt menu, whose every command (an item that is neither a separator nor a submenu) is
// found again by its id, as the first command with that id.

#include <QMenu>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>

#include <pugixml.hpp>

#include "QtFuzzSupport.h"
#include "ui/host/PopupMenu.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using keyloom::ui::PopupMenu;
  keyloom::fuzz::StartQt();
  pugi::xml_document document;
  if (!keyloom::fuzz::ParseInput(data, size, document)) {
    return 0;
  }
  const pugi::xml_node root = document.document_element();
  const auto menu = PopupMenu::FromXml(root);
  if (menu.has_value() != (PopupMenu::KindOf(root) != PopupMenu::Kind::kNone)) {
    std::abort();
  }
  if (!menu) {
    return 0;
  }
  std::function<void(const std::vector<PopupMenu::Item>&)> check =
      [&](const std::vector<PopupMenu::Item>& items) {
        for (const auto& item : items) {
          if (item.separator) {
            continue;
          }
          if (item.children.empty()) {
            const PopupMenu::Item* found = menu->FindItem(item.id);
            if (found == nullptr || found->id != item.id || !found->children.empty()) {
              std::abort();
            }
          }
          check(item.children);
        }
      };
  check(menu->Items());
  const std::unique_ptr<QMenu> built = menu->BuildMenu(nullptr);
  if (!built) {
    std::abort();
  }
  return 0;
}
