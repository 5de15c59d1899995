#pragma once

#include <cstdint>
#include <string>

#include "macro/AssignmentStore.h"
#include "macro/IKeyboardHookListener.h"
#include "macro/MacroEventList.h"
#include "protocol/Clock.h"
#include "storage/FileResult.h"

namespace keyloom::macro {

// The key assignment dialog's keystroke capture, as the keyboard hook's listener:
// - on the macro page, while recording is on, every key press and release of a key in the key
//   name table becomes a new event of the shown group, and the event before it gets the time
//   since the last capture as its delay (or the store's fixed delay, or none, by "dlymode");
// - on the single-key page the last key pressed is the key to assign (and the store's "sgcode",
//   in memory only).
// Captured keystrokes are swallowed so that no other program sees them. Time comes from the
// clock's NowMs.
class MacroRecorder : public IKeyboardHookListener {
 public:
  static constexpr int kMacroPage = 0;
  static constexpr int kSingleKeyPage = 1;

  MacroRecorder(AssignmentStore& store, MacroEventList& events, const protocol::Clock& clock);

  // The dialog's page (0-3) and its "record" box.
  void SetPage(int page) { page_ = page; }
  [[nodiscard]] int page() const { return page_; }
  void SetRecording(bool recording) { recording_ = recording; }
  [[nodiscard]] bool recording() const { return recording_; }

  // Forgets the last capture, as when the dialog opens: the first delay measured afterwards is
  // the clock's reading plus 1.
  void ResetCaptureTime() { lastCaptureMs_ = -1; }

  // Shows the store's "sgcode" as the single key's name, as the dialog does when it opens; the
  // captured usage stays 0 until a key is pressed on the single-key page.
  void ShowStoredSingleKey();

  bool OnKeyboardEvent(int& hookCode, std::uint32_t& message, KeyboardEventRecord& record) override;

  // The single key: its usage (0 until a key of the table is pressed) and the name shown.
  [[nodiscard]] std::uint8_t singleKeyUsage() const { return singleKeyUsage_; }
  [[nodiscard]] const std::string& singleKeyName() const { return singleKeyName_; }

  // How the save after the last recorded event went.
  [[nodiscard]] const storage::FileResult& lastSave() const { return lastSave_; }

 private:
  bool OnMacroPage(std::uint32_t message, const KeyboardEventRecord& record);
  bool OnSingleKeyPage(std::uint32_t message, const KeyboardEventRecord& record);

  AssignmentStore& store_;
  MacroEventList& events_;
  const protocol::Clock& clock_;
  int page_ = kMacroPage;
  bool recording_ = false;
  std::int64_t lastCaptureMs_ = -1;
  std::uint8_t singleKeyUsage_ = 0;
  std::string singleKeyName_;
  storage::FileResult lastSave_;
};

}  // namespace keyloom::macro
