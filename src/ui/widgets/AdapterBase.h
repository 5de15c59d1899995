#pragma once

#include <algorithm>
#include <vector>

#include "ui/widgets/IDataSetObserver.h"
#include "ui/widgets/IListAdapter.h"
#include "ui/widgets/IMcAdapter.h"

namespace keyloom::ui {

// The observer list of an adapter (Interface: IListAdapter or IMcAdapter).
template <class Interface>
class AdapterBase : public Interface {
 public:
  void RegisterObserver(IDataSetObserver* observer) override {
    if (observer != nullptr &&
        std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
      observers_.push_back(observer);
    }
  }

  void UnregisterObserver(IDataSetObserver* observer) override { std::erase(observers_, observer); }

  // Tells every observer that the data changed. Observers may unregister meanwhile.
  void NotifyDataSetChanged() {
    const std::vector<IDataSetObserver*> observers = observers_;
    for (IDataSetObserver* observer : observers) {
      if (std::find(observers_.begin(), observers_.end(), observer) != observers_.end()) {
        observer->OnDataSetChanged();
      }
    }
  }

 private:
  std::vector<IDataSetObserver*> observers_;
};

using ListAdapterBase = AdapterBase<IListAdapter>;
using McAdapterBase = AdapterBase<IMcAdapter>;

}  // namespace keyloom::ui
