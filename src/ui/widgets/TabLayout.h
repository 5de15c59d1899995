#pragma once

#include <QPoint>
#include <QRect>

namespace keyloom::ui {

// Where a tab control's header strip sits; the tabs stack along it (horizontally for top and
// bottom, vertically for left and right).
enum class TabAlign { kTop, kLeft, kBottom, kRight };

// The header geometry of a tab control, in the control's client coordinates. Tabs are
// `tabWidth` x `tabHeight`; the first starts `tabPos` from the strip's start and each next one
// `interSize` after the previous one's end.
struct TabLayout {
  TabAlign align = TabAlign::kTop;
  int tabWidth = 0;
  int tabHeight = 0;
  int tabPos = 0;
  int interSize = 0;

  [[nodiscard]] bool IsVertical() const {
    return align == TabAlign::kLeft || align == TabAlign::kRight;
  }
  // The header strip: the client area's full length along the stacking direction, one tab
  // across it.
  [[nodiscard]] QRect HeaderRect(const QRect& client) const;
  // The client area less the header strip.
  [[nodiscard]] QRect PageRect(const QRect& client) const;
  [[nodiscard]] QRect ItemRect(const QRect& client, int index) const;
  // The tab of `count` under `point`; -1 for none.
  [[nodiscard]] int ItemAt(const QRect& client, int count, const QPoint& point) const;
};

}  // namespace keyloom::ui
