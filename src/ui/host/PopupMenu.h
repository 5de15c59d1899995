#pragma once

#include <QPoint>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class QMenu;
class QWidget;

namespace pugi {
class xml_node;
}

namespace keyloom::ui {

class SHostWnd;

// A popup menu from the skin. Two forms, told apart by the document element:
//   classic ("menu"):      <menu><item id="1">Text</item><sep/><item text="More"><item .../>
//                          </item></menu>  (an item with items is a submenu)
//   extended ("menuRoot", or a single "menuItem"): <menuRoot><menuItem id="1" name="zh_cn"
//                          text="..." icon="type:name" sep="1">...submenu...</menuItem></menuRoot>
// Item texts are translated when the menu is shown. The document element may style the menu with
// `itemHeight`, `colorBkgnd`, `colorText`, `colorSelBkgnd`, `colorSelText` and `colorBorder`.
//
// Before a menu shows, its owner window may mark, or take out, items of its copy of the menu
// (SHostWnd::OnInitMenu): a mark of the current choice, an entry that cannot work here.
//
// A chosen item with a name fires a command event (kEventCommand, the item's name as sender name,
// its id as sender id) into the owner's OnEvent, as a button of that name would; a chosen item
// with only an id sends OnCommand(0, id) to the owner.
//
// Tests preset the next choice (SetNextChoice...): the next menu then shows nothing and acts as if
// that item had been chosen (a greyed-out item is not chosen).
class PopupMenu {
 public:
  enum class Kind { kNone, kClassic, kExtended };

  struct Item {
    int id = 0;
    QString name;
    QString text;
    QString icon;
    bool separator = false;
    // Shown with a check mark.
    bool checked = false;
    // Shown greyed out; it cannot be chosen.
    bool enabled = true;
    std::vector<Item> children;
  };

  struct Style {
    std::optional<int> itemHeight;
    QString background;
    QString text;
    QString selectedBackground;
    QString selectedText;
    QString border;
  };

  [[nodiscard]] static Kind KindOf(const pugi::xml_node& root);
  // Nothing for a root of kind none.
  [[nodiscard]] static std::optional<PopupMenu> FromXml(const pugi::xml_node& root);
  // The menu of an XML resource ("SMENUEX:menu_more"); nothing when it cannot be loaded or is of
  // kind none.
  [[nodiscard]] static std::optional<PopupMenu> Load(const QString& resourceName);

  [[nodiscard]] Kind GetKind() const { return kind_; }
  [[nodiscard]] const std::vector<Item>& Items() const { return items_; }

  // Marks every item named `name` with a check mark, or takes the mark away.
  void SetChecked(const QString& name, bool checked);
  // Greys out every item named `name`, so that it cannot be chosen, or makes it choosable again.
  void SetEnabled(const QString& name, bool enabled);
  // Takes every item with command id `id` out of the menu, and with it a separator that would
  // then open or close a menu or follow another one.
  void RemoveItem(int id);
  // Adds `item` at the end of the top level.
  void AppendItem(Item item);

  // The style sheet of a Qt menu with that style.
  [[nodiscard]] static QString StyleSheet(const Style& style);

  // The menu as Qt shows it, texts translated; each action's data is the path of its item
  // (indexes from the top level down, as a QList<int>).
  [[nodiscard]] std::unique_ptr<QMenu> BuildMenu(QWidget* parent) const;

  // Lets `owner` adjust a copy of the menu (OnInitMenu), shows that copy with its top-left corner
  // at `globalPos`, waits for a choice and delivers it to `owner`. Answers whether an item was
  // chosen.
  bool TrackPopupMenu(const QPoint& globalPos, SHostWnd& owner) const;

  // The item chosen by a preset: the first with that id (or name) in menu order; null for none.
  [[nodiscard]] const Item* FindItem(int id) const;
  [[nodiscard]] const Item* FindItem(const QString& name) const;

  static void SetNextChoice(int id);
  static void SetNextChoice(const QString& name);
  // The next menu is dismissed without a choice.
  static void SetNextChoiceNone();
  static void ClearNextChoice();

 private:
  PopupMenu(Kind kind, std::vector<Item> items, Style style);

  static void Deliver(const Item& item, SHostWnd& owner);

  Kind kind_;
  std::vector<Item> items_;
  Style style_;
};

}  // namespace keyloom::ui
