#pragma once

#include <QColor>
#include <QString>
#include <memory>
#include <string_view>
#include <vector>

#include "ui/widgets/SWindow.h"

namespace keyloom::ui {
class ISkinObj;
}

namespace keyloom::controls {

// Tag "keycaps": a picture of the keys that a key will send, one keycap each with a "+" between
// them, centred (KeyCapRow); the program gives the keys with SetKeyCaps. A cap shows its label in
// `colorText`, or the frame `glyph` of `glyphSkin` (a multi-state image, drawn at its natural
// size) with the label as a caption under the cap. Attributes: `capSkin` (the cap, state 0),
// `glyphSkin`, `capHeight` (pixels, default 56), `gap` (on either side of a "+", default 12),
// `colorCaption` (the "+" signs and captions), and the window's own (font, colours).
class SKeyCaps : public ui::SWindow {
 public:
  static constexpr std::string_view kClassName = "keycaps";

  struct Cap {
    QString label;
    // A frame of glyphSkin; -1: none.
    int glyph = -1;

    friend bool operator==(const Cap&, const Cap&) = default;
  };

  SKeyCaps();
  ~SKeyCaps() override;

  [[nodiscard]] std::string_view ClassName() const override { return kClassName; }
  [[nodiscard]] bool IsClass(std::string_view className) const override;

  ui::AttributeResult SetAttribute(std::string_view name, const QString& value) override;

  void SetKeyCaps(std::vector<Cap> caps);
  [[nodiscard]] const std::vector<Cap>& GetKeyCaps() const { return caps_; }

 protected:
  void OnPaint(QPainter& painter) override;

 private:
  std::vector<Cap> caps_;
  std::shared_ptr<const ui::ISkinObj> capSkin_;
  std::shared_ptr<const ui::ISkinObj> glyphSkin_;
  int capHeight_ = 56;
  int gap_ = 12;
  QColor captionColor_{Qt::white};
};

}  // namespace keyloom::controls
