#include "ui/host/SApplication.h"

#include <QApplication>
#include <QCoreApplication>
#include <utility>

#include <pugixml.hpp>

#include "ui/host/AccessibleFactory.h"
#include "ui/layout/StandardControls.h"
#include "ui/skin/ISkinObj.h"
#include "ui/skin/Image.h"
#include "ui/skin/ResourceName.h"
#include "ui/skin/Translator.h"

namespace keyloom::ui {

namespace {

SApplication*& CurrentApplication() {
  static SApplication* application = nullptr;
  return application;
}

}  // namespace

SApplication::SApplication() : previous_(CurrentApplication()) {
  CurrentApplication() = this;
  RegisterStandardControls(factories_);
  InstallAccessibleFactory();
  QApplication::setQuitOnLastWindowClosed(false);
}

SApplication::~SApplication() {
  CurrentApplication() = previous_;
}

SApplication* SApplication::Instance() {
  return CurrentApplication();
}

bool SApplication::AddResourceProvider(ResourceProvider provider, const QString& uiDefinition) {
  provider_ = std::move(provider);
  images_.clear();
  uiDefinition_ = UiDefinition();
  const bool loaded = uiDefinition_.Load(*provider_, ResourceName::Parse(uiDefinition),
                                         [this](const QString& name) { return GetImage(name); });
  if (loaded) {
    QApplication::setFont(uiDefinition_.Font());
  }
  return loaded;
}

std::shared_ptr<const ISkinObj> SApplication::GetSkin(const QString& name) const {
  return uiDefinition_.Skins().Get(name);
}

std::optional<std::shared_ptr<const ISkinObj>> SApplication::SkinAttribute(const QString& value) {
  if (value.isEmpty()) {
    return std::shared_ptr<const ISkinObj>();
  }
  const SApplication* app = Instance();
  std::shared_ptr<const ISkinObj> skin = app != nullptr ? app->GetSkin(value) : nullptr;
  if (skin == nullptr) {
    return std::nullopt;
  }
  return skin;
}

std::shared_ptr<const Image> SApplication::GetImage(const QString& name) const {
  const ResourceName resource = ResourceName::Parse(name);
  const QString key = resource.Key();
  const auto found = images_.find(key);
  if (found != images_.end()) {
    return found->second;
  }
  const std::optional<QString> path = provider_ ? provider_->FilePath(resource) : std::nullopt;
  // A picture the build made rasters of is drawn from them without reading its SVG first.
  const std::optional<PictureFacts> facts = path ? provider_->Facts(resource) : std::nullopt;
  std::shared_ptr<const Image> image = facts ? Image::FromRasters(*path, *facts) : nullptr;
  if (image == nullptr) {
    const std::optional<QByteArray> bytes =
        provider_ ? provider_->LoadBytes(resource) : std::nullopt;
    image = bytes ? Image::Decode(*bytes, path.value_or(QString())) : nullptr;
  }
  if (image != nullptr) {
    images_.emplace(key, image);
  }
  return image;
}

bool SApplication::LoadXml(const QString& name, pugi::xml_document& document,
                           const QString& defaultType) const {
  return provider_ && provider_->LoadXml(ResourceName::Parse(name, defaultType), document);
}

QString SApplication::ResolveValue(const QString& value) const {
  return uiDefinition_.ResolveValue(value);
}

std::optional<QString> SApplication::GetString(const QString& name) const {
  return uiDefinition_.Strings().Get(name);
}

std::optional<QString> SApplication::GetString(int index) const {
  return uiDefinition_.Strings().At(index);
}

std::optional<QColor> SApplication::GetColor(const QString& name) const {
  return uiDefinition_.Colors().Get(name);
}

std::shared_ptr<Translator> SApplication::LoadTranslator(const QString& name) const {
  pugi::xml_document document;
  if (!LoadXml(name, document, QStringLiteral("translator"))) {
    return nullptr;
  }
  auto translator = std::make_shared<Translator>();
  if (!translator->Load(document.child("language"))) {
    return nullptr;
  }
  return translator;
}

QString SApplication::Tr(const QString& text) {
  const SApplication* app = Instance();
  return app != nullptr ? app->translators_.Translate(text) : text;
}

int SApplication::Run(SHostWnd& mainWindow) {
  mainWindow_ = &mainWindow;
  return QCoreApplication::exec();
}

namespace {

QString& AppDirOverride() {
  static QString folder;
  return folder;
}

}  // namespace

QString SApplication::GetAppDir() {
  const QString& folder = AppDirOverride();
  return folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder;
}

void SApplication::SetAppDir(const QString& folder) {
  AppDirOverride() = folder;
}

}  // namespace keyloom::ui
