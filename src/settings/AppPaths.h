#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace keyloom::settings {

// The configuration file's name; its presence marks a folder that holds the program's data.
inline constexpr std::string_view kConfigFileName = "config.xml";

// The name of the program's folder in the installed data folder and in the per-user folder.
inline constexpr std::string_view kProgramFolderName = "keyloom";

// Answers the value of the environment variable of that name, or an empty path when it is unset
// or empty.
using EnvironmentLookup = std::function<std::filesystem::path(std::string_view name)>;

// A path from UTF-8 text, on every platform (a plain narrow string would be read in the
// Windows code page there).
[[nodiscard]] std::filesystem::path PathFromUtf8(std::string_view text);

// The folder of the running executable; empty when the system cannot tell.
[[nodiscard]] std::filesystem::path ExecutableDir();

// The read-only data ("config.xml", "uires"): the executable's folder when it holds
// "config.xml", else the installed data folder (<prefix>/share/keyloom). Decided once per process.
[[nodiscard]] std::filesystem::path DataDir();

// Where the program keeps what the user makes ("macro.xml", "store.xml", the simulated
// keyboard's state): the executable's folder when it holds "config.xml" and this user may write
// to it (a portable copy or a build tree), otherwise the per-user folder ($XDG_CONFIG_HOME/keyloom,
// by default ~/.config/keyloom; %APPDATA%\keyloom on Windows). The choice is made once per process
// so that every file of one run goes to the same place. Each call creates the per-user folder
// (with its parents) when it is missing; the path comes back even when that fails, and the
// writer reports the error. Empty only when the system names no per-user folder at all.
[[nodiscard]] std::filesystem::path UserDataDir();

// The per-user folder of the program for this process: PerUserDataDirFor the process's
// environment; on Linux, when HOME is unset or not absolute, the home folder of the user's
// account.
[[nodiscard]] std::filesystem::path PerUserDataDir();

// The rules behind DataDir and UserDataDir, with the machine's facts passed in.

// exeDir when it holds a regular file "config.xml", else installedDataDir.
[[nodiscard]] std::filesystem::path DataDirFor(const std::filesystem::path& exeDir,
                                               const std::filesystem::path& installedDataDir);

// exeDir when it holds a regular file "config.xml" and IsWritableFolder(exeDir), else
// perUserDir. Creates nothing.
[[nodiscard]] std::filesystem::path UserDataDirFor(const std::filesystem::path& exeDir,
                                                   const std::filesystem::path& perUserDir);

// The per-user folder of the program as this platform names it from the environment, or an
// empty path when the environment names none. Linux: $XDG_CONFIG_HOME/keyloom when that
// variable holds an absolute path, else $HOME/.config/keyloom when HOME is absolute. Windows:
// %APPDATA%\keyloom when APPDATA is absolute.
[[nodiscard]] std::filesystem::path PerUserDataDirFor(const EnvironmentLookup& environment);

// True when the folder exists and this process may create files in it. On a read-only file
// system the answer is false even for an administrator.
[[nodiscard]] bool IsWritableFolder(const std::filesystem::path& folder);

}  // namespace keyloom::settings
