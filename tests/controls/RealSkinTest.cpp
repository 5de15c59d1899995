#include <QCursor>
#include <QDir>
#include <QTest>
#include <algorithm>
#include <memory>
#include <vector>

#include "ControlsTestSupport.h"
#include "UiTestSupport.h"
#include "controls/CoordButtonImage.h"
#include "controls/SShellNotifyIcon.h"
#include "controls/STabCtrl2.h"
#include "protocol/KeyNameTable.h"
#include "ui/host/SHostDialog.h"
#include "ui/skin/ISkinObj.h"
#include "ui/skin/NamedIdTable.h"

namespace keyloom::controls {

namespace {

constexpr int kTrayIconId = 110;
constexpr int kUsageA = 0x04;
constexpr int kUsageEscape = 0x29;

// Where the renders of the main window go when KEYLOOM_CONTROLS_RENDER_DIR names a folder.
void SaveRender(const QImage& image, const QString& name) {
  const QString folder = qEnvironmentVariable("KEYLOOM_CONTROLS_RENDER_DIR");
  if (!folder.isEmpty()) {
    QVERIFY(image.save(QDir(folder).filePath(name)));
  }
}

}  // namespace

class RealSkinTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    app_ = test::MakeApplication(test::RealSkinFolder());
    host_ = std::make_unique<test::RecordingHost>(QStringLiteral("LAYOUT:XML_MAINWND"));
    QVERIFY(host_->Create());
    host_->show();
    QVERIFY(QTest::qWaitForWindowExposed(host_.get()));
    keyboard_ =
        host_->FindChildByID2<CoordButtonImage>(ui::NamedIdTable::IdOf("img_keyboard").value_or(0));
    QVERIFY(keyboard_ != nullptr);
  }
  void cleanup() {
    host_.reset();
    ui::test::DeleteDestroyedControls();
    app_.reset();
  }

  void theKeyboardPictureHasEveryKeyOfTheKeyNameTable() {
    const std::vector<CoordButton> keys = keyboard_->GetButtons();
    QCOMPARE(keys.size(), protocol::kKeyNameCount);
    std::vector<int> ids;
    const QRect picture(QPoint(0, 0), keyboard_->DesiredSize());
    for (const CoordButton& key : keys) {
      ids.push_back(key.id);
      QVERIFY2(!key.name.isEmpty(), qPrintable(QString::number(key.id)));
      QVERIFY2(picture.contains(key.rect), qPrintable(key.name));
    }
    std::vector<int> usages;
    for (const protocol::KeyNameEntry& entry : protocol::kKeyNameTable) {
      usages.push_back(entry.usage);
    }
    std::sort(ids.begin(), ids.end());
    std::sort(usages.begin(), usages.end());
    QCOMPARE(ids, usages);
    QCOMPARE(keyboard_->size(), keyboard_->DesiredSize());
  }

  void theMainLayoutHasTheTrayIcon() {
    auto* tray = host_->FindChildByID2<SShellNotifyIcon>(kTrayIconId);
    QVERIFY(tray != nullptr);
    QVERIFY(tray->IsIconCreated());
    QCOMPARE(tray->GetMenuKind(), ui::PopupMenu::Kind::kClassic);
    QVERIFY(!tray->GetTip().isEmpty());
  }

  void theKeyAssignmentDialogUsesTheAnimatedTabs() {
    ui::SHostDialog dialog(QStringLiteral("LAYOUT:macro"));
    QVERIFY(dialog.Create(host_.get()));
    auto* tabs = dialog.FindChildByName2<STabCtrl2>(QStringLiteral("tab_macro_mode_selection"));
    QVERIFY(tabs != nullptr);
    QVERIFY(tabs->GetItemCount() > 0);
    QVERIFY(tabs->GetHeaderBackgroundSkin() != nullptr);
    // The offscreen platform gives the mouse to the first window under it.
    host_->hide();
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCursor::setPos(dialog.mapToGlobal(QPoint(-100, -100)));
    QCoreApplication::processEvents();
    const QRect icon(tabs->ItemRect(1).topLeft() + tabs->GetIconOffset(),
                     tabs->GetIconSkin()->NaturalSize());
    const QImage before = test::Render(*tabs);
    // The hovered tab's icon plays its "in" frames.
    QTest::mouseMove(tabs, tabs->ItemRect(1).center());
    for (int tick = 0; tick < 10; ++tick) {
      dialog.GetTimeline().Tick();
    }
    for (const qreal ratio : {1.0, 2.0}) {
      SaveRender(test::Render(dialog, ratio), QStringLiteral("macro_tab_hover_%1x.png").arg(ratio));
    }
    const QImage during = test::Render(*tabs);
    QVERIFY(before.copy(icon) != during.copy(icon));
    dialog.DestroyWindow();
  }

  void hoverAndCheckedKeysShowAtOneAndTwoTimesScale() {
    const auto centreOf = [this](int id) {
      for (const CoordButton& key : keyboard_->GetButtons()) {
        if (key.id == id) {
          return keyboard_->PictureToControl(key.rect).center().toPoint();
        }
      }
      return QPoint();
    };
    QWidget& window = *host_;
    // The main window scales its content: the picture is mapped through the window's view.
    const QPoint inWindow = window.mapFromGlobal(keyboard_->mapToGlobal(centreOf(kUsageA)));
    const QPoint escape = window.mapFromGlobal(keyboard_->mapToGlobal(centreOf(kUsageEscape)));
    QCursor::setPos(window.mapToGlobal(QPoint(5, 700)));
    QCoreApplication::processEvents();
    const QImage plain = test::Render(window);
    QTest::mouseMove(keyboard_, centreOf(kUsageA));
    QCOMPARE(keyboard_->GetToolTipText(), QStringLiteral("A"));
    keyboard_->SetButtonChecked(kUsageEscape, true);
    for (const qreal ratio : {1.0, 2.0}) {
      const QImage shown = test::Render(window, ratio);
      SaveRender(shown, QStringLiteral("main_hover_checked_%1x.png").arg(ratio));
      QVERIFY(test::PixelAt(shown, inWindow.x(), inWindow.y()) !=
              test::PixelAt(plain, inWindow.x(), inWindow.y()));
      QVERIFY(test::PixelAt(shown, escape.x(), escape.y()) !=
              test::PixelAt(plain, escape.x(), escape.y()));
    }
  }

 private:
  std::unique_ptr<ui::SApplication> app_;
  std::unique_ptr<test::RecordingHost> host_;
  CoordButtonImage* keyboard_ = nullptr;
};

}  // namespace keyloom::controls

QTEST_MAIN(keyloom::controls::RealSkinTest)
#include "RealSkinTest.moc"
