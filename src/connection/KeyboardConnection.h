#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "hid/DeviceGate.h"
#include "hid/DeviceSelector.h"
#include "hid/DiagnosticTrace.h"
#include "hid/HidBackend.h"
#include "hid/HidDevice.h"
#include "keymap/KeyContent.h"
#include "keymap/KeyMap.h"
#include "keymap/KeyMapFile.h"
#include "protocol/Clock.h"
#include "protocol/KeyboardProtocol.h"
#include "protocol/KeyboardState.h"
#include "protocol/LightingRecord.h"
#include "protocol/LightingTable.h"
#include "protocol/Link.h"
#include "protocol/SelectedKeys.h"
#include "protocol/SteadyClock.h"
#include "protocol/TracingClock.h"
#include "protocol/TracingTransport.h"
#include "protocol/TransferTrace.h"
#include "sim/SimulatedHidBackend.h"
#include "sim/SimulatedKeyboard.h"
#include "sim/TransferFailurePlan.h"
#include "storage/OpenReport.h"

namespace keyloom::connection {

// The keyboard as a program talks to it: the real one or the simulated one behind one
// HidDevice, the device gate, the clock of the pauses and, when traced, the transfer trace. It
// is the one place where command sequences run. Each sequence holds the device gate from its
// first transfer to its last, so that another program's sequence (the window's, or another
// keyloomctl's) cannot run in between and act on a profile or slot table that this one is
// using. It opens nothing by itself.
//
// It also keeps the key map (keymap::KeyMapFile) for both programs: every sequence records what
// the keyboard confirmed, while it still holds the gate, so that the map's changes come in the
// order of the keyboard's. Before its first frame, a sequence that changes the keyboard saves
// what it is about to send as unfinished (keymap::KeyMap::Begin), and sends nothing when the
// file cannot take it; so a program killed halfway leaves the keys and lighting it touched
// unknown, never as they were. Every whole slot read reconciles the profile's entries; an
// assignment is recorded with its content only when the slot read after it shows the key where
// it went and every frame arrived; a change that may have arrived in part stays unfinished; a
// lighting record is recorded when its frame arrived; a factory restore forgets every
// assignment and brings back the default lighting.
//
// It owns this program's view of the keyboard (State()): the profile last selected, its slot
// table as last read and the lighting of every mode as last set, and tells its listeners after
// every sequence which of them the sequence set. Whoever shows the keyboard (the main window)
// listens and shows what it is told; it keeps no view of its own.
class KeyboardConnection {
 public:
  // How long a wait for the device gate lasts before it is told (Settings::gateWaitNotice).
  static constexpr std::chrono::seconds kLongGateWait{1};

  // The parts of State() that a sequence set (their values may be what they were).
  struct StateChange {
    bool profile = false;
    bool slots = false;
    bool lighting = false;
    // The key map's file could not take the sequence's change (LastRecordFailure).
    bool notRecorded = false;
  };
  using StateListener = std::function<void(const StateChange&)>;

  // A listener's place among the connection's listeners: destroying it (or Reset) takes the
  // listener out. It must not outlive the connection.
  class Subscription {
   public:
    Subscription() = default;
    Subscription(KeyboardConnection& connection, std::uint64_t id)
        : connection_(&connection), id_(id) {}
    ~Subscription() { Reset(); }
    Subscription(Subscription&& other) noexcept
        : connection_(std::exchange(other.connection_, nullptr)), id_(other.id_) {}
    Subscription& operator=(Subscription&& other) noexcept;
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;

    void Reset();

   private:
    KeyboardConnection* connection_ = nullptr;
    std::uint64_t id_ = 0;
  };

  struct Settings {
    // The simulated keyboard instead of the machine's HID interfaces.
    bool simulate = false;
    // The user's data folder: the key map's file (keymap::KeyMapFileName of the selector's
    // model) and, with `simulate`, the simulated keyboard's state file. Empty keeps both in
    // memory.
    std::filesystem::path dataDir;
    // Transfers of the simulated keyboard that fail on purpose.
    sim::TransferFailurePlan simulatedFailures;
    // The keyboard to open, from the configuration; the simulated keyboard takes its identity.
    hid::DeviceSelector selector;
    // Receives every transfer and pause; empty: no trace.
    protocol::TransferTraceSink transferTrace;
    // Receives the diagnostic lines of discovery and of the transport.
    hid::DiagnosticTrace diagnostics;
    // Told once a sequence has waited kLongGateWait for another program that holds the device
    // gate, with what it waits for; empty: not told.
    hid::DeviceGate::WaitNotice gateWaitNotice;
    // The clock of the pauses between frames (not owned); null: the steady clock, which sleeps.
    protocol::Clock* clock = nullptr;
    // Where the keyboard is looked for without `simulate` (not owned); null: the machine's HID
    // interfaces.
    hid::HidBackend* backend = nullptr;
  };

