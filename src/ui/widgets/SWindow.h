#pragma once

#include <QColor>
#include <QMargins>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "ui/events/EventSubscriptions.h"
#include "ui/layout/AttributeResult.h"
#include "ui/layout/LayoutPos.h"
#include "ui/widgets/WindowState.h"

namespace pugi {
class xml_node;
}

namespace keyloom::ui {

struct EventArgs;
class ISkinObj;
class SHostWnd;

// The toolkit class "window": the base of every control. A control has a name, a numeric id (by
// default the name's id in NamedIdTable), a class name with an inheritance-aware check, a 32-bit
// user value, a generic checked state and the state bits hover, pushed, checked and disabled. It
// takes its settings from layout attributes through SetAttribute, where each class handles its
// own attributes and passes the rest to its base; "window" ignores what no class knows.
//
// Life of a control built from a layout: constructed by its factory, put into its parent, given
// its attributes, OnCreate, then its children are built (CreateChildren). It ends with Destroy,
// which calls OnDestroy for it and then for its children and deletes it later, so that a control
// may end itself or its window from inside its own event handler.
//
// Geometry: `pos` places the control in its parent's client area (LayoutPos) whenever the parent
// is resized; without `pos` the control fills that area. The client area is the control less its
// margins.
//
// Texts: the raw text (as the layout or the program gives it) is shown translated by the current
// translator, and again after every language change; the tooltip likewise.
//
// Look and input: a control paints in OnPaint and takes the mouse through Qt's handlers
// (mousePressEvent, enterEvent, ...); overrides call the base, which keeps the state bits.
class SWindow : public QWidget {
 public:
  static constexpr std::string_view kClassName = "window";

  // The lookups search every level below the control.
  static constexpr int kAllLevels = -1;

  explicit SWindow(QWidget* parent = nullptr);
  ~SWindow() override;

  SWindow(const SWindow&) = delete;
  SWindow& operator=(const SWindow&) = delete;

  // The control's own class name ("check"), and whether it is of class `className` or derives
  // from it. Every control is of class "window". Each class overrides both.
  [[nodiscard]] virtual std::string_view ClassName() const { return kClassName; }
  [[nodiscard]] virtual bool IsClass(std::string_view className) const;

  [[nodiscard]] const QString& GetName() const { return name_; }
  // Also gives the control the name's id from NamedIdTable, unless an id was set before.
  void SetName(const QString& name);
  [[nodiscard]] int GetID() const { return id_; }
  void SetID(int id);
  [[nodiscard]] std::uint32_t GetUserData() const { return userData_; }
  void SetUserData(std::uint32_t value) { userData_ = value; }

  // Applies one layout attribute; the name is matched without regard to case. Overrides handle
  // their own attributes and return the base's answer for the others.
  virtual AttributeResult SetAttribute(std::string_view name, const QString& value);

  // Builds a control for every child element of `element` (see LayoutBuilder). Controls whose
  // layout element holds other things than controls (items, a row template) read those here.
  virtual void CreateChildren(const pugi::xml_node& element);

  // Called once the control has its attributes and its place in the window, before its children
  // are built.
  virtual void OnCreate() {}

  // Called when the control is destroyed, before its children are.
  virtual void OnDestroy() {}

  // Ends the control: OnDestroy for it and its subtree; hidden and left out of lookups and layout
  // at once; deleted when control returns to the event loop (or with its parent, if that
  // goes first). Does nothing the second time.
  void Destroy();

  // Calls OnDestroy for the control and its subtree, once; for a window that is about to delete
  // its controls itself.
  void RunDestroyHooks();

  // The nearest ancestor that is a control; null at the root.
  [[nodiscard]] SWindow* GetParentWindow() const;
  // The controls directly below this one, in creation order.
  [[nodiscard]] std::vector<SWindow*> GetChildWindows() const;
  // The host window that holds the control; null outside one.
  [[nodiscard]] SHostWnd* GetHostWnd() const;

  // The first control named `name` (or with id `id`) within `depth` levels below this one
  // (kAllLevels: any depth): each level's direct children first, then depth-first below them.
  [[nodiscard]] SWindow* FindChildByName(const QString& name, int depth = kAllLevels) const;
  [[nodiscard]] SWindow* FindChildByID(int id, int depth = kAllLevels) const;

