#include "controls/SKeyCaps.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <utility>

#include "controls/KeyCapRow.h"
#include "settings/AsciiText.h"
#include "ui/host/SApplication.h"
#include "ui/layout/AttributeText.h"
#include "ui/skin/ColorText.h"
#include "ui/skin/ISkinObj.h"

namespace keyloom::controls {

namespace {

// Room between a cap's label and its sides.
constexpr qreal kLabelPadding = 14;
// The "+" between two caps, and its stroke.
constexpr qreal kPlusSize = 16;
constexpr qreal kPlusStroke = 2.5;
// A cap with a glyph is this much wider than high.
constexpr qreal kGlyphCapAspect = 1.5;
// Room between a cap and its caption.
constexpr qreal kCaptionGap = 10;

bool HasGlyph(const SKeyCaps::Cap& cap) {
  return cap.glyph >= 0;
}

}  // namespace

SKeyCaps::SKeyCaps() = default;

SKeyCaps::~SKeyCaps() = default;

bool SKeyCaps::IsClass(std::string_view className) const {
  return settings::EqualIgnoringAsciiCase(className, kClassName) || SWindow::IsClass(className);
}

ui::AttributeResult SKeyCaps::SetAttribute(std::string_view name, const QString& value) {
  const auto is = [name](std::string_view known) {
    return settings::EqualIgnoringAsciiCase(name, known);
  };
  if (is("capSkin") || is("glyphSkin")) {
    std::optional<std::shared_ptr<const ui::ISkinObj>> skin =
        ui::SApplication::SkinAttribute(value);
    if (!skin) {
      return ui::AttributeResult::kFailed;
    }
    (is("capSkin") ? capSkin_ : glyphSkin_) = std::move(*skin);
    update();
    return ui::AttributeResult::kHandled;
  }
  if (is("capHeight") || is("gap")) {
    const std::optional<int> number = ui::ParseInt(value);
    if (!number || *number < 0) {
      return ui::AttributeResult::kFailed;
    }
    (is("capHeight") ? capHeight_ : gap_) = *number;
    update();
    return ui::AttributeResult::kHandled;
  }
  if (is("colorCaption")) {
    const std::optional<QColor> color = ui::ParseColor(value);
    if (!color) {
      return ui::AttributeResult::kFailed;
    }
    captionColor_ = *color;
    update();
    return ui::AttributeResult::kHandled;
  }
  return SWindow::SetAttribute(name, value);
}

void SKeyCaps::SetKeyCaps(std::vector<Cap> caps) {
  caps_ = std::move(caps);
  update();
}

void SKeyCaps::OnPaint(QPainter& painter) {
  FillBackgroundColor(painter);
  if (caps_.empty()) {
    return;
  }
  const QFontMetricsF metrics(font());
  const bool captions = std::any_of(caps_.begin(), caps_.end(), HasGlyph);
  const qreal height = capHeight_;
  std::vector<qreal> widths;
  for (const Cap& cap : caps_) {
    const qreal labelWidth = metrics.horizontalAdvance(cap.label) + 2 * kLabelPadding;
    widths.push_back(HasGlyph(cap) ? height * kGlyphCapAspect : std::max(height, labelWidth));
  }
  QRectF area = ClientRect();
  if (captions) {
    // The captions sit under the caps: the row moves up by their height.
    area.setBottom(area.bottom() - metrics.height() - kCaptionGap);
  }
  const KeyCapRow row = LayOutKeyCaps(widths, height, gap_, kPlusSize, area);

  painter.setRenderHint(QPainter::Antialiasing);
  QFont labelFont = font();
  if (row.scale < 1 && labelFont.pixelSize() > 0) {
    labelFont.setPixelSize(std::max(1, static_cast<int>(labelFont.pixelSize() * row.scale)));
  }
  for (std::size_t i = 0; i < caps_.size(); ++i) {
    const Cap& cap = caps_[i];
    const QRectF rect = row.caps[i];
    if (capSkin_ != nullptr) {
      capSkin_->Draw(painter, rect.toAlignedRect(), 0);
    }
    if (!HasGlyph(cap)) {
      painter.setFont(labelFont);
      painter.setPen(TextColor(0));
      painter.drawText(rect, Qt::AlignCenter, cap.label);
      continue;
    }
    if (glyphSkin_ != nullptr) {
      const QSizeF glyph = QSizeF(glyphSkin_->NaturalSize()) * row.scale;
      const QRectF place(rect.center().x() - glyph.width() / 2,
                         rect.center().y() - glyph.height() / 2, glyph.width(), glyph.height());
      glyphSkin_->Draw(painter, place.toAlignedRect(), cap.glyph);
    }
    painter.setFont(labelFont);
    painter.setPen(captionColor_);
    const QRectF caption(rect.left() - 2 * height, rect.bottom() + kCaptionGap,
                         rect.width() + 4 * height, metrics.height());
    painter.drawText(caption, Qt::AlignHCenter | Qt::AlignTop, cap.label);
  }
  painter.setPen(QPen(captionColor_, kPlusStroke * row.scale, Qt::SolidLine, Qt::RoundCap));
  const qreal arm = kPlusSize * row.scale / 2;
  for (const QPointF& centre : row.plusSigns) {
    painter.drawLine(QPointF(centre.x() - arm, centre.y()), QPointF(centre.x() + arm, centre.y()));
    painter.drawLine(QPointF(centre.x(), centre.y() - arm), QPointF(centre.x(), centre.y() + arm));
  }
}

}  // namespace keyloom::controls
