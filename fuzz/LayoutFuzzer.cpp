// Layouts on any bytes: the toolkit builds controls from them (standard controls and the
// program's own, with the real skin's styles, strings and skins, includes of the skin's
// layouts) and must never crash, loop or leak; then the controls are destroyed again.

#include <QCoreApplication>
#include <QEvent>
#include <cstddef>
#include <cstdint>
#include <memory>

#include <pugixml.hpp>

#include "QtFuzzSupport.h"
#include "ui/layout/LayoutBuilder.h"
#include "ui/widgets/SWindow.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  keyloom::fuzz::StartQt();
  keyloom::fuzz::SkinApplication();
  pugi::xml_document document;
  if (!keyloom::fuzz::ParseInput(data, size, document)) {
    return 0;
  }
  {
    auto root = std::make_unique<keyloom::ui::SWindow>();
    keyloom::ui::LayoutBuilder::CreateChildren(*root, document.document_element());
    keyloom::ui::LayoutBuilder::ApplyAttributes(*root, document.document_element());
    root->RunDestroyHooks();
  }
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return 0;
}
