#include "controls/RegisterControls.h"

#include <memory>

#include "controls/CoordButtonImage.h"
#include "controls/CoordButtonImageAccessible.h"
#include "controls/SAnimImg.h"
#include "controls/SCheckBoxEx.h"
#include "controls/SEditEx.h"
#include "controls/SKeyCaps.h"
#include "controls/SRadioBoxEx.h"
#include "controls/SShellNotifyIcon.h"
#include "controls/STabCtrl2.h"
#include "controls/STabPage2.h"
#include "ui/host/SApplication.h"
#include "ui/layout/ObjectFactoryRegistry.h"
#include "ui/layout/TplSObjectFactory.h"
#include "ui/widgets/SCheckBox.h"
#include "ui/widgets/SEdit.h"
#include "ui/widgets/SRadioBox.h"
#include "ui/widgets/STabCtrl.h"
#include "ui/widgets/STabPage.h"
#include "ui/widgets/SWindow.h"

namespace keyloom::controls {

namespace {

template <class Control, class Base>
void RegisterControl(ui::ObjectFactoryRegistry& factories) {
  factories.Register(
      std::make_unique<ui::TplSObjectFactory<Control>>(Control::kClassName, Base::kClassName));
}

}  // namespace

void RegisterControls(ui::SApplication& app) {
  ui::ObjectFactoryRegistry& factories = app.GetFactories();
  RegisterControl<SShellNotifyIcon, ui::SWindow>(factories);
  RegisterControl<CoordButtonImage, ui::SWindow>(factories);
  RegisterControl<STabPage2, ui::STabPage>(factories);
  RegisterControl<STabCtrl2, ui::STabCtrl>(factories);
  RegisterControl<SAnimImg, ui::SWindow>(factories);
  RegisterControl<SEditEx, ui::SEdit>(factories);
  RegisterControl<SRadioBoxEx, ui::SRadioBox>(factories);
  RegisterControl<SCheckBoxEx, ui::SCheckBox>(factories);
  RegisterControl<SKeyCaps, ui::SWindow>(factories);
  InstallCoordButtonImageAccessibility();
}

}  // namespace keyloom::controls
