// Injects keystrokes as another program would, for the Wine tests of the key assignment dialog's
// recorder (tools/test-windows-gui.sh): presses and releases each virtual key in turn with
// SendInput, a short pause after each event.
//
//   send_keys VK...     each VK a virtual-key code, decimal or 0x-hexadecimal, 1 to 254
//
// Ends with 0 once the system took every event, 1 when it refused one, 2 on a bad argument.

#include <cstdio>
#include <cstdlib>

#include <windows.h>

namespace {

constexpr int kDone = 0;
constexpr int kRefused = 1;
constexpr int kBadArguments = 2;

// Apart enough that the recorder sees the keys in their order with delays of their own.
constexpr DWORD kPauseMs = 50;

bool Send(WORD virtualKey, DWORD flags) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.dwFlags = flags;
  const bool taken = SendInput(1, &input, sizeof input) == 1;
  Sleep(kPauseMs);
  return taken;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: send_keys VK...\n", stderr);
    return kBadArguments;
  }
  for (int i = 1; i < argc; ++i) {
    char* end = nullptr;
    const unsigned long key = std::strtoul(argv[i], &end, 0);
    if (end == argv[i] || *end != '\0' || key == 0 || key > 0xFE) {
      std::fprintf(stderr, "send_keys: '%s' is no virtual-key code\n", argv[i]);
      return kBadArguments;
    }
    if (!Send(static_cast<WORD>(key), 0) || !Send(static_cast<WORD>(key), KEYEVENTF_KEYUP)) {
      std::fprintf(stderr, "send_keys: the system refused the key %s\n", argv[i]);
      return kRefused;
    }
  }
  return kDone;
}
