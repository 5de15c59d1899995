#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "ui/host/PopupMenu.h"
#include "ui/widgets/SWindow.h"

namespace keyloom::ui {

// Tag "combobox": a drop-down list of items; the text is not editable. The layout gives the
// items as <items><item text="..." data="N"/>...</items> (or the item's element text), the
// initial entry as `curSel` (default none: -1), the skin of the arrow as `btnSkin`, the height
// of a drop-down row as `itemHeight`, and the drop-down list's colours as `colorDropBkgnd`,
// `colorDropText`, `colorDropSelBkgnd` (the row under the mouse), `colorDropSelText` and
// `colorDropBorder` (the platform's colours where not given). Item texts are shown translated.
//
// Choosing an entry in the drop-down list, or with the Up and Down keys, fires the selection
// change (kEventComboSelectionChanged, index: the new entry, previousIndex: the old one);
// SetCurSel fires it only when asked to and the entry changes.
class SComboBox : public SWindow {
 public:
  static constexpr std::string_view kClassName = "combobox";

  SComboBox();

  [[nodiscard]] std::string_view ClassName() const override { return kClassName; }
  [[nodiscard]] bool IsClass(std::string_view className) const override;

  AttributeResult SetAttribute(std::string_view name, const QString& value) override;
  void CreateChildren(const pugi::xml_node& element) override;
  void OnLanguageChanged() override;

  [[nodiscard]] int GetCurSel() const { return curSel_; }
  // Selects entry `index` (-1: none); false, with nothing changed, for an index outside the
  // items. With `notify` the selection change fires when the entry changes.
  bool SetCurSel(int index, bool notify = false);

  [[nodiscard]] int GetCount() const { return static_cast<int>(items_.size()); }
  // Appends an item; answers its index.
  int AddString(const QString& text, std::uint32_t itemData = 0);
  // Inserts an item before `index` (at the end for an index outside); answers its index.
  int InsertItem(int index, const QString& text, std::uint32_t itemData = 0);
  bool DeleteItem(int index);
  void ResetContent();
  // The raw text of an item; empty outside the items.
  [[nodiscard]] QString GetItemText(int index) const;
  // The text of an item as shown: translated.
  [[nodiscard]] QString GetItemDisplayText(int index) const;
  [[nodiscard]] std::uint32_t GetItemData(int index) const;
  // A second text of an item, shown as it is at the right of its row in the drop-down list (the
  // keys of a shortcut, say); empty: none. False for an index outside the items.
  bool SetItemDetail(int index, const QString& detail);
  [[nodiscard]] QString GetItemDetail(int index) const;

  // Shows the drop-down list under the control and waits for a choice.
  void ShowDropDown();
  // The style sheet of the drop-down list, its rows `scale` times their height.
  [[nodiscard]] QString DropDownStyleSheet(qreal scale = 1.0) const;

 protected:
  void OnPaint(QPainter& painter) override;
  [[nodiscard]] bool HoverChangesLook() const override;
  void OnClick() override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  struct Item {
    QString text;
    std::uint32_t data = 0;
    QString detail;
  };

  // The part of the control that shows the arrow.
  [[nodiscard]] QRect ButtonRect() const;

  std::vector<Item> items_;
  int curSel_ = -1;
  std::shared_ptr<const ISkinObj> buttonSkin_;
  PopupMenu::Style dropDownStyle_;
};

}  // namespace keyloom::ui
