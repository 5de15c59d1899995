#include "ui/StandardControls.h"

#include <memory>

#include "ui/ObjectFactoryRegistry.h"
#include "ui/SButton.h"
#include "ui/SCaption.h"
#include "ui/SCheckBox.h"
#include "ui/SComboBox.h"
#include "ui/SEdit.h"
#include "ui/SImageButton.h"
#include "ui/SImageWnd.h"
#include "ui/SListView.h"
#include "ui/SMcListView.h"
#include "ui/SRadioBox.h"
#include "ui/SSliderBar.h"
#include "ui/SStatic.h"
#include "ui/STabCtrl.h"
#include "ui/STabPage.h"
#include "ui/SWindow.h"
#include "ui/TplSObjectFactory.h"

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
