#include "ui/layout/StandardControls.h"

#include <memory>

#include "ui/layout/ObjectFactoryRegistry.h"
#include "ui/layout/TplSObjectFactory.h"
#include "ui/widgets/SButton.h"
#include "ui/widgets/SCaption.h"
#include "ui/widgets/SCheckBox.h"
#include "ui/widgets/SComboBox.h"
#include "ui/widgets/SEdit.h"
#include "ui/widgets/SImageButton.h"
#include "ui/widgets/SImageWnd.h"
#include "ui/widgets/SListView.h"
#include "ui/widgets/SMcListView.h"
#include "ui/widgets/SRadioBox.h"
#include "ui/widgets/SSliderBar.h"
#include "ui/widgets/SStatic.h"
#include "ui/widgets/STabCtrl.h"
#include "ui/widgets/STabPage.h"
#include "ui/widgets/SWindow.h"

namespace keyloom::ui {

namespace {

template <class T>
void Add(ObjectFactoryRegistry& registry, std::string_view baseClassName) {
  registry.Register(std::make_unique<TplSObjectFactory<T>>(T::kClassName, baseClassName));
}

}  // namespace

void RegisterStandardControls(ObjectFactoryRegistry& registry) {
  Add<SWindow>(registry, SWindow::kClassName);
  Add<SCaption>(registry, SWindow::kClassName);
  Add<SStatic>(registry, SWindow::kClassName);
  Add<SImageWnd>(registry, SWindow::kClassName);
  Add<SButton>(registry, SWindow::kClassName);
  Add<SImageButton>(registry, SButton::kClassName);
  Add<SCheckBox>(registry, SWindow::kClassName);
  Add<SRadioBox>(registry, SWindow::kClassName);
  Add<SEdit>(registry, SWindow::kClassName);
  Add<SComboBox>(registry, SWindow::kClassName);
  Add<SSliderBar>(registry, SWindow::kClassName);
  Add<STabCtrl>(registry, SWindow::kClassName);
  Add<STabPage>(registry, SWindow::kClassName);
  Add<SListView>(registry, SWindow::kClassName);
  Add<SMcListView>(registry, SListView::kClassName);
}

}  // namespace keyloom::ui