  explicit KeyboardConnection(Settings settings);
  ~KeyboardConnection();

  KeyboardConnection(const KeyboardConnection&) = delete;
  KeyboardConnection& operator=(const KeyboardConnection&) = delete;

  [[nodiscard]] const hid::HidDevice& Device() const { return *device_; }
  [[nodiscard]] const hid::DeviceSelector& Selector() const { return selector_; }
  [[nodiscard]] const hid::DiagnosticTrace& Diagnostics() const { return diagnostics_; }
  // Where the keyboard is looked for: the simulated keyboard's backend or the machine's.
  [[nodiscard]] hid::HidBackend& Backend() { return *backend_; }
  // The transport (through the trace when there is one) and the clock of the sequences.
  [[nodiscard]] protocol::Link& Link() { return *link_; }

  // Whether an interface of the keyboard is present now; opens nothing.
  [[nodiscard]] bool IsKeyboardPresent();
  // Opens the keyboard's interface (HidDevice::Open with the configured selector); never with a
  // selector whose vendor or product id matches any of the machine's HID interfaces.
  bool Open();
  // Lets go of the keyboard's interface.
  void Close();

  // The keyboard as this program last selected, read and set it. It starts as the key map
  // knows the keyboard: on the profile it saw selected last (else the first) and with the
  // lighting last sent (else every mode's default), without a slot table.
  [[nodiscard]] const protocol::KeyboardState& State() const { return state_; }
  // `listener` is told after every sequence that set a part of State(), once the sequence is
  // over; it may run sequences itself.
  [[nodiscard]] Subscription Subscribe(StateListener listener);

  // Every sequence below that changes the keyboard sends nothing when the key map's file cannot
  // record its change first: the outcome is kNotRecorded, a slot read that is not whole, or no
  // transfers, and LastRecordFailure says why.

  // Selects profile `profileIndex` and reads its slots (profile and slots).
  protocol::SlotRead SelectProfile(int profileIndex);
  // Reads the slots of the active profile (slots); the key map takes them for the profile it
  // last saw selected.
  protocol::SlotRead ReadSlots();
  // Makes `record` the one of `ledMode` and sends it (lighting); a mode outside 0-9 sends and
  // sets nothing.
  protocol::Transfers SendLighting(int ledMode, const protocol::LightingRecord& record);
  // The lighting becomes every mode's record as the key map knows it was sent (the default
  // where it knows none), sending nothing (lighting): what the keyboard is known to show after
  // another program's changes, or after sends that did not arrive.
  void TakeLightingFromKeyMap();
  // Selects profile `profileIndex`, reads its slots, and gives the keys `content` from
  // that fresh table (its record, see protocol::ApplyKeyAssignment), all inside one hold of the
  // gate: the extra select and read are the price of never overwriting what another program
  // assigned since this one last read the table. Content whose record names nothing (kUnknown,
  // a macro that plays never) sends nothing: kNothingToAssign. The key map takes each key as the
  // result places it: a key the keyboard confirmed (kDone) gets `content` in its slot; any other
  // key whose change was sent loses what the map knew of the slot it was sent to, or, for a
  // remap into a profile other than the one read, of that profile's whole remap half.
  // Profile and slots, unless nothing was sent.
  protocol::AssignmentResult Assign(int profileIndex, int profileEntry,
                                    const keymap::KeyContent& content,
                                    const protocol::SelectedKeys& keys);
  // The same for removing the keys' assignments (see protocol::DeleteKeyAssignment); a removal
  // the final read does not confirm loses what the map knew of its slot.
  protocol::AssignmentResult Delete(int profileIndex, int profileEntry,
                                    const protocol::SelectedKeys& keys);
  // Restores the factory settings (see protocol::RestoreFactory): profile, slots and lighting.
  // State() is reset (the first profile, the default lighting) before `afterReset` runs.
  protocol::RestoreResult RestoreFactory(const std::function<void()>& afterReset);

  // Puts `content` on `keyCode` in slot `slot` of `half` of profile `profileIndex`, or
  // frees that slot when `content` is empty, without the slot search (see
  // protocol::PlaceKeyAssignment and protocol::ClearKeySlot): the profile is selected and its
  // slots read first, inside the same hold. When the read is whole and the slot already holds
  // the key with the same record as far as the key map knows (or is free already), nothing is
  // sent (the outcome is kDone); the key map then takes the content's names.
  struct SlotPlacement {
    protocol::AssignmentResult result;
    // Whether the change was sent: false when the slot held it already, or nothing could be
    // sent.
    bool sent = false;
  };
  // Profile and slots.
  SlotPlacement PlaceInSlot(int profileIndex, protocol::KeySlotTable::Half half, std::size_t slot,
                            std::uint8_t keyCode, const std::optional<keymap::KeyContent>& content);

