#pragma once

#include <QString>
#include <functional>
#include <map>
#include <memory>

namespace pugi {
class xml_node;
}

namespace keyloom::ui {

class Image;
class ISkinObj;

// Loads an image by its resource name ("main:state_add_png"); null when there is none.
using ImageLoader = std::function<std::shared_ptr<const Image>(const QString& name)>;

// Replaces references to named values (@string/..., @color/...) in an attribute value.
using ValueResolver = std::function<QString(const QString& value)>;

// The skin's named skins ("values:skin"). Each child element of the table is one skin, created by
// its tag: "imglist", "imgframe", "colorrect", "gradation" (see skin-format.md). Attribute names
// ignore case; of two skins with one name the first counts.
class SkinPool {
 public:
  // Adds a skin for every child of `table`; children with an unknown tag, without a name, or
  // whose image or colours do not load are left out.
  void Load(const pugi::xml_node& table, const ImageLoader& images, const ValueResolver& resolve);

  [[nodiscard]] std::shared_ptr<const ISkinObj> Get(const QString& name) const;

  // The skin that one element describes; null when it cannot be made.
  [[nodiscard]] static std::shared_ptr<const ISkinObj> Create(const pugi::xml_node& element,
                                                              const ImageLoader& images,
                                                              const ValueResolver& resolve);

 private:
  std::map<QString, std::shared_ptr<const ISkinObj>> skins_;
};

}  // namespace keyloom::ui
