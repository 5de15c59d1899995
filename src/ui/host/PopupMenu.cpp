#include "ui/host/PopupMenu.h"

#include <QAction>
#include <QList>
#include <QMenu>
#include <functional>
#include <utility>
#include <variant>

#include <pugixml.hpp>

#include "settings/AsciiText.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/host/SApplication.h"
#include "ui/host/SHostWnd.h"
#include "ui/layout/AttributeText.h"
#include "ui/layout/XmlAttribute.h"
#include "ui/skin/ColorText.h"
#include "ui/skin/Image.h"
#include "ui/skin/NamedIdTable.h"

namespace keyloom::ui {

namespace {

struct NoChoice {};
using PresetChoice = std::variant<int, QString, NoChoice>;

std::optional<PresetChoice>& NextChoice() {
  static std::optional<PresetChoice> choice;
  return choice;
}

QString Resolved(const QString& value) {
  const SApplication* app = SApplication::Instance();
  return app != nullptr ? app->ResolveValue(value) : value;
}

QString AttributeOf(const pugi::xml_node& element, std::string_view name) {
  return Resolved(FindAttribute(element, name).value_or(QString()));
}

std::vector<PopupMenu::Item> ReadClassicItems(const pugi::xml_node& menu) {
  std::vector<PopupMenu::Item> items;
  for (const pugi::xml_node element : menu.children()) {
    PopupMenu::Item item;
    if (settings::EqualIgnoringAsciiCase(element.name(), "sep")) {
      item.separator = true;
    } else if (settings::EqualIgnoringAsciiCase(element.name(), "item")) {
      item.id = ParseInt(AttributeOf(element, "id")).value_or(0);
      item.name = AttributeOf(element, "name");
      item.icon = AttributeOf(element, "icon");
      const std::optional<QString> text = FindAttribute(element, "text");
      item.text =
          text ? Resolved(*text) : Resolved(QString::fromUtf8(element.child_value()).trimmed());
      item.children = ReadClassicItems(element);
    } else {
      continue;
    }
    items.push_back(std::move(item));
  }
  return items;
}

std::vector<PopupMenu::Item> ReadExtendedItems(const pugi::xml_node& menu) {
  std::vector<PopupMenu::Item> items;
  for (const pugi::xml_node element : menu.children()) {
    if (!settings::EqualIgnoringAsciiCase(element.name(), "menuItem")) {
      continue;
    }
    PopupMenu::Item item;
    item.separator = ParseBool(AttributeOf(element, "sep")).value_or(false);
    item.id = ParseInt(AttributeOf(element, "id")).value_or(0);
    item.name = AttributeOf(element, "name");
    item.icon = AttributeOf(element, "icon");
    item.text = AttributeOf(element, "text");
    item.children = ReadExtendedItems(element);
    items.push_back(std::move(item));
  }
  return items;
}

const PopupMenu::Item* FindIn(const std::vector<PopupMenu::Item>& items,
                              const std::function<bool(const PopupMenu::Item&)>& matches) {
  for (const PopupMenu::Item& item : items) {
    if (item.separator) {
      continue;
    }
    if (item.children.empty() && matches(item)) {
      return &item;
    }
    if (const PopupMenu::Item* found = FindIn(item.children, matches)) {
      return found;
    }
  }
  return nullptr;
}

void AddItems(QMenu& menu, const std::vector<PopupMenu::Item>& items, const QList<int>& path) {
  const SApplication* app = SApplication::Instance();
  for (int index = 0; index < static_cast<int>(items.size()); ++index) {
    const PopupMenu::Item& item = items[static_cast<std::size_t>(index)];
    if (item.separator) {
      menu.addSeparator();
      continue;
    }
    QList<int> itemPath = path;
    itemPath.append(index);
    const QString text = SApplication::Tr(item.text);
    if (!item.children.empty()) {
      QMenu* submenu = menu.addMenu(text);
      AddItems(*submenu, item.children, itemPath);
      continue;
    }
    QAction* action = menu.addAction(text);
    action->setData(QVariant::fromValue(itemPath));
    action->setEnabled(item.enabled);
    if (item.checked) {
      action->setCheckable(true);
      action->setChecked(true);
    }
    if (!item.icon.isEmpty() && app != nullptr) {
      if (const std::shared_ptr<const Image> icon = app->GetImage(item.icon)) {
        action->setIcon(icon->ToIcon());
      }
    }
  }
}

void MarkItems(std::vector<PopupMenu::Item>& items, const QString& name, bool checked) {
  for (PopupMenu::Item& item : items) {
    if (!item.separator && item.name == name) {
      item.checked = checked;
    }
    MarkItems(item.children, name, checked);
  }
}

void EnableItems(std::vector<PopupMenu::Item>& items, const QString& name, bool enabled) {
  for (PopupMenu::Item& item : items) {
    if (!item.separator && item.name == name) {
      item.enabled = enabled;
    }
    EnableItems(item.children, name, enabled);
  }
}

void RemoveItems(std::vector<PopupMenu::Item>& items, int id) {
  std::erase_if(items, [id](const PopupMenu::Item& item) {
    return !item.separator && item.children.empty() && item.id == id;
  });
  for (PopupMenu::Item& item : items) {
    RemoveItems(item.children, id);
  }
  std::vector<PopupMenu::Item> kept;
  for (PopupMenu::Item& item : items) {
    if (item.separator && (kept.empty() || kept.back().separator)) {
      continue;
    }
    kept.push_back(std::move(item));
  }
  if (!kept.empty() && kept.back().separator) {
    kept.pop_back();
  }
  items = std::move(kept);
}

// A colour of the menu's style as the style sheet writes it; empty when it does not read.
QString StyleColor(const pugi::xml_node& root, std::string_view name) {
  const std::optional<QColor> color = ParseColor(AttributeOf(root, name));
  return color ? color->name(QColor::HexArgb) : QString();
}

}  // namespace

QString PopupMenu::StyleSheet(const Style& style) {
  QString sheet = QStringLiteral("QMenu {");
  if (!style.background.isEmpty()) {
    sheet += QStringLiteral(" background: %1;").arg(style.background);
  }
  if (!style.text.isEmpty()) {
    sheet += QStringLiteral(" color: %1;").arg(style.text);
  }
  if (!style.border.isEmpty()) {
    sheet += QStringLiteral(" border: 1px solid %1;").arg(style.border);
  }
  sheet += QStringLiteral(" } QMenu::item {");
  if (style.itemHeight) {
    sheet += QStringLiteral(" min-height: %1px; padding: 0 16px;").arg(*style.itemHeight);
  }
  sheet += QStringLiteral(" } QMenu::item:selected {");
  if (!style.selectedBackground.isEmpty()) {
    sheet += QStringLiteral(" background: %1;").arg(style.selectedBackground);
  }
  if (!style.selectedText.isEmpty()) {
    sheet += QStringLiteral(" color: %1;").arg(style.selectedText);
  }
  return sheet + QStringLiteral(" }");
}

PopupMenu::PopupMenu(Kind kind, std::vector<Item> items, Style style)
    : kind_(kind), items_(std::move(items)), style_(std::move(style)) {}

PopupMenu::Kind PopupMenu::KindOf(const pugi::xml_node& root) {
  if (settings::EqualIgnoringAsciiCase(root.name(), "menu")) {
    return Kind::kClassic;
  }
  if (settings::EqualIgnoringAsciiCase(root.name(), "menuRoot") ||
      settings::EqualIgnoringAsciiCase(root.name(), "menuItem")) {
    return Kind::kExtended;
  }
  return Kind::kNone;
}

std::optional<PopupMenu> PopupMenu::FromXml(const pugi::xml_node& root) {
  const Kind kind = KindOf(root);
  if (kind == Kind::kNone) {
    return std::nullopt;
  }
  Style style;
  style.itemHeight = ParseInt(AttributeOf(root, "itemHeight"));
  style.background = StyleColor(root, "colorBkgnd");
  style.text = StyleColor(root, "colorText");
  style.selectedBackground = StyleColor(root, "colorSelBkgnd");
  style.selectedText = StyleColor(root, "colorSelText");
  style.border = StyleColor(root, "colorBorder");
  return PopupMenu(kind, kind == Kind::kClassic ? ReadClassicItems(root) : ReadExtendedItems(root),
                   std::move(style));
}

std::optional<PopupMenu> PopupMenu::Load(const QString& resourceName) {
  const SApplication* app = SApplication::Instance();
  pugi::xml_document document;
  if (app == nullptr || !app->LoadXml(resourceName, document)) {
    return std::nullopt;
  }
  return FromXml(document.document_element());
}

std::unique_ptr<QMenu> PopupMenu::BuildMenu(QWidget* parent) const {
  auto menu = std::make_unique<QMenu>(parent);
  menu->setStyleSheet(StyleSheet(style_));
  AddItems(*menu, items_, {});
  return menu;
}

void PopupMenu::SetChecked(const QString& name, bool checked) {
  MarkItems(items_, name, checked);
}

void PopupMenu::SetEnabled(const QString& name, bool enabled) {
  EnableItems(items_, name, enabled);
}

void PopupMenu::RemoveItem(int id) {
  RemoveItems(items_, id);
}

void PopupMenu::AppendItem(Item item) {
  items_.push_back(std::move(item));
}

const PopupMenu::Item* PopupMenu::FindItem(int id) const {
  return FindIn(items_, [id](const Item& item) { return item.id == id; });
}

const PopupMenu::Item* PopupMenu::FindItem(const QString& name) const {
  return FindIn(items_, [&name](const Item& item) { return item.name == name; });
}

bool PopupMenu::TrackPopupMenu(const QPoint& globalPos, SHostWnd& owner) const {
  PopupMenu shown = *this;
  owner.OnInitMenu(shown);
  const Item* chosen = nullptr;
  if (std::optional<PresetChoice> preset = std::exchange(NextChoice(), std::nullopt)) {
    if (const int* id = std::get_if<int>(&*preset)) {
      chosen = shown.FindItem(*id);
    } else if (const QString* name = std::get_if<QString>(&*preset)) {
      chosen = shown.FindItem(*name);
    }
  } else {
    const std::unique_ptr<QMenu> menu = shown.BuildMenu(&owner);
    const QAction* action = menu->exec(globalPos);
    if (action != nullptr) {
      const std::vector<Item>* level = &shown.items_;
      for (const int index : action->data().value<QList<int>>()) {
        chosen = &(*level)[static_cast<std::size_t>(index)];
        level = &chosen->children;
      }
    }
  }
  if (chosen == nullptr || !chosen->enabled) {
    return false;
  }
  Deliver(*chosen, owner);
  return true;
}

void PopupMenu::Deliver(const Item& item, SHostWnd& owner) {
  if (item.name.isEmpty()) {
    owner.OnCommand(0, item.id);
    return;
  }
  EventArgs args;
  args.eventId = kEventCommand;
  args.senderName = item.name;
  args.senderId = item.id != 0 ? item.id : NamedIdTable::IdOf(item.name.toStdString()).value_or(0);
  owner.OnEvent(args);
}

void PopupMenu::SetNextChoice(int id) {
  NextChoice() = PresetChoice(id);
}

void PopupMenu::SetNextChoice(const QString& name) {
  NextChoice() = PresetChoice(name);
}

void PopupMenu::SetNextChoiceNone() {
  NextChoice() = PresetChoice(NoChoice{});
}

void PopupMenu::ClearNextChoice() {
  NextChoice().reset();
}

}  // namespace keyloom::ui
