#pragma once

#include <QByteArray>
#include <QString>
#include <map>
#include <optional>

#include "ui/skin/Prerendered.h"
#include "ui/skin/ResourceName.h"

namespace pugi {
class xml_document;
}

namespace keyloom::ui {

// The skin's files, found through the folder's index file "uires.idx":
//   <resource><LAYOUT><file name="XML_MAINWND" path="layout/main.xml"/>...</LAYOUT>...</resource>
// Every child of the document element is a type, every child of a type with a "name" and a
// "path" a resource of that type; paths are relative to the folder. Types and names compare
// without regard to case; of two entries with the same type and name the first counts.
class ResourceProvider {
 public:
  static constexpr const char* kIndexFileName = "uires.idx";

  // Reads the index of `folder`. Nothing when the index is missing or is not well-formed XML.
  [[nodiscard]] static std::optional<ResourceProvider> OpenFolder(const QString& folder);

  [[nodiscard]] bool Has(const ResourceName& resource) const;

  // The resource's file, whether or not it exists; nothing when the index does not name it.
  [[nodiscard]] std::optional<QString> FilePath(const ResourceName& resource) const;

  // The file's bytes; nothing when the index does not name it or the file cannot be read.
  [[nodiscard]] std::optional<QByteArray> LoadBytes(const ResourceName& resource) const;

  // Parses the file with the default options into `document`; false when it cannot be read or
  // is not well-formed.
  bool LoadXml(const ResourceName& resource, pugi::xml_document& document) const;

  // What the folder's list of rasters (RasterIndex) knows of the SVG picture, while it holds.
  [[nodiscard]] std::optional<PictureFacts> Facts(const ResourceName& resource) const;

 private:
  ResourceProvider(QString folder, std::map<QString, QString> files, RasterIndex rasters);

  QString folder_;
  std::map<QString, QString> files_;  // ResourceName::Key() -> path relative to folder_
  RasterIndex rasters_;
};

}  // namespace keyloom::ui
