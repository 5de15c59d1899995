#pragma once

#include <QFont>
#include <QString>
#include <map>
#include <memory>
#include <optional>

#include "ui/layout/ObjectFactoryRegistry.h"
#include "ui/skin/ResourceProvider.h"
#include "ui/skin/TranslatorManager.h"
#include "ui/skin/UiDefinition.h"

namespace pugi {
class xml_document;
}

namespace keyloom::ui {

class Image;
class ISkinObj;
class SHostWnd;
class Translator;

// The toolkit's application object: the skin (resources, UI definition, images), the control
// factories (the standard controls are registered at construction), the translators and the
// message loop. One exists at a time, made after the QApplication and reachable through
// Instance(); controls and windows use it for skins, strings and translation and work without
// one (untranslated, unskinned).
class SApplication {
 public:
  // The name under which the UI definition is loaded by default.
  static constexpr const char* kDefaultUiDefinition = "uidef:xml_init";

  SApplication();
  ~SApplication();

  SApplication(const SApplication&) = delete;
  SApplication& operator=(const SApplication&) = delete;

  [[nodiscard]] static SApplication* Instance();

  // Takes the skin's resources and loads the UI definition `uiDefinition` from them; its
  // default font becomes the application font. False when the definition cannot be read (the
  // resources are kept all the same).
  bool AddResourceProvider(ResourceProvider provider,
                           const QString& uiDefinition = QString::fromLatin1(kDefaultUiDefinition));
  [[nodiscard]] const UiDefinition& GetUiDefinition() const { return uiDefinition_; }

  // A named skin of the UI definition; null when there is none.
  [[nodiscard]] std::shared_ptr<const ISkinObj> GetSkin(const QString& name) const;
  // The skin a control attribute names: null for an empty value, nothing (the attribute fails)
  // for a name without skin or without a current application.
  [[nodiscard]] static std::optional<std::shared_ptr<const ISkinObj>> SkinAttribute(
      const QString& value);
  // An image by resource name ("main:state_add_png"), loaded once and shared; null when it is
  // missing or does not decode.
  [[nodiscard]] std::shared_ptr<const Image> GetImage(const QString& name) const;
  // Parses the XML resource `name` ("LAYOUT:macro"; `defaultType` when the name has no type).
  bool LoadXml(const QString& name, pugi::xml_document& document,
               const QString& defaultType = {}) const;
  // A layout attribute value with "@string/" and "@color/" references resolved.
  [[nodiscard]] QString ResolveValue(const QString& value) const;
  [[nodiscard]] std::optional<QString> GetString(const QString& name) const;
  [[nodiscard]] std::optional<QString> GetString(int index) const;
  [[nodiscard]] std::optional<QColor> GetColor(const QString& name) const;
  [[nodiscard]] QFont DefaultFont() const { return uiDefinition_.Font(); }

  [[nodiscard]] ObjectFactoryRegistry& GetFactories() { return factories_; }
  [[nodiscard]] const ObjectFactoryRegistry& GetFactories() const { return factories_; }

  [[nodiscard]] TranslatorManager& GetTranslatorManager() { return translators_; }
  // A translator loaded from the "translator" resource `name` ("lang_cn"); null when the
  // resource is missing, does not parse or has no "language" element.
  [[nodiscard]] std::shared_ptr<Translator> LoadTranslator(const QString& name) const;
  // `text` through the current translator of the current application (unchanged without one).
  [[nodiscard]] static QString Tr(const QString& text);

  // Shows nothing itself: runs the message loop until the main window is destroyed, which ends
  // it with 1, and answers the loop's result.
  int Run(SHostWnd& mainWindow);
  [[nodiscard]] SHostWnd* GetMainWindow() const { return mainWindow_; }

  // The program's folder, without a trailing separator: where the files the skin names by a
  // path relative to the program (the key coordinate file) are found. The executable's folder
  // unless the program named another one, as an installed program does for its data folder.
  [[nodiscard]] static QString GetAppDir();
  static void SetAppDir(const QString& folder);

 private:
  std::optional<ResourceProvider> provider_;
  UiDefinition uiDefinition_;
  ObjectFactoryRegistry factories_;
  TranslatorManager translators_;
  mutable std::map<QString, std::shared_ptr<const Image>> images_;
  SHostWnd* mainWindow_ = nullptr;
  SApplication* previous_ = nullptr;
};

}  // namespace keyloom::ui
