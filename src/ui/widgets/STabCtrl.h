#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "ui/widgets/SWindow.h"
#include "ui/widgets/TabLayout.h"

namespace keyloom::ui {

class STabPage;

// Tag "tabctrl": tab headers and pages ("page" children). Only the selected page is visible; the
// pages fill the area beside the header strip.
//
// Header attributes: `tabAlign` (top, left, bottom, right), `tabWidth`, `tabHeight` (or
// `tabSize="w,h"`; unset, from the tab skin's natural size or the widest title), `tabPos` (where
// the first tab starts), `tabInterSize` (the gap between tabs) and `tabInterSkin` (drawn in it),
// `tabSkin` (three states: normal, hover, selected), `iconSkin` (drawn at `icon-x`,`icon-y` in
// the tab at its natural size, in the page's icon index), `text-x`/`text-y` (where the title
// starts; unset, it is aligned in the tab), `frameSkin` (drawn over the page area), `curSel`.
//
// Events: a press on a tab selects it and fires kEventTabSelectionChanged; the mouse coming over
// a tab fires kEventTabItemHover and leaving it kEventTabItemLeave, each with the tab's index.
//
// Keyboard: Tab reaches the control (a click does not focus it). While it has the focus, the
// arrow keys select the previous or next tab, Home and End the first and last; Ctrl+Tab and
// Ctrl+Shift+Tab select the next and previous tab, going round, also while the focus is on a
// page. Each fires the selection change as a press on the tab does. While the focus mark shows,
// the selected tab's rectangle less 2 pixels on each side gets the focus rectangle, unless
// `focusRect="0"`.
//
// Painting goes through DrawHeaderBackground, DrawItem and DrawItemIcon, which a tab control of
// the program may replace.
class STabCtrl : public SWindow {
 public:
  static constexpr std::string_view kClassName = "tabctrl";

  STabCtrl();

  [[nodiscard]] std::string_view ClassName() const override { return kClassName; }
  [[nodiscard]] bool IsClass(std::string_view className) const override;

  AttributeResult SetAttribute(std::string_view name, const QString& value) override;
  void CreateChildren(const pugi::xml_node& element) override;
  void LayoutChildren() override;
  void OnLanguageChanged() override;

  [[nodiscard]] int GetCurSel() const { return curSel_; }
  // Shows page `index`; false, with nothing changed, for an index outside the pages. With
  // `notify` the selection change fires when the page changes.
  bool SetCurSel(int index, bool notify = false);
  [[nodiscard]] int GetItemCount() const;
  [[nodiscard]] STabPage* GetItem(int index) const;
  // The tab under the mouse; -1 for none.
  [[nodiscard]] int GetHoverItem() const { return hoverItem_; }

  // The header geometry with the effective tab size.
  [[nodiscard]] TabLayout GetTabLayout() const;
  [[nodiscard]] QRect HeaderRect() const;
  [[nodiscard]] QRect ItemRect(int index) const;
  [[nodiscard]] QRect PageRect() const;

  [[nodiscard]] const std::shared_ptr<const ISkinObj>& GetTabSkin() const { return tabSkin_; }
  [[nodiscard]] const std::shared_ptr<const ISkinObj>& GetIconSkin() const { return iconSkin_; }
  [[nodiscard]] const std::shared_ptr<const ISkinObj>& GetTabInterSkin() const {
    return interSkin_;
  }
  [[nodiscard]] const std::shared_ptr<const ISkinObj>& GetFrameSkin() const { return frameSkin_; }
  [[nodiscard]] QPoint GetIconOffset() const { return iconOffset_; }
  [[nodiscard]] std::optional<int> GetTextX() const { return textX_; }
  [[nodiscard]] std::optional<int> GetTextY() const { return textY_; }

 protected:
  // Paints the header: DrawHeaderBackground, then every tab with its separator (tabInterSkin,
  // not next to the selected tab, which grows into the gaps instead), then the frame skin.
  void OnPaint(QPainter& painter) override;
  // Draws behind the tabs; nothing here.
  virtual void DrawHeaderBackground(QPainter& painter, const QRect& header);
  // Draws tab `index` in `rect`; `state` has kStateChecked for the selected tab and kStateHover
  // for the tab under the mouse. The state index (2 pushed or checked, 1 hover, else 0) picks the
  // tab skin's state and the text colour.
  virtual void DrawItem(QPainter& painter, const QRect& rect, int index, WindowState state);
  // Draws the icon of tab `index` into `rect` with the tab's state index: the icon skin in the
  // page's icon index, or in the tab's index when that is -1.
  virtual void DrawItemIcon(QPainter& painter, const QRect& rect, int index, int stateIndex);

  void DrawFocusMark(QPainter& painter) override;

  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  // The mouse going from a tab onto a page leaves the tab, though not the control.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  [[nodiscard]] std::vector<STabPage*> Pages() const;
  void SetHoverItem(int index);
  void FireItemEvent(int eventId, int index);

  int curSel_ = 0;
  int hoverItem_ = -1;
  bool focusRect_ = true;
  TabLayout layout_;
  std::shared_ptr<const ISkinObj> tabSkin_;
  std::shared_ptr<const ISkinObj> iconSkin_;
  std::shared_ptr<const ISkinObj> interSkin_;
  std::shared_ptr<const ISkinObj> frameSkin_;
  QPoint iconOffset_;
  std::optional<int> textX_;
  std::optional<int> textY_;
};

}  // namespace keyloom::ui
