#include "app/KeyboardBackupFlow.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>
#include <cstdint>
#include <utility>

#include "app/Language.h"
#include "app/RecordFailure.h"
#include "app/ResponsiveClock.h"
#include "app/RestoreProgressDialog.h"
#include "app/WindowPort.h"
#include "keymap/KeyMapFile.h"
#include "macro_dialog/FileDialogs.h"
#include "protocol/KeyNameTable.h"
#include "protocol/UserTexts.h"
#include "storage/UserFiles.h"
#include "ui/host/SMessageBox.h"

namespace keyloom::app {

namespace {

using connection::RestoreReport;
using connection::RestoreStep;
using Half = protocol::KeySlotTable::Half;

constexpr const char* kBackupPattern = "*.xml";
constexpr const char* kBackupSuffix = "xml";
constexpr const char* kSuggestedName = "keyboard-backup.xml";
// The longest list a summary shows; the rest is "…".
constexpr qsizetype kListedAtMost = 8;

std::optional<QString>& NextFileName() {
  static std::optional<QString> next;
  return next;
}

QString KeyInProfile(std::uint8_t keyCode, int profileIndex) {
  return Translated(KeyboardBackupFlow::kKeyInProfileText)
      .arg(QString::fromStdString(protocol::UsageName(keyCode)))
      .arg(profileIndex + 1);
}

QString Listed(QStringList items) {
  if (items.size() > kListedAtMost) {
    items.resize(kListedAtMost);
    items.append(QStringLiteral("…"));
  }
  return items.join(QStringLiteral(", "));
}

QString UnknownKeys(const std::vector<connection::UnknownKey>& keys) {
  QStringList names;
  for (const connection::UnknownKey& key : keys) {
    names.append(KeyInProfile(key.keyCode, key.profileIndex));
  }
  return Listed(names);
}

int KeyCount(const keymap::ProfileMap& profile) {
  int keys = 0;
  for (const Half half : {Half::kMacro, Half::kRemap}) {
    for (std::size_t slot = 0; slot < protocol::KeySlotTable::kSlotsPerHalf; ++slot) {
      keys += profile.At(half, slot) ? 1 : 0;
    }
  }
  return keys;
}

QString FileText(const std::filesystem::path& file) {
  return QString::fromStdU16String(file.u16string());
}

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Hex4(std::int32_t value) {
  return QStringLiteral("0x%1").arg(static_cast<unsigned>(value), 4, 16, QLatin1Char('0'));
}

}  // namespace

KeyboardBackupFlow::KeyboardBackupFlow(connection::KeyboardConnection& connection,
                                       WindowPort& window)
    : connection_(connection), window_(window) {}

bool KeyboardBackupFlow::OnCommand(const QString& name) {
  if (name == QLatin1String(kBackupItem)) {
    BackUp();
  } else if (name == QLatin1String(kRestoreItem)) {
    RestoreFromFile();
  } else if (name == QLatin1String(kCopyButton)) {
    ShowCopyMenu();
  } else if (name.startsWith(QLatin1String(kCopyItemPrefix))) {
    bool number = false;
    const int profile = name.mid(static_cast<qsizetype>(qstrlen(kCopyItemPrefix))).toInt(&number);
    if (!number || !keymap::IsProfileIndex(profile - 1)) {
      return false;
    }
    CopyProfile(profile - 1);
  } else {
    return false;
  }
  return true;
}

void KeyboardBackupFlow::OnInitMenu(ui::PopupMenu& menu, bool connected) {
  menu.SetEnabled(QLatin1String(kBackupItem), connected);
  menu.SetEnabled(QLatin1String(kRestoreItem), connected);
}

void KeyboardBackupFlow::SetNextFileName(const QString& fileName) {
  NextFileName() = fileName;
}

std::optional<std::filesystem::path> KeyboardBackupFlow::ChooseFile(bool save,
                                                                    const char* caption) {
  const QString start = macro::FileDialogs::StartFolder(lastFolder_);
  QString chosen;
  if (NextFileName()) {
    chosen = *std::exchange(NextFileName(), std::nullopt);
  } else {
    QFileDialog dialog(
        window_.Owner(), Translated(caption), start,
        QStringLiteral("%1 (%2)").arg(Translated(kFileFilterLabel), QLatin1String(kBackupPattern)));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save) {
      dialog.setDefaultSuffix(QLatin1String(kBackupSuffix));
      dialog.selectFile(QLatin1String(kSuggestedName));
    }
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
      chosen = dialog.selectedFiles().front();
    }
  }
  if (chosen.isEmpty()) {
    return std::nullopt;
  }
  lastFolder_ = QFileInfo(chosen).absolutePath();
  return std::filesystem::path(chosen.toStdU16String());
}

