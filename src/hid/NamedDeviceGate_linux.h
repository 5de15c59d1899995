#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "hid/DeviceGate.h"

namespace keyloom::hid {

// The Linux gate: the lock file "<lockFolder>/<name>.lock", shared by every process of every
// local user that uses the same folder. The file is created readable and writable for everyone
// and kept open for the life of the gate; passing takes an exclusive flock and drops it at once,
// the first Enter takes it and the last Leave drops it. Two gates of one name in one process
// exclude each other like two processes.
// MakeNamedDeviceGate(name) uses /run/lock, or /tmp where /run/lock does not exist.
std::unique_ptr<DeviceGate> MakeNamedDeviceGate(const std::string& name,
                                                const std::filesystem::path& lockFolder);

}  // namespace keyloom::hid
