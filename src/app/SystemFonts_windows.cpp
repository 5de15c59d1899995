#include "app/SystemFonts.h"

namespace keyloom::app {

std::jthread ReadSystemFontsAhead() {
  return {};
}

}  // namespace keyloom::app
