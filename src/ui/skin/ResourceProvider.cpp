#include "ui/skin/ResourceProvider.h"

#include <QDir>
#include <QFile>
#include <utility>

#include <pugixml.hpp>

namespace keyloom::ui {

namespace {

std::optional<QByteArray> ReadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    return std::nullopt;
  }
  return file.readAll();
}

bool ParseXml(const QByteArray& bytes, pugi::xml_document& document) {
  return static_cast<bool>(
      document.load_buffer(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace

ResourceProvider::ResourceProvider(QString folder, std::map<QString, QString> files,
                                   RasterIndex rasters)
    : folder_(std::move(folder)), files_(std::move(files)), rasters_(std::move(rasters)) {}

std::optional<ResourceProvider> ResourceProvider::OpenFolder(const QString& folder) {
  const std::optional<QByteArray> index =
      ReadFile(QDir(folder).filePath(QString::fromLatin1(kIndexFileName)));
  pugi::xml_document document;
  if (!index || !ParseXml(*index, document) || !document.document_element()) {
    return std::nullopt;
  }
  std::map<QString, QString> files;
  for (const pugi::xml_node type : document.document_element().children()) {
    for (const pugi::xml_node file : type.children()) {
      const QString name = QString::fromUtf8(file.attribute("name").value());
      const QString path = QString::fromUtf8(file.attribute("path").value());
      if (name.isEmpty() || path.isEmpty()) {
        continue;
      }
      const ResourceName resource{QString::fromUtf8(type.name()), name};
      files.emplace(resource.Key(), path);
    }
  }
  return ResourceProvider(folder, std::move(files), RasterIndex::Read(folder));
}

bool ResourceProvider::Has(const ResourceName& resource) const {
  return files_.contains(resource.Key());
}

std::optional<QString> ResourceProvider::FilePath(const ResourceName& resource) const {
  const auto found = files_.find(resource.Key());
  if (found == files_.end()) {
    return std::nullopt;
  }
  return QDir(folder_).filePath(found->second);
}

std::optional<QByteArray> ResourceProvider::LoadBytes(const ResourceName& resource) const {
  const std::optional<QString> path = FilePath(resource);
  if (!path) {
    return std::nullopt;
  }
  return ReadFile(*path);
}

bool ResourceProvider::LoadXml(const ResourceName& resource, pugi::xml_document& document) const {
  const std::optional<QByteArray> bytes = LoadBytes(resource);
  return bytes && ParseXml(*bytes, document);
}

std::optional<PictureFacts> ResourceProvider::Facts(const ResourceName& resource) const {
  const auto found = files_.find(resource.Key());
  return found != files_.end() ? rasters_.Find(found->second) : std::nullopt;
}

}  // namespace keyloom::ui
