#include <fontconfig/fontconfig.h>

#include "app/SystemFonts.h"

namespace keyloom::app {

std::future<void> ReadFontConfigurationAside() {
  return std::async(std::launch::async, [] { static_cast<void>(FcInit()); });
}

}  // namespace keyloom::app