  // As above, but the control must also be of class `className`; otherwise null, and the trace
  // "FindChildByName2 Failed, no window of class [%s] with name of [%s] was found within [%d]
  // levels" (or the FindChildByID2 line with the id) is written through the trace sink.
  [[nodiscard]] SWindow* FindChildByName2(const QString& name, std::string_view className,
                                          int depth = kAllLevels) const;
  [[nodiscard]] SWindow* FindChildByID2(int id, std::string_view className,
                                        int depth = kAllLevels) const;

  template <class T>
  [[nodiscard]] T* FindChildByName2(const QString& name, int depth = kAllLevels) const {
    return dynamic_cast<T*>(FindChildByName2(name, T::kClassName, depth));
  }
  template <class T>
  [[nodiscard]] T* FindChildByID2(int id, int depth = kAllLevels) const {
    return dynamic_cast<T*>(FindChildByID2(id, T::kClassName, depth));
  }

  // The raw text; shown translated.
  virtual void SetText(const QString& text);
  [[nodiscard]] virtual QString GetText() const { return text_; }
  [[nodiscard]] const QString& GetDisplayText() const { return displayText_; }
  void SetToolTipText(const QString& text);
  [[nodiscard]] const QString& GetToolTipText() const { return tip_; }
  // What a screen reader says of the control, where its text and tooltip do not tell it
  // (attributes `accName` and `accDesc`); raw, shown translated like the text.
  void SetAccessibleText(const QString& name, const QString& description);
  // What the control is to a screen reader where its class does not tell it (attribute
  // `accRole`: "status" for a line that tells the state of things, "alert" for one that says
  // what just happened); std::nullopt: as the class says.
  [[nodiscard]] std::optional<int> GetAccessibleRole() const { return accessibleRole_; }

  // Translates the control's texts again. Controls with more texts (items, titles, column
  // headers) override it and call the base.
  virtual void OnLanguageChanged();
  // OnLanguageChanged for this control and every control below it.
  void BroadcastLanguageChanged();

  // The generic checked state. Radio buttons also clear their siblings.
  [[nodiscard]] bool IsChecked() const { return checked_; }
  virtual void SetCheck(bool checked);

  // The state bits: hover while the mouse is over the control, pushed while the left button that
  // went down on a clickable control is held, checked, disabled.
  [[nodiscard]] WindowState GetState() const;

  void SetPos(const LayoutPos& pos);
  [[nodiscard]] const QMargins& GetMargins() const { return margins_; }
  // The client area in the control's own coordinates: the control less its margins.
  [[nodiscard]] QRect ClientRect() const;
  // The control's rectangle in the coordinates of its host window.
  [[nodiscard]] QRect RectInHost() const;
  // The size for pos="x,y": the `width`/`height` attributes where given, else DesiredSize.
  [[nodiscard]] QSize NaturalSize() const;
  // The control's own idea of its size: its skin's natural size, else the size of its text.
  [[nodiscard]] virtual QSize DesiredSize() const;
  // Places every child control by its pos within the client area.
  virtual void LayoutChildren();
  // LayoutChildren for this control and every control below it.
  void LayoutTree();

  // While one lives, the layouts that positions, margins, texts, fonts and skins ask for are put
  // off: a window that builds its controls lays out its tree once, with LayoutTree, after the last
  // batch ends, instead of placing every control's siblings again at each of its attributes (and
  // measuring their texts each time). For the thread that builds windows.
  class LayoutBatch {
   public:
    LayoutBatch();
    ~LayoutBatch();
    LayoutBatch(const LayoutBatch&) = delete;
    LayoutBatch& operator=(const LayoutBatch&) = delete;
  };

  [[nodiscard]] const std::shared_ptr<const ISkinObj>& GetSkin() const { return skin_; }
  void SetSkin(std::shared_ptr<const ISkinObj> skin);
  // The text colour for a four-state index (StateIndex4): the colour set for that state, else
  // colorText, else the palette's text colour.
  [[nodiscard]] QColor TextColor(int stateIndex) const;
  [[nodiscard]] Qt::Alignment TextAlignment() const { return alignment_; }
  void SetTextAlignment(Qt::Alignment alignment);

  // Draws `text` into `rect` with the control's font, alignment and the text colour of its state,
  // on one line with an ellipsis when it does not fit (word-wrapped when `multiLine`).
  void DrawTextIn(QPainter& painter, const QRect& rect, const QString& text,
                  bool multiLine = false) const;

