#include <fontconfig/fontconfig.h>

#include "app/SystemFonts.h"

namespace keyloom::app {

std::jthread ReadSystemFontsAhead() {
  // A configuration that cannot be read is Qt's to report when it asks for it again.
  return std::jthread([] { static_cast<void>(FcInit()); });
}

}  // namespace keyloom::app
