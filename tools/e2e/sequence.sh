# shellcheck shell=dash
# The keyloomctl commands that the end-to-end test runs, once on the host against the simulated
# keyboard (--simulate) to learn what to expect, and once in the guest against the same simulated
# keyboard behind uhid, hidraw and the real kernel. The caller defines `step NAME ARGS...`, which
# runs keyloomctl ARGS with --trace and keeps its output, trace, status and the keyboard's state
# under NAME. Every command of the command set is here: the profile select, the slot read,
# lighting, remaps, the 28-frame record downloads and the factory restore; then the whole
# keyboard is backed up, reset and restored, twice.
run_sequence() {
  step 01-profile profile 2
  step 02-slots slots
  step 03-light-colour light 3 --brightness 2 --colour 5
  step 04-light-areas light 8 --areas 0,1,2,none,4,5
  step 05-light-speed light 6 --speed 1 --direction right
  step 06-remap remap A B --profile 2
  step 07-remap-modifier remap "Ctrl Left" 0x29 --profile 2
  step 08-clear-remap clear A --profile 2
  step 09-import macros import e2e.mcr
  step 10-assign-macro assign C --macro E2E --repeat 2 --profile 2
  step 11-assign-chord assign D --chord Copy --profile 3
  step 12-assign-media assign E --media Mute --profile 1
  step 13-slots-json --json slots --profile 2
  step 14-clear-macro clear C --profile 2
  step 15-assign-again assign C --macro Short --profile 2
  step 16-slots-before --json slots --profile 2
  step 17-backup backup keyboard.xml
  step 18-factory-reset factory-reset --yes
  step 19-slots-after-reset --json slots
  step 20-restore restore keyboard.xml
  step 21-restore-again restore keyboard.xml
  step 22-slots-after-restore --json slots --profile 2
  step 23-profile-1 profile 1
}