void KeyboardBackupFlow::BackUp() {
  const std::optional<std::filesystem::path> file = ChooseFile(true, kBackupCaption);
  if (!file) {
    return;
  }
  // A file that will not be written is refused before the keyboard is read.
  if (const storage::ChosenFileCheck check = storage::CheckChosenFile(*file);
      check.problem != storage::ChosenFileProblem::kNone) {
    const QString text =
        check.problem == storage::ChosenFileProblem::kNotRegularFile
            ? Translated(kBackupNotRegularText).arg(FileText(*file))
        : check.problem == storage::ChosenFileProblem::kReadOnly
            ? Translated(kBackupReadOnlyText).arg(FileText(*file))
            : Translated(kBackupNotWrittenText).arg(FromUtf8(check.result.error()));
    Say(text, kBackupCaption, Outcome::kTrouble);
    return;
  }
  const connection::KeyboardReading reading = connection::ReadKeyboard(connection_);
  if (!reading.whole) {
    Say(Translated(kBackupNotReadText).arg(*reading.unreadProfile + 1), kBackupCaption,
        Outcome::kTrouble);
    return;
  }
  const storage::FileResult written =
      keymap::WriteKeyMapFile(*file, reading.map, connection_.Model());
  if (!written.ok()) {
    Say(Translated(kBackupNotWrittenText).arg(FromUtf8(written.error())), kBackupCaption,
        Outcome::kTrouble);
    return;
  }
  QString text = Translated(kBackedUpText)
                     .arg(FileText(*file))
                     .arg(KeyCount(reading.map.Profile(0)))
                     .arg(KeyCount(reading.map.Profile(1)))
                     .arg(KeyCount(reading.map.Profile(2)));
  const std::vector<connection::UnknownKey> unknown =
      connection::KeysOfUnknownContent(reading.map, {true, true, true});
  if (!unknown.empty()) {
    text += QStringLiteral("\n\n") + Translated(kBackupUnknownText).arg(UnknownKeys(unknown));
  }
  Say(text, kBackupCaption, TroubleIf(!unknown.empty()));
}

