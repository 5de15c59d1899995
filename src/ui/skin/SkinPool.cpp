#include "ui/skin/SkinPool.h"

#include <QMargins>
#include <optional>
#include <vector>

#include <pugixml.hpp>

#include "settings/AsciiText.h"
#include "ui/layout/AttributeText.h"
#include "ui/layout/XmlAttribute.h"
#include "ui/skin/ColorRectSkin.h"
#include "ui/skin/ColorText.h"
#include "ui/skin/GradationSkin.h"
#include "ui/skin/Image.h"
#include "ui/skin/ImageFrameSkin.h"
#include "ui/skin/ImageListSkin.h"

namespace keyloom::ui {

namespace {

// Reads the attributes of one skin element by name, ignoring case, with references resolved.
class SkinAttributes {
 public:
  SkinAttributes(const pugi::xml_node& element, const ValueResolver& resolve)
      : element_(element), resolve_(resolve) {}

  [[nodiscard]] std::optional<QString> Text(std::string_view name) const {
    const std::optional<QString> value = FindAttribute(element_, name);
    if (!value) {
      return std::nullopt;
    }
    return resolve_ ? resolve_(*value) : *value;
  }

  [[nodiscard]] int Int(std::string_view name, int fallback) const {
    const std::optional<QString> text = Text(name);
    return text ? ParseInt(*text).value_or(fallback) : fallback;
  }

  [[nodiscard]] std::optional<QColor> Color(std::string_view name) const {
    const std::optional<QString> text = Text(name);
    return text ? ParseColor(*text) : std::nullopt;
  }

 private:
  const pugi::xml_node& element_;
  const ValueResolver& resolve_;
};

QMargins MarginsOf(const SkinAttributes& attributes) {
  const std::optional<QString> text = attributes.Text("margin");
  const std::optional<std::vector<int>> values = text ? ParseIntList(*text) : std::nullopt;
  if (!values) {
    return {};
  }
  if (values->size() == 1) {
    return {(*values)[0], (*values)[0], (*values)[0], (*values)[0]};
  }
  if (values->size() == 4) {
    return {(*values)[0], (*values)[1], (*values)[2], (*values)[3]};
  }
  return {};
}

std::shared_ptr<const ISkinObj> CreateColorRect(const SkinAttributes& attributes) {
  const std::optional<QColor> normal = attributes.Color("normal");
  if (!normal) {
    return nullptr;
  }
  ColorRectSkin::Colors colors;
  colors.normal = *normal;
  colors.hover = attributes.Color("hover");
  colors.pushed = attributes.Color("pushed");
  colors.disabled = attributes.Color("disabled");
  colors.checked = attributes.Color("checked");
  colors.border = attributes.Color("border");
  colors.borderWidth = attributes.Int("borderWidth", colors.borderWidth);
  colors.radius = attributes.Int("radius", colors.radius);
  return std::make_shared<ColorRectSkin>(colors);
}

}  // namespace

std::shared_ptr<const ISkinObj> SkinPool::Create(const pugi::xml_node& element,
                                                 const ImageLoader& images,
                                                 const ValueResolver& resolve) {
  const SkinAttributes attributes(element, resolve);
  const std::string_view tag = element.name();
  if (settings::EqualIgnoringAsciiCase(tag, "colorrect")) {
    return CreateColorRect(attributes);
  }
  if (settings::EqualIgnoringAsciiCase(tag, "gradation")) {
    const std::optional<QColor> from = attributes.Color("from");
    const std::optional<QColor> to = attributes.Color("to");
    if (!from || !to) {
      return nullptr;
    }
    return std::make_shared<GradationSkin>(*from, *to, attributes.Int("vertical", 0) != 0);
  }
  const bool isList = settings::EqualIgnoringAsciiCase(tag, "imglist");
  if (!isList && !settings::EqualIgnoringAsciiCase(tag, "imgframe")) {
    return nullptr;
  }
  const std::optional<QString> source = attributes.Text("src");
  std::shared_ptr<const Image> image = (source && images) ? images(*source) : nullptr;
  if (image == nullptr) {
    return nullptr;
  }
  const int states = attributes.Int("states", 1);
  const bool vertical = attributes.Int("vertical", 0) != 0;
  if (isList) {
    return std::make_shared<ImageListSkin>(std::move(image), states, vertical);
  }
  return std::make_shared<ImageFrameSkin>(std::move(image), states, vertical,
                                          MarginsOf(attributes));
}

SkinPool::SkinPool() : elements_(std::make_unique<pugi::xml_document>()) {}
SkinPool::~SkinPool() = default;
SkinPool::SkinPool(SkinPool&&) noexcept = default;
SkinPool& SkinPool::operator=(SkinPool&&) noexcept = default;

void SkinPool::Load(const pugi::xml_node& table, const ImageLoader& images,
                    const ValueResolver& resolve) {
  images_ = images;
  if (elements_ == nullptr) {
    // A pool that was moved from.
    elements_ = std::make_unique<pugi::xml_document>();
  }
  for (const pugi::xml_node element : table.children()) {
    const QString name = QString::fromUtf8(element.attribute("name").value());
    if (element.type() != pugi::node_element || name.isEmpty()) {
      continue;
    }
    pugi::xml_node kept = elements_->append_copy(element);
    if (resolve) {
      for (pugi::xml_attribute attribute : kept.attributes()) {
        attribute.set_value(resolve(QString::fromUtf8(attribute.value())).toUtf8().constData());
      }
    }
    skins_[name].elements.push_back(kept);
  }
}

std::shared_ptr<const ISkinObj> SkinPool::Get(const QString& name) const {
  const auto found = skins_.find(name);
  if (found == skins_.end()) {
    return nullptr;
  }
  Entry& entry = found->second;
  if (!entry.made) {
    entry.made.emplace();
    for (const pugi::xml_node& element : entry.elements) {
      if ((*entry.made = Create(element, images_, nullptr)) != nullptr) {
        break;
      }
    }
  }
  return *entry.made;
}

}  // namespace keyloom::ui
