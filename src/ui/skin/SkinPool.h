#pragma once

#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace pugi {
class xml_document;
class xml_node;
}  // namespace pugi

namespace keyloom::ui {

class Image;
class ISkinObj;

// Loads an image by its resource name ("main:state_add_png"); null when there is none.
using ImageLoader = std::function<std::shared_ptr<const Image>(const QString& name)>;

// Replaces references to named values (@string/..., @color/...) in an attribute value.
using ValueResolver = std::function<QString(const QString& value)>;

// The skin's named skins ("values:skin"). Each child element of the table is one skin, created by
// its tag: "imglist", "imgframe", "colorrect", "gradation" (see skin-format.md). Attribute names
// ignore case. A skin is made when it is first asked for, so that the start reads the pictures
// of the skins its window uses and no others.
class SkinPool {
 public:
  SkinPool();
  ~SkinPool();
  SkinPool(SkinPool&&) noexcept;
  SkinPool& operator=(SkinPool&&) noexcept;
  SkinPool(const SkinPool&) = delete;
  SkinPool& operator=(const SkinPool&) = delete;

  // Keeps every named child of `table`, its references resolved now, and `images` to load their
  // pictures with when they are first asked for.
  void Load(const pugi::xml_node& table, const ImageLoader& images, const ValueResolver& resolve);

  // The named skin: of the children with that name, the first that can be made (a child with an
  // unknown tag, or whose image or colours do not load, is left out); null when none can.
  [[nodiscard]] std::shared_ptr<const ISkinObj> Get(const QString& name) const;

  // The skin that one element describes; null when it cannot be made.
  [[nodiscard]] static std::shared_ptr<const ISkinObj> Create(const pugi::xml_node& element,
                                                              const ImageLoader& images,
                                                              const ValueResolver& resolve);

 private:
  struct Entry {
    std::vector<pugi::xml_node> elements;
    std::optional<std::shared_ptr<const ISkinObj>> made;
  };

  // Copies of the skin elements that Load kept.
  std::unique_ptr<pugi::xml_document> elements_;
  ImageLoader images_;
  mutable std::map<QString, Entry> skins_;
};

}  // namespace keyloom::ui
