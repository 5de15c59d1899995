// keyloom_skin_rasters [--index FOLDER] SVG...
//
// Writes NAME@1x.png and NAME@2x.png beside each NAME.svg: the picture as keyloom renders it at
// 100 % and 200 %, stamped with the SVG it was made from. With --index, also writes the list of
// what is known of the pictures below FOLDER (their sizes and stamps; see RasterIndex) into
// FOLDER, so that the program need not read them at its start. Ends with status 1 when a file is
// not an SVG picture with a size or a raster or the list cannot be written, after trying every
// file.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>
#include <QStringList>
#include <QTextStream>
#include <optional>

#include "ui/skin/Prerendered.h"
#include "ui/skin/VectorPicture.h"

int main(int argc, char* argv[]) {
  // Text in the pictures needs the font database, which needs a platform; no display is needed.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  QTextStream errors(stderr);
  QStringList paths = QGuiApplication::arguments().mid(1);
  std::optional<QDir> indexFolder;
  if (paths.size() >= 2 && paths.constFirst() == QLatin1String("--index")) {
    indexFolder = QDir(paths.at(1));
    paths = paths.mid(2);
  }
  QByteArray index;
  int status = 0;
  for (const QString& path : paths) {
    if (keyloom::ui::PrerenderedPath(path, 1).isEmpty()) {
      errors << "keyloom_skin_rasters: " << path << " is not named *.svg\n";
      status = 1;
      continue;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
      errors << "keyloom_skin_rasters: cannot read " << path << ": " << file.errorString() << '\n';
      status = 1;
      continue;
    }
    const QByteArray svg = file.readAll();
    const auto picture = keyloom::ui::VectorPicture::Parse(svg);
    if (picture == nullptr) {
      errors << "keyloom_skin_rasters: " << path << " is not an SVG picture with a size\n";
      status = 1;
      continue;
    }
    if (const std::optional<QString> failed = keyloom::ui::WritePrerendered(*picture, svg, path)) {
      errors << "keyloom_skin_rasters: cannot write " << *failed << '\n';
      status = 1;
      continue;
    }
    if (indexFolder) {
      const QString relative = indexFolder->relativeFilePath(path);
      if (!relative.startsWith(QLatin1String("../"))) {
        index += keyloom::ui::RasterIndex::Line(relative, svg);
      }
    }
  }
  if (indexFolder) {
    QSaveFile list(indexFolder->filePath(QLatin1String(keyloom::ui::kRasterIndexName)));
    if (!list.open(QIODevice::WriteOnly) || list.write(index) != index.size() || !list.commit()) {
      errors << "keyloom_skin_rasters: cannot write " << list.fileName() << '\n';
      status = 1;
    }
  }
  return status;
}
