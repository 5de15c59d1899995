#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <memory>
#include <vector>

#include "ui/events/EventArgs.h"
#include "ui/host/SApplication.h"
#include "ui/host/SHostWnd.h"

class QWidget;

namespace keyloom::controls::test {

// The fixture skin (tests/data/controls/uires) and the program's own skin (skin/uires).
QString FixtureSkinFolder();
QString RealSkinFolder();

// An application over `folder` with the program's controls registered.
std::unique_ptr<ui::SApplication> MakeApplication(const QString& folder = FixtureSkinFolder());

// A key coordinate file of tests/data/controls/keys, as a "crdxml" value (relative to the
// program's folder) and as an absolute path.
QString KeysSetting(const QString& file);
QString KeysPath(const QString& file);

// `widget` painted into an image of its size times `ratio` (device pixel ratio `ratio`).
QImage Render(QWidget& widget, qreal ratio = 1.0);
// The colour at logical point (x, y) of an image rendered by Render, without alpha.
QColor PixelAt(const QImage& image, int x, int y);

// A host window over a fixture layout that records the events and commands that reach it.
class RecordingHost : public ui::SHostWnd {
 public:
  explicit RecordingHost(const QString& layout) : SHostWnd(layout) {}

  void OnEvent(ui::EventArgs& args) override {
    events.push_back(args.eventId);
    eventSenders.push_back(args.senderName);
  }
  void OnCommand(int notifyCode, int id) override { commands.emplace_back(notifyCode, id); }

  std::vector<int> events;
  std::vector<QString> eventSenders;
  std::vector<std::pair<int, int>> commands;
};

}  // namespace keyloom::controls::test
