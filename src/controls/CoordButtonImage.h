#pragma once

#include <QColor>
#include <QHash>
#include <QPointF>
#include <QRectF>
#include <QSet>
#include <QSizeF>
#include <QString>
#include <QTimer>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "controls/CoordButton.h"
#include "controls/CoordButtonSet.h"
#include "controls/ICoordButtonClickListener.h"
#include "ui/widgets/SWindow.h"

namespace keyloom::ui {
class Image;
}

namespace keyloom::controls {

// Tag "cbimg": the picture of the keyboard as a set of clickable keys. The keys come once, at
// creation, from the key coordinate file named by `crdxml` (relative to the program's folder,
// see CoordButtonFile.h). The control paints every key's colour, then the picture `bg` over the
// whole control, then for each hovered key its part of the picture `chking` and for each checked
// key its part of `chked` (see CoordButtonPainter.h). The mouse lights the keys under it and shows
// the last one's name as tooltip; presses and releases on a key go to the click listener, and
// `type` asks for the control's own selection (CoordButtonSet::kSelectionSingle, ...).
//
// Key rectangles are in the picture's own pixels. When the control's size differs from the
// picture's natural size, the picture is stretched over the control and the key rectangles and
// mouse positions are scaled with it, along x and y separately. Painting and hit-testing both
// place the picture over the whole control (margins included), so that the key lit is the key
// under the mouse; the listener gets the mouse position relative to the client area.
class CoordButtonImage : public ui::SWindow {
 public:
  static constexpr std::string_view kClassName = "cbimg";
  // The id that stands for every key in SetButtonChecked, ToggleButtonChecked and SetButtonColor.
  static constexpr int kAllButtons = CoordButtonSet::kAllButtons;
  // A disabled picture is drawn faded, at this opacity.
  static constexpr qreal kDisabledOpacity = 0.4;

  CoordButtonImage();
  ~CoordButtonImage() override;

  [[nodiscard]] std::string_view ClassName() const override { return kClassName; }
  [[nodiscard]] bool IsClass(std::string_view className) const override;

  ui::AttributeResult SetAttribute(std::string_view name, const QString& value) override;
  // Reads the key coordinate file.
  void OnCreate() override;
  // The background picture's natural size; else the base's.
  [[nodiscard]] QSize DesiredSize() const override;

  // The listener is not owned; it must outlive the control or be cleared (nullptr).
  void SetClickListener(ICoordButtonClickListener* listener) { listener_ = listener; }

  [[nodiscard]] bool HasButton(int id) const { return buttons_.HasButton(id); }
  // The checked flag of the first key with this id; false when there is none.
  [[nodiscard]] bool IsButtonChecked(int id) const { return buttons_.IsChecked(id); }
  // Of the first key with this id, or of every key (kAllButtons); repaints.
  void SetButtonChecked(int id, bool checked);
  void ToggleButtonChecked(int id);
  // `color` is 0xAABBGGRR.
  void SetButtonColor(int id, std::uint32_t color);
  // A copy of the key list, in file order.
  [[nodiscard]] std::vector<CoordButton> GetButtons() const { return buttons_.Buttons(); }
  [[nodiscard]] std::size_t ButtonCount() const { return buttons_.Buttons().size(); }
  // The key at `index` (below ButtonCount), in file order.
  [[nodiscard]] const CoordButton& ButtonAt(std::size_t index) const {
    return buttons_.Buttons().at(index);
  }
  // What a screen reader says of the key at `index`: its name, translated; and what it does as
  // its tooltip says it, else "assigned" (translated) for a checked key, else nothing.
  [[nodiscard]] QString KeyName(std::size_t index) const;
  [[nodiscard]] QString KeyDescription(std::size_t index) const;
  // The first key at `point` (in the control's coordinates); none off the keys.
  [[nodiscard]] std::optional<std::size_t> KeyAt(const QPointF& point) const;
  // A press and a release of the key at `index`, as a click on it makes them (for a screen
  // reader's action).
  void ClickButtonAt(std::size_t index) { ClickKey(index); }
  // The name of the first key with this id, translated; empty when there is none.
  [[nodiscard]] QString ButtonName(int id) const;

  // What the tooltips of keys say instead of their names (already translated), by id, and the
  // keys marked with a dot in the colour of the attribute `colorFlag` at their top-left corner
  // (a key that needs the user's attention); both replace those set before. Repaints.
  void SetButtonTips(QHash<int, QString> tips, QSet<int> flagged);
  [[nodiscard]] QString ButtonTip(int id) const;
  [[nodiscard]] bool IsButtonFlagged(int id) const { return flagged_.contains(id); }

  // The key that the keyboard's focus mark is on (an index into GetButtons()); none before the
  // picture first took the focus. The mark is drawn while the picture shows its focus mark, in
  // the colour of the attribute `colorFocus`. The picture takes the focus with Tab; a screen
  // reader hears of the key as the focused child of the picture.
  [[nodiscard]] std::optional<std::size_t> FocusedKey() const { return focusedKey_; }

  [[nodiscard]] int GetSelectionType() const { return buttons_.GetSelectionType(); }

  // The key rectangle `pictureRect` (picture pixels) in the control's coordinates, and a point
  // of the control in picture pixels: the picture covers the whole control.
  [[nodiscard]] QRectF PictureToControl(const QRect& pictureRect) const;
  [[nodiscard]] QPointF ControlToPicture(const QPointF& point) const;

 protected:
  void OnPaint(QPainter& painter) override;
  [[nodiscard]] bool HoverChangesLook() const override;
  // Shows the tooltip of the key under the mouse, for as long as the mouse stays on that key.
  bool event(QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  // From the keyboard: the arrows move the focus mark from key to key (NeighbourKey), Enter and
  // Space press and release the marked key as a click does.
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  // The mark around the focused key.
  void DrawFocusMark(QPainter& painter) override;

 private:
  // The size the key rectangles are given in: the background picture's, else the control's.
  [[nodiscard]] QSizeF PictureSize() const;
  // A press on the key `index`, reported to the listener and applied; false when the control
  // was ended meanwhile (the listener may run a modal dialog).
  bool PressKey(std::size_t index, const QMouseEvent& event);
  // A release on it: reported when the key was pressed, then applied.
  void ReleaseKey(std::size_t index, const QMouseEvent& event);
  // A press and a release of the key `index` at its centre, as a click makes them.
  void ClickKey(std::size_t index);
  // Tells a screen reader that the focus is on the marked key.
  void TellFocusedKey();
  // What the tooltip of `button` says.
  [[nodiscard]] QString TipOf(const CoordButton& button) const;
  // Tells the listener about a press or release (ICoordButtonClickListener::kEvent...) on key
  // `index`; answers the listener's answer, false without a listener.
  bool Report(std::size_t index, int clickEvent, const QMouseEvent& event);

  std::shared_ptr<const ui::Image> background_;
  std::shared_ptr<const ui::Image> hoverImage_;
  std::shared_ptr<const ui::Image> checkedImage_;
  QString coordFile_;
  CoordButtonSet buttons_;
  QHash<int, QString> tips_;
  QSet<int> flagged_;
  std::optional<std::size_t> focusedKey_;
  // Tells of the focused key once Qt has told of the picture taking the focus.
  QTimer tellFocusedKey_;
  QColor focusColor_{0xF2, 0xF6, 0xFA};
  QColor flagColor_{0xF5, 0xB8, 0x3D};
  ICoordButtonClickListener* listener_ = nullptr;
};

}  // namespace keyloom::controls
