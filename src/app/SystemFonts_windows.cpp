#include "app/SystemFonts.h"

namespace keyloom::app {

std::future<void> ReadFontConfigurationAside() {
  return {};
}

}  // namespace keyloom::app