  // Subscribes to an event of this control (see EventSubscriptions::Subscribe).
  SubscriptionId Subscribe(int eventId, EventHandler handler, const void* key = nullptr);
  bool Unsubscribe(SubscriptionId id);

  // Fires an event from this control: fills in the sender, calls this control's subscribers,
  // then, while it is not handled, those of each parent control up to the root, then the host
  // window's OnEvent. Answers whether it was handled.
  bool FireEvent(EventArgs& args);
  // Fires a command event (kEventCommand).
  bool FireCommand();
  // A click from the keyboard or from a screen reader: OnClick, as a mouse click on an enabled
  // clickable control makes it; nothing otherwise.
  void Click();
  [[nodiscard]] bool IsClickable() const { return clickable_; }

  // Whether the control shows its focus mark: it has the focus, and it last got it from the
  // keyboard (Tab, Shift+Tab, a shortcut), not from the mouse, so that the mark follows the
  // keyboard only. Getting it back with its window, or from the program, changes nothing.
  [[nodiscard]] bool ShowsFocusMark() const;
  // The control that has the keyboard focus (the nearest control around the focused widget),
  // also in a window drawn at a scale; null when no control has it.
  [[nodiscard]] static SWindow* FocusedControl();
  // A muted control fires nothing (FireEvent answers false); layouts mute a control while they
  // give it its attributes, so that no handler sees a window that is half built.
  void SetEventsMuted(bool muted) { eventsMuted_ = muted; }

 protected:
  // Paints the control: background colour, skin in StateIndex4, then the text in the client
  // area. Controls override it for their own look.
  virtual void OnPaint(QPainter& painter);
  // Draws the focus mark while ShowsFocusMark, after OnPaint: a rounded frame inside the
  // control in the colour of the attribute `colorFocus`, else the skin's named colour "focus",
  // else the palette's highlight. Controls with a mark of their own override it.
  virtual void DrawFocusMark(QPainter& painter);
  [[nodiscard]] QColor FocusColor() const;
  // Whether the control looks different while the pointer is over it; the pointer entering and
  // leaving repaints it only then (a window's background and the panels under it stay as they
  // are). Here: a skin with a state of its own for it, or a text colour for it. Controls whose
  // OnPaint shows the hover state in other ways say so.
  [[nodiscard]] virtual bool HoverChangesLook() const;
  // What HoverChangesLook answers here, for controls that draw the control's skin and text
  // themselves.
  [[nodiscard]] bool SkinOrTextShowsHover() const;
  // Whether `skin` draws the hover state differently from the normal one.
  [[nodiscard]] static bool HasHoverState(const ISkinObj* skin);
  // The background colour, then the skin in `skinState` over the whole control.
  void DrawBackground(QPainter& painter, int skinState) const;
  void FillBackgroundColor(QPainter& painter) const;

  // Clickable controls get the pushed state while the left button is held on them and OnClick
  // when it is released over them. Others pass the mouse on to their parent.
  void SetClickable(bool clickable) { clickable_ = clickable; }
  virtual void OnClick() {}

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  // Space and Enter click a clickable control, as the mouse does.
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // Asks the parent to place this control again after its natural size changed.
  void NaturalSizeChanged();
  // LayoutChildren, unless a LayoutBatch puts it off.
  void LayoutChildrenUnlessBatched();

  QString name_;
  int id_ = 0;
  bool idSet_ = false;
  std::uint32_t userData_ = 0;
  QString text_;
  QString displayText_;
  QString tip_;
  QString accessibleName_;
  QString accessibleDescription_;
  std::optional<int> accessibleRole_;
  std::optional<QColor> focusColor_;
  bool checked_ = false;
  bool focusFromKeyboard_ = false;
  bool hover_ = false;
  bool pressed_ = false;
  bool clickable_ = false;
  bool destroyed_ = false;
  bool eventsMuted_ = false;
  std::optional<LayoutPos> pos_;
  std::optional<int> fixedWidth_;
  std::optional<int> fixedHeight_;
  QMargins margins_;
  std::shared_ptr<const ISkinObj> skin_;
  std::optional<QColor> backgroundColor_;
  std::optional<QColor> textColor_;
  std::array<std::optional<QColor>, 4> stateTextColors_;
  Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignVCenter;
  EventSubscriptions subscriptions_;
};

}  // namespace keyloom::ui