  // The key map as this program last read or changed it.
  [[nodiscard]] const keymap::KeyMap& KeyMap() const { return keyMap_.Map(); }
  [[nodiscard]] const keymap::KeyboardModel& Model() const { return model_; }
  // Reads the key map's file again (another program may have changed it).
  void RefreshKeyMap();
  // Why the key map's file could not be read or saved the last time, if it could not: a file
  // that could not be read (moved aside, the map started empty, or left where it is), or what a
  // slot read showed that could not be saved (the file is then behind, which the next read mends).
  [[nodiscard]] const std::optional<std::string>& KeyMapProblem() const { return keyMapProblem_; }
  // The last time this connection moved the key map's file aside because it could not be read
  // (the map started empty then): where it lies and why. Kept for the connection's life, whatever
  // was saved since.
  [[nodiscard]] const std::optional<storage::OpenReport>& KeyMapKeptAside() const {
    return keyMapKeptAside_;
  }

  // Why the key map's file could not record the last sequence's change.
  struct RecordFailure {
    // Before the first frame, so that nothing was sent; otherwise after the keyboard's answer,
    // so that the file still holds the change as unfinished.
    bool nothingSent = false;
    // A sentence that names the file and the reason.
    std::string reason;

    friend bool operator==(const RecordFailure&, const RecordFailure&) = default;
  };
  // Set by the last sequence that changed the keyboard, or was to, when its change could not be
  // recorded; none when it was.
  [[nodiscard]] const std::optional<RecordFailure>& LastRecordFailure() const {
    return recordFailure_;
  }

  // The simulated keyboard; null without `simulate`.
  [[nodiscard]] sim::SimulatedKeyboard* Simulator() { return simKeyboard_.get(); }
  // Why the simulated keyboard could not keep its state in its file the last time, if it could
  // not: its changes since then did not stick.
  [[nodiscard]] std::optional<std::string> SimulatorProblem() const;
  // Where the simulated keyboard's state file was moved because it could not be read (the
  // keyboard started from its factory state instead), if it was.
  [[nodiscard]] std::optional<std::filesystem::path> SimulatorStateKeptAside() const;

 private:
  hid::DeviceSelector selector_;
  hid::DiagnosticTrace diagnostics_;
  std::unique_ptr<sim::SimulatedKeyboard> simKeyboard_;
  std::unique_ptr<sim::SimulatedHidBackend> simBackend_;
  hid::HidBackend* backend_ = nullptr;
  std::unique_ptr<hid::DeviceGate> gate_;
  std::unique_ptr<hid::HidDevice> device_;
  protocol::SteadyClock steadyClock_;
  std::unique_ptr<protocol::TracingTransport> tracingTransport_;
  std::unique_ptr<protocol::TracingClock> tracingClock_;
  std::unique_ptr<protocol::Link> link_;
  keymap::KeyboardModel model_;
  keymap::KeyMapFile keyMap_;
  std::optional<std::string> keyMapProblem_;
  std::optional<RecordFailure> recordFailure_;
  std::optional<storage::OpenReport> keyMapKeptAside_;
  protocol::KeyboardState state_;
  std::map<std::uint64_t, StateListener> listeners_;
  std::uint64_t nextListener_ = 1;

  // PlaceInSlot while the gate is held.
  SlotPlacement PlaceInSlotHeld(int profileIndex, protocol::KeySlotTable::Half half,
                                std::size_t slot, std::uint8_t keyCode,
                                const std::optional<keymap::KeyContent>& content);
  // Tells every listener of `change`.
  void Announce(StateChange change);

  // Changes the key map and its file; called while the gate is held.
  void UpdateKeyMap(const std::function<void(keymap::KeyMap&)>& change);
  // Records `change` as unfinished before its first frame; false, with the failure kept, when
  // the file could not take it. Called while the gate is held.
  bool BeginChange(const keymap::PendingChange& change);
  // The key map takes how the change ended; a file that cannot take it is a failure after
  // sending. Called while the gate is held.
  void EndChange(const std::function<void(keymap::KeyMap&)>& change);
  // Assign (with `content`) and Delete (without).
  protocol::AssignmentResult ChangeKeys(int profileIndex, int profileEntry,
                                        const std::optional<keymap::KeyContent>& content,
                                        const protocol::SelectedKeys& keys);
};

// A connection as MakeConnection made it, or why it could not.
struct MadeConnection {
  std::unique_ptr<KeyboardConnection> connection;
  // Why the failure plan of sim::kSimulateFailVariable is not understood, as
  // "KEYLOOM_SIMULATE_FAIL: <why>"; `connection` is null then.
  std::string problem;
};

// The connection of `settings` for either program. With `simulate`, the transfers that the
// environment's sim::kSimulateFailVariable names fail (replacing `simulatedFailures`); where
// the trace and the diagnostic lines go, and how a problem is told, is the caller's part.
[[nodiscard]] MadeConnection MakeConnection(KeyboardConnection::Settings settings);

}  // namespace keyloom::connection