void KeyboardBackupFlow::RestoreFromFile() {
  const std::optional<std::filesystem::path> file = ChooseFile(false, kRestoreCaption);
  if (!file) {
    return;
  }
  keymap::KeyMapDocument backup;
  const storage::LoadResult loaded = keymap::ReadKeyMapFile(*file, backup);
  if (loaded.status == storage::LoadResult::Status::kMissing) {
    Say(Translated(kNoFileText).arg(FileText(*file)), kRestoreCaption, Outcome::kTrouble);
    return;
  }
  if (!loaded.ok()) {
    Say(Translated(kRefusedFileText).arg(FromUtf8(loaded.error)), kRestoreCaption,
        Outcome::kTrouble);
    return;
  }
  const connection::BackupGoal restoring = connection::GoalOfBackup(backup, connection_.Model());
  if (restoring.refusal) {
    Say(Translated(kOtherModelText)
            .arg(FileText(*file), Hex4(backup.model->vendorId), Hex4(backup.model->productId)),
        kRestoreCaption, Outcome::kTrouble);
    return;
  }
  if (ui::SMessageBox::Show(window_.Owner(), Translated(kRestoreQuestionText).arg(FileText(*file)),
                            QLatin1String(kRestoreCaption), ui::MessageBoxButtons::kOkCancel,
                            ui::MessageBoxIcon::kWarning,
                            {QLatin1String(kRestoreButtonText)}) != ui::SMessageBox::kIdOk) {
    return;
  }
  std::size_t made = 0;
  std::size_t total = 0;
  const RestoreReport report = RunRestore(restoring.goal, kRestoreCaption, made, total);
  QString text =
      Summary(report, Translated(kRestoredText).arg(report.sent).arg(report.skipped), made, total);
  const std::vector<connection::UnknownKey> unknown =
      connection::KeysOfUnknownContent(restoring.goal.map, restoring.goal.profiles);
  if (!unknown.empty() && report.outcome != RestoreReport::Outcome::kNotRead) {
    text += QStringLiteral("\n\n") + Translated(kNotRestoredUnknownText).arg(UnknownKeys(unknown));
  }
  Say(text, kRestoreCaption,
      TroubleIf(report.outcome != RestoreReport::Outcome::kDone || !unknown.empty()));
}

void KeyboardBackupFlow::ShowCopyMenu() {
  const std::optional<ui::PopupMenu> menu = CopyMenu(window_.ShownProfile());
  if (menu) {
    window_.ShowMenuUnder(QLatin1String(kCopyButton), *menu);
  }
}

std::optional<ui::PopupMenu> KeyboardBackupFlow::CopyMenu(int shownProfile) {
  std::optional<ui::PopupMenu> menu = ui::PopupMenu::Load(QLatin1String(kCopyMenu));
  if (menu) {
    menu->RemoveItem(kFirstCopyCommand + shownProfile);
  }
  return menu;
}

void KeyboardBackupFlow::CopyProfile(int to) {
  const int from = window_.ShownProfile();
  if (!keymap::IsProfileIndex(from) || from == to) {
    return;
  }
  if (ui::SMessageBox::Show(
          window_.Owner(), Translated(kCopyQuestionText).arg(from + 1).arg(to + 1),
          QLatin1String(kCopyCaption), ui::MessageBoxButtons::kOkCancel,
          ui::MessageBoxIcon::kWarning, {QLatin1String(kCopyCaption)}) != ui::SMessageBox::kIdOk) {
    return;
  }
  const protocol::SlotRead read = connection_.SelectProfile(from);
  if (!read.whole) {
    ShowKeyboard();
    Say(Translated(kNotReadText).arg(from + 1), kCopyCaption, Outcome::kTrouble);
    return;
  }
  keymap::KeyMap source;
  source.SetProfile(from, connection_.KeyMap().Holding(from, read.slots));
  std::array<bool, keymap::kProfileCount> sourceProfile{};
  sourceProfile[static_cast<std::size_t>(from)] = true;
  const std::vector<connection::UnknownKey> unknown =
      connection::KeysOfUnknownContent(source, sourceProfile);

  std::size_t made = 0;
  std::size_t total = 0;
  const RestoreReport report =
      RunRestore(connection::CopyProfileGoal(source.Profile(from), to), kCopyCaption, made, total);
  QString text = Summary(
      report,
      Translated(kCopiedText).arg(to + 1).arg(from + 1).arg(report.sent).arg(report.skipped), made,
      total);
  if (!unknown.empty() && report.outcome != RestoreReport::Outcome::kNotRead) {
    text += QStringLiteral("\n\n") + Translated(kNotCopiedUnknownText).arg(UnknownKeys(unknown));
  }
  Say(text, kCopyCaption,
      TroubleIf(report.outcome != RestoreReport::Outcome::kDone || !unknown.empty()));
}

