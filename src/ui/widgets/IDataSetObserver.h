#pragma once

namespace keyloom::ui {

// Told by an adapter that its data changed; list views are observers of their adapter.
class IDataSetObserver {
 public:
  virtual ~IDataSetObserver() = default;
  virtual void OnDataSetChanged() = 0;
};

}  // namespace keyloom::ui
