#include "macro/MacroNode.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace keyloom::macro {

MacroNode* MacroNode::ChildAt(int index) const {
  if (index < 0 || index >= ChildCount()) {
    return nullptr;
  }
  return children_[static_cast<std::size_t>(index)].get();
}

std::optional<int> MacroNode::IndexOf(const MacroNode* child) const {
  const auto found = std::ranges::find(children_, child, &std::unique_ptr<MacroNode>::get);
  if (found == children_.end()) {
    return std::nullopt;
  }
  return static_cast<int>(found - children_.begin());
}

bool MacroNode::RemoveChild(int index) {
  if (index == kLast) {
    index = ChildCount() - 1;
  }
  if (index < 0 || index >= ChildCount()) {
    return false;
  }
  children_.erase(children_.begin() + index);
  return true;
}

MacroNode* MacroNode::InsertChild(int index, MacroAttributes attributes) {
  if (index != kLast && (index < 0 || index >= ChildCount())) {
    return nullptr;
  }
  auto child = std::unique_ptr<MacroNode>(new MacroNode(library_, this));
  child->attributes_ = std::move(attributes);
  MacroNode* inserted = child.get();
  const auto position = index == kLast ? children_.end() : children_.begin() + index;
  children_.insert(position, std::move(child));
  return inserted;
}

bool MacroNode::MoveChild(int from, int to) {
  if (from < 0 || from >= ChildCount() || from == to || to < kLast) {
    return false;
  }
  auto child = std::move(children_[static_cast<std::size_t>(from)]);
  children_.erase(children_.begin() + from);
  const int left = ChildCount();
  const int position = to == kLast ? left : std::min(to, left);
  children_.insert(children_.begin() + position, std::move(child));
  return true;
}

std::optional<std::string> MacroNode::Attribute(std::string_view name) const {
  const auto found = attributes_.find(name);
  if (found == attributes_.end()) {
    return std::nullopt;
  }
  return found->second;
}

void MacroNode::SetAttribute(std::string_view name, std::string value) {
  const auto found = attributes_.find(name);
  if (found != attributes_.end()) {
    found->second = std::move(value);
  } else {
    attributes_.emplace(std::string(name), std::move(value));
  }
}

}  // namespace keyloom::macro
