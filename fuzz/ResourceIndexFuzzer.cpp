// The skin's index "uires.idx" on any bytes: reading it must never crash; every entry it takes
// (a child of a type with a non-empty "name" and "path") is found again by its type and name, in
// any letter case; the first entry of a name wins, and its relative path resolves inside the
// skin's folder, an absolute one to itself.

#include <QDir>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

#include <pugixml.hpp>
#include <unistd.h>

#include "QtFuzzSupport.h"
#include "ui/skin/ResourceName.h"
#include "ui/skin/ResourceProvider.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using keyloom::ui::ResourceName;
  using keyloom::ui::ResourceProvider;
  static const QString folder = [] {
    std::string pattern = QDir::tempPath().toStdString() + "/keyloom-fuzz-uires-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
      std::abort();
    }
    return QString::fromStdString(pattern);
  }();
  {
    std::ofstream index((folder + "/" + ResourceProvider::kIndexFileName).toStdString(),
                        std::ios::binary | std::ios::trunc);
    index.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const auto provider = ResourceProvider::OpenFolder(folder);
  pugi::xml_document document;
  if (provider.has_value() != keyloom::fuzz::ParseInput(data, size, document)) {
    std::abort();
  }
  if (!provider) {
    return 0;
  }
  std::set<QString> seen;
  for (const pugi::xml_node type : document.document_element().children()) {
    for (const pugi::xml_node entry : type.children()) {
      const QString name = QString::fromUtf8(entry.attribute("name").value());
      const QString path = QString::fromUtf8(entry.attribute("path").value());
      if (name.isEmpty() || path.isEmpty()) {
        continue;
      }
      const ResourceName resource{QString::fromUtf8(type.name()).toUpper(), name.toLower()};
      const auto resolved = provider->FilePath(resource);
      if (!provider->Has(resource) || !resolved) {
        std::abort();
      }
      if (!seen.insert(resource.Key()).second) {
        continue;
      }
      const bool where =
          QDir::isAbsolutePath(path) ? *resolved == path : resolved->startsWith(folder + "/");
      if (!where) {
        std::abort();
      }
    }
  }
  return 0;
}
