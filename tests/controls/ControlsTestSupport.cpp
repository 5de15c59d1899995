#include "ControlsTestSupport.h"

#include <QDir>
#include <QPainter>
#include <QWidget>

#include "UiTestSupport.h"
#include "controls/RegisterControls.h"

namespace keyloom::controls::test {

QString FixtureSkinFolder() {
  return QStringLiteral(KEYLOOM_TEST_DATA_DIR "/controls/uires");
}

QString RealSkinFolder() {
  return QStringLiteral(KEYLOOM_SKIN_DIR);
}

std::unique_ptr<ui::SApplication> MakeApplication(const QString& folder) {
  std::unique_ptr<ui::SApplication> app = ui::test::MakeApplication(folder);
  RegisterControls(*app);
  return app;
}

QString KeysPath(const QString& file) {
  return QStringLiteral(KEYLOOM_TEST_DATA_DIR "/controls/keys/") + file;
}

QString KeysSetting(const QString& file) {
  return QDir(ui::SApplication::GetAppDir()).relativeFilePath(KeysPath(file));
}

QImage Render(QWidget& widget, qreal ratio) {
  QImage image(widget.size() * ratio, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::black);
  widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  return image;
}

QColor PixelAt(const QImage& image, int x, int y) {
  const qreal ratio = image.devicePixelRatio();
  QColor color = image.pixelColor(static_cast<int>(x * ratio), static_cast<int>(y * ratio));
  color.setAlpha(255);
  return color;
}

}  // namespace keyloom::controls::test
