#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace keyloom::macro {

class MacroLibrary;

// The text attributes of a node, ordered by name. Numbers stay text exactly as the file or the
// user gave them and are read where they are used.
using MacroAttributes = std::map<std::string, std::string, std::less<>>;

// The names of the attributes in use: a group's "name"; an event's "code" (the key's usage, as
// decimal text), "name" (the key's display name, may be empty), "state" ("0" pressed, "1"
// released, anything else shown as "replace" and sent as a release) and "delay" (milliseconds
// after the event, as the user typed it).
inline constexpr std::string_view kNameAttribute = "name";
inline constexpr std::string_view kCodeAttribute = "code";
inline constexpr std::string_view kStateAttribute = "state";
inline constexpr std::string_view kDelayAttribute = "delay";

// One node of a macro library: the root (its children are the groups), a group (its children
// are the events) or an event (no children). Every node belongs to one library, through which
// edits are saved (MacroLibrary::Update), and knows its parent. Nodes are neither copied nor
// moved, so references to them stay valid until they are removed, or until the library reads
// its file again (MacroLibrary::SetReloadListener).
//
// Child indices are ints because -1 has a meaning: "the last child" for RemoveChild and "after
// the last child" for InsertChild and MoveChild.
class MacroNode {
 public:
  static constexpr int kLast = -1;

  MacroNode(const MacroNode&) = delete;
  MacroNode& operator=(const MacroNode&) = delete;
  ~MacroNode() = default;

  [[nodiscard]] MacroLibrary* library() const { return library_; }
  [[nodiscard]] MacroNode* parent() const { return parent_; }

  [[nodiscard]] int ChildCount() const { return static_cast<int>(children_.size()); }

  // The child at `index`, or null when the index is outside the children.
  [[nodiscard]] MacroNode* ChildAt(int index) const;

  // The index of `child` among the children, or nullopt when it is not one of them.
  [[nodiscard]] std::optional<int> IndexOf(const MacroNode* child) const;

  // Removes the child at `index` (kLast: the last one); the later children move up. An index
  // outside the children, or no children, changes nothing and answers false.
  bool RemoveChild(int index);

  // Removes every child.
  void ClearChildren() { children_.clear(); }

  // Inserts a new child with these attributes before the child at `index`, or after the last
  // child for kLast. Any other index that is not a child's (in particular an index equal to or
  // above the number of children) inserts nothing and answers null.
  MacroNode* InsertChild(int index, MacroAttributes attributes);

  // Takes the child at `from` out and puts it back before position min(to, children left),
  // `to` == kLast meaning last, so a move past the end puts it last. Nothing happens (false) when
  // `from` is outside the children, equals `to`, or `to` is below kLast.
  bool MoveChild(int from, int to);

  // The value of the attribute, or nullopt when the node has none of that name. A missing
  // attribute is an error that the program's own readers and recorder never cause: they give
  // every group a "name" and every event all four attributes.
  [[nodiscard]] std::optional<std::string> Attribute(std::string_view name) const;

  // Creates or replaces the attribute.
  void SetAttribute(std::string_view name, std::string value);

  [[nodiscard]] const MacroAttributes& attributes() const { return attributes_; }
  void ClearAttributes() { attributes_.clear(); }

 private:
  friend class MacroLibrary;

  MacroNode(MacroLibrary* library, MacroNode* parent) : library_(library), parent_(parent) {}

  MacroLibrary* library_;
  MacroNode* parent_;
  std::vector<std::unique_ptr<MacroNode>> children_;
  MacroAttributes attributes_;
};

}  // namespace keyloom::macro
