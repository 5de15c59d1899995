#include "macro_dialog/CataloguePage.h"

#include <QString>
#include <algorithm>

#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/host/SHostWnd.h"
#include "ui/widgets/SComboBox.h"

namespace keyloom::macro {

CataloguePage::CataloguePage(PageContext& context,
                             const std::vector<settings::KeyCatalogEntry>& catalogue,
                             std::int32_t AssignmentStore::*selection, QLatin1StringView list,
                             QLatin1StringView picture)
    : context_(context),
      catalogue_(catalogue),
      selection_(selection),
      listName_(list),
      pictureName_(picture) {}

void CataloguePage::TakeCurrent(const keymap::KeyContent& current) {
  const auto found = std::find_if(
      catalogue_.begin(), catalogue_.end(),
      [&current](const settings::KeyCatalogEntry& entry) { return entry.name == current.name; });
  if (found != catalogue_.end()) {
    context_.Store().*selection_ = static_cast<std::int32_t>(found - catalogue_.begin());
  }
}

void CataloguePage::Bind(const ui::SHostWnd& window) {
  list_ = window.FindChildByName2<ui::SComboBox>(listName_);
  picture_ = window.FindChildByName2<controls::SKeyCaps>(pictureName_);
  if (list_ != nullptr) {
    for (const settings::KeyCatalogEntry& entry : catalogue_) {
      AddEntry(*list_, entry);
    }
  }
}

void CataloguePage::ShowStored() {
  if (list_ != nullptr) {
    list_->SetCurSel(context_.Store().*selection_);
  }
  ShowPicture();
}

void CataloguePage::Listen(const ui::SHostWnd& /*window*/) {
  if (list_ == nullptr) {
    return;
  }
  list_->Subscribe(ui::kEventComboSelectionChanged, [this](ui::EventArgs& args) {
    args.handled = true;
    context_.Store().*selection_ = args.index;
    context_.SaveStore();
    ShowPicture();
  });
}

void CataloguePage::Unbind() {
  list_ = nullptr;
  picture_ = nullptr;
}

int CataloguePage::Selection() const {
  return list_ != nullptr ? list_->GetCurSel() : -1;
}

void CataloguePage::AddEntry(ui::SComboBox& list, const settings::KeyCatalogEntry& entry) const {
  list.AddString(QString::fromStdString(entry.name));
}

void CataloguePage::ShowPicture() {
  if (picture_ == nullptr) {
    return;
  }
  const int row = Selection();
  picture_->SetKeyCaps(Caps(row >= 0 && static_cast<std::size_t>(row) < catalogue_.size()
                                ? &catalogue_[static_cast<std::size_t>(row)]
                                : nullptr));
}

}  // namespace keyloom::macro
