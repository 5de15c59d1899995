#pragma once

namespace pugi {
class xml_node;
}

namespace keyloom::ui {

class SWindow;

// Builds controls from layout elements with the factories, styles and values of the current
// application.
//
// A control fires no events while it takes its attributes. Its attributes are applied in this
// order: the style class named like its tag (if the UI definition has one), the classes named by
// its `class` attribute (separated by blanks), its own attributes in file order, and its element
// text as `text` when it has no `text` attribute. "@string/..." and "@color/..." values are
// resolved first.
class LayoutBuilder {
 public:
  // Builds a control for every child element of `element` under `parent`, in order.
  // <include src="LAYOUT:name"/> puts the children of that layout's `root` (or of its document
  // element when it has none) at its place. An element whose tag has no factory is skipped with
  // its children, and a trace line names the tag; so is an include that cannot be loaded or that
  // lies more than kMaxIncludeDepth includes deep (an include of itself).
  static void CreateChildren(SWindow& parent, const pugi::xml_node& element);

  // The control of one element with its subtree, placed under `parent`; null for a tag without
  // factory.
  static SWindow* CreateControl(SWindow& parent, const pugi::xml_node& element);

  // Applies the element's style classes, attributes and text to `window`.
  static void ApplyAttributes(SWindow& window, const pugi::xml_node& element);

  static constexpr int kMaxIncludeDepth = 8;
};

}  // namespace keyloom::ui