RestoreReport KeyboardBackupFlow::RunRestore(const connection::RestoreGoal& goal,
                                             const char* caption, std::size_t& made,
                                             std::size_t& total) {
  RestoreReport report;
  {
    // One busy stretch for every step: nothing put off runs between two of them.
    const ResponsiveClock::Hold busy(window_.SequenceClock());
    RestoreProgressDialog progress(window_.Owner(), Translated(caption),
                                   [this](const RestoreStep& step) { return StepText(step); });
    const connection::RestoreProgressCallback shown = progress.Callback();
    report = connection::Restore(connection_, goal,
                                 [&shown, &made, &total](const connection::RestoreProgress& step) {
                                   made = step.index;
                                   total = step.total;
                                   return shown(step);
                                 });
  }
  recordFailure_ = connection_.LastRecordFailure();
  ShowKeyboard();
  return report;
}

void KeyboardBackupFlow::ShowKeyboard() {
  const keymap::KeyMap& known = connection_.KeyMap();
  connection_.TakeLightingFromKeyMap();
  window_.ShowLighting(known.LedMode());
  const int shown = window_.ShownProfile();
  const int profile = known.SelectedProfile().value_or(shown);
  if (shown != profile) {
    window_.ShowProfile(profile);
    return;
  }
  connection_.SelectProfile(profile);
}

QString KeyboardBackupFlow::Summary(const RestoreReport& report, const QString& done,
                                    std::size_t made, std::size_t total) const {
  if (recordFailure_) {
    return RecordFailureText(*recordFailure_);
  }
  QString text;
  switch (report.outcome) {
    case RestoreReport::Outcome::kNotRecorded:
      // recordFailure_ said why above.
      break;
    case RestoreReport::Outcome::kDone:
      text = done;
      break;
    case RestoreReport::Outcome::kNotRead:
      return Translated(kNotReadText).arg(report.unreadProfile.value_or(0) + 1);
    case RestoreReport::Outcome::kCancelled:
      return Translated(kCancelledText).arg(made).arg(total);
    case RestoreReport::Outcome::kNotChecked:
      return Translated(kUnreadAfterText).arg(report.unreadProfile.value_or(0) + 1);
    case RestoreReport::Outcome::kNotMatched: {
      QStringList missing;
      for (const connection::RestoreMismatch& mismatch : report.mismatches) {
        missing.append(KeyInProfile(mismatch.wanted != 0 ? mismatch.wanted : mismatch.found,
                                    mismatch.profileIndex));
      }
      for (const RestoreStep& step : report.notDone) {
        if (step.kind == RestoreStep::Kind::kLighting) {
          missing.append(Translated(kLightingOfText).arg(LedModeName(step.ledMode)));
        }
      }
      text = Translated(kNotArrivedText).arg(Listed(missing));
      break;
    }
  }
  if (report.unreadProfile) {
    text += QLatin1Char(' ') + Translated(kUnreadAfterText).arg(*report.unreadProfile + 1);
  }
  return text;
}

QString KeyboardBackupFlow::LedModeName(int ledMode) const {
  return window_.LedModeName(ledMode);
}

QString KeyboardBackupFlow::StepText(const RestoreStep& step) const {
  switch (step.kind) {
    case RestoreStep::Kind::kAssign:
      return Translated(kStepKeyText)
          .arg(step.profileIndex + 1)
          .arg(QString::fromStdString(protocol::UsageName(step.keyCode)));
    case RestoreStep::Kind::kRemove:
      return Translated(kStepFreeText)
          .arg(step.profileIndex + 1)
          .arg(QString::fromStdString(protocol::UsageName(step.keyCode)));
    case RestoreStep::Kind::kLighting:
      break;
  }
  return Translated(kStepLightingText).arg(LedModeName(step.ledMode));
}

void KeyboardBackupFlow::Say(const QString& text, const char* caption, Outcome outcome) {
  ui::SMessageBox::Show(window_.Owner(), text, QLatin1String(caption), ui::MessageBoxButtons::kOk,
                        outcome == Outcome::kTrouble ? ui::MessageBoxIcon::kWarning
                                                     : ui::MessageBoxIcon::kInformation);
}

}  // namespace keyloom::app
