#include "ui/layout/LayoutBuilder.h"

#include <memory>
#include <string>

#include <pugixml.hpp>

#include "settings/AsciiText.h"
#include "ui/events/UiTrace.h"
#include "ui/host/SApplication.h"
#include "ui/layout/AttributeText.h"
#include "ui/widgets/SWindow.h"

namespace keyloom::ui {

namespace {

constexpr const char* kIncludeTag = "include";
constexpr const char* kClassAttribute = "class";
constexpr const char* kTextAttribute = "text";

// How many includes are being expanded right now; layouts are built on the UI thread only.
int includeDepth = 0;

void ApplyStyle(SWindow& window, const SApplication& app, const QString& className) {
  for (const auto& [name, value] : app.GetUiDefinition().Styles().Get(className)) {
    window.SetAttribute(name, app.ResolveValue(value));
  }
}

void ExpandInclude(SWindow& parent, const pugi::xml_node& include) {
  const SApplication* app = SApplication::Instance();
  const QString source = QString::fromUtf8(include.attribute("src").value());
  pugi::xml_document document;
  if (includeDepth >= LayoutBuilder::kMaxIncludeDepth || app == nullptr ||
      !app->LoadXml(source, document, QStringLiteral("LAYOUT"))) {
    Trace("Layout include [" + source.toStdString() + "] skipped");
    return;
  }
  const pugi::xml_node layout = document.document_element();
  const pugi::xml_node root = layout.child("root");
  ++includeDepth;
  LayoutBuilder::CreateChildren(parent, root ? root : layout);
  --includeDepth;
}

}  // namespace

void LayoutBuilder::CreateChildren(SWindow& parent, const pugi::xml_node& element) {
  for (const pugi::xml_node child : element.children()) {
    if (child.type() != pugi::node_element) {
      continue;
    }
    if (settings::EqualIgnoringAsciiCase(child.name(), kIncludeTag)) {
      ExpandInclude(parent, child);
    } else {
      CreateControl(parent, child);
    }
  }
}

SWindow* LayoutBuilder::CreateControl(SWindow& parent, const pugi::xml_node& element) {
  const SApplication* app = SApplication::Instance();
  std::unique_ptr<SWindow> created =
      app != nullptr ? app->GetFactories().Create(element.name()) : nullptr;
  if (created == nullptr) {
    Trace(std::string("Layout tag [") + element.name() + "] has no control; skipped");
    return nullptr;
  }
  SWindow* control = created.release();
  control->setParent(&parent);
  control->show();
  control->SetEventsMuted(true);
  ApplyAttributes(*control, element);
  control->SetEventsMuted(false);
  control->OnCreate();
  control->CreateChildren(element);
  return control;
}

void LayoutBuilder::ApplyAttributes(SWindow& window, const pugi::xml_node& element) {
  const SApplication* app = SApplication::Instance();
  const auto resolve = [app](const char* value) {
    const QString text = QString::fromUtf8(value);
    return app != nullptr ? app->ResolveValue(text) : text;
  };
  bool hasText = false;
  if (app != nullptr) {
    ApplyStyle(window, *app, QString::fromUtf8(element.name()));
    for (const pugi::xml_attribute attribute : element.attributes()) {
      if (settings::EqualIgnoringAsciiCase(attribute.name(), kClassAttribute)) {
        const QString classes = QString::fromUtf8(attribute.value());
        for (const QString& className : classes.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
          ApplyStyle(window, *app, className);
        }
      }
    }
  }
  for (const pugi::xml_attribute attribute : element.attributes()) {
    if (settings::EqualIgnoringAsciiCase(attribute.name(), kClassAttribute)) {
      continue;
    }
    hasText = hasText || settings::EqualIgnoringAsciiCase(attribute.name(), kTextAttribute);
    window.SetAttribute(attribute.name(), resolve(attribute.value()));
  }
  const QString text = QString::fromUtf8(element.child_value()).trimmed();
  if (!hasText && !text.isEmpty()) {
    window.SetAttribute(kTextAttribute, app != nullptr ? app->ResolveValue(text) : text);
  }
}

}  // namespace keyloom::ui
