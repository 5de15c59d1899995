#pragma once

#include <QString>
#include <cstdint>

namespace keyloom::controls {

// Receives the presses and releases on the keys of a keyboard picture (CoordButtonImage).
class ICoordButtonClickListener {
 public:
  // The `event` of OnCoordButtonClick.
  static constexpr int kEventPress = 0;
  static constexpr int kEventRelease = 1;

  virtual ~ICoordButtonClickListener() = default;

  // A press (kEventPress) or a release (kEventRelease) of the left button on the key `id`
  // named `name`. `flags` are the mouse message's key-state bits (MouseKeyFlags.h: kMk...);
  // x, y the mouse position in the control's client coordinates. True means the listener has
  // dealt with it: a press then leaves the control's own selection alone.
  virtual bool OnCoordButtonClick(int id, const QString& name, int event, std::uint32_t flags,
                                  int x, int y) = 0;
};

}  // namespace keyloom::controls
