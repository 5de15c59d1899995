#include "controls/RegisterControls.h"

#include <memory>

#include "controls/CoordButtonImage.h"
#include "controls/SAnimImg.h"
#include "controls/SCheckBoxEx.h"
#include "controls/SEditEx.h"
#include "controls/SRadioBoxEx.h"
#include "controls/SShellNotifyIcon.h"
#include "controls/STabCtrl2.h"
#include "controls/STabPage2.h"
#include "ui/ObjectFactoryRegistry.h"
#include "ui/SApplication.h"
#include "ui/SCheckBox.h"
#include "ui/SEdit.h"
#include "ui/SRadioBox.h"
#include "ui/STabCtrl.h"
#include "ui/STabPage.h"
#include "ui/SWindow.h"
#include "ui/TplSObjectFactory.h"

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
}

}  // namespace keyloom::controls
