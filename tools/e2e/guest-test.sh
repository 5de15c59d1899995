# shellcheck shell=dash
# The end-to-end test in the guest (see run-qemu-e2e.sh), run from /e2e/work. It starts the
# simulated keyboard behind uhid, checks discovery, runs the command sequence and compares every
# step with what the host saw with --simulate, then pulls the keyboard out during a record
# download and plugs it in again, and cuts a reply short. Ends with the line "KEYLOOM-E2E: PASS"
# or "KEYLOOM-E2E: FAIL".
E2E=/e2e
CTL="$E2E/bin/keyloomctl"
ADAPTER_BIN="$E2E/bin/keyloom_uhid_keyboard"
OUT=/e2e/out
EXPECTED=/e2e/expected
STATE=data/simulated-keyboard.xml
# The longest a command may take; a hang is a failure, not a stuck test.
LIMIT=60
mkdir -p "$OUT" data

checks=0
failures=0
pass() { checks=$((checks + 1)); echo "e2e: ok $1"; }
fail() { checks=$((checks + 1)); failures=$((failures + 1)); echo "e2e: FAIL $1"; }
check() {
  name=$1
  shift
  if "$@"; then pass "$name"; else fail "$name"; fi
}
# count PATTERN FILE: the number of lines of FILE that match.
count() { grep -c -- "$1" "$2"; }
show() { echo "---- $1"; sed 's/^/  | /' "$1"; }

ctl() { timeout "$LIMIT" "$CTL" --config config.xml --data-dir data "$@"; }

step() {
  name=$1
  shift
  ctl --trace "$@" > "$OUT/$name.out" 2> "$OUT/$name.trace"
  echo $? > "$OUT/$name.status"
  cp "$STATE" "$OUT/$name.state"
}

# Waits up to 10 s for the keyboard's hidraw node.
wait_for_hidraw() {
  for _ in $(seq 100); do
    for node in /sys/class/hidraw/hidraw*; do
      [ -e "$node" ] && [ -e "/dev/${node##*/}" ] && return 0
    done
    sleep 0.1
  done
  return 1
}

"$ADAPTER_BIN" --config config.xml --state "$STATE" --unplug-frame 10 --replug-ms 1500 \
  2> "$OUT/adapter.log" &
adapter=$!
check "the uhid device appears with a hidraw node" wait_for_hidraw

# Discovery through libudev and sysfs: exactly the virtual keyboard, its vendor collection.
ctl --json --verbose devices > "$OUT/devices.json" 2> "$OUT/devices.err"
status=$?
check "devices: status 0" [ "$status" = 0 ]
check "devices: exactly one interface" [ "$(count '"path"' "$OUT/devices.json")" = 1 ]
check "devices: a hidraw path" grep -q '"path": "/dev/hidraw[0-9]*"' "$OUT/devices.json"
check "devices: vendor id 0x258a" grep -q '"vendorId": 9610' "$OUT/devices.json"
check "devices: product id 0x002a" grep -q '"productId": 42' "$OUT/devices.json"
check "devices: usage page 0xff00 of collection 2" grep -q '"usagePage": 65280' "$OUT/devices.json"
check "devices: usage 1" grep -q '"usage": 1,' "$OUT/devices.json"
check "devices: product string" grep -q '"product": "Keyloom e2e keyboard"' "$OUT/devices.json"
check "devices: serial number from HID_UNIQ" grep -q '"serialNumber": "E2E-0001"' "$OUT/devices.json"
check "devices: selected" grep -q '"selected": true' "$OUT/devices.json"
check "devices: the node opened during discovery" grep -q '^open dev: 0000000[0-9a-f]$' \
  "$OUT/devices.err"
ctl --json devices --all > "$OUT/devices-all.json" 2>&1
check "devices --all: the keyboard among all interfaces" grep -q '"vendorId": 9610' \
  "$OUT/devices-all.json"

# The command sequence: every step as the host's simulated keyboard answered it.
. /e2e/sequence.sh
run_sequence
for expected in "$EXPECTED"/*; do
  name=${expected##*/}
  if cmp -s "$expected" "$OUT/$name"; then
    pass "sequence: $name as with --simulate"
  else
    fail "sequence: $name differs from --simulate"
    diff -u "$expected" "$OUT/$name" | head -40
  fi
done
check "sequence: no transfer failed" sh -c "! grep -q ' fail$' $OUT/*.trace"
check "sequence: the macro download is one start frame" \
  [ "$(count '^set 07f1[0-9a-f]* ok$' "$OUT/10-assign-macro.trace")" = 1 ]
check "sequence: and 27 continuation frames" \
  [ "$(count '^set 0700[0-9a-f]* ok$' "$OUT/10-assign-macro.trace")" = 27 ]
check "sequence: the slot read shows the macro on C" \
  grep -q '"key": "C"' "$OUT/13-slots-json.out"
check "sequence: and the remap of Ctrl Left" grep -q '"key": "Ctrl Left"' "$OUT/13-slots-json.out"
check "sequence: the keyboard keeps the macro in profile 2" \
  grep -q '<macro slot="1" key="6" record="0201060204' "$OUT/10-assign-macro.state"
check "sequence: factory state after the reset" \
  sh -c "! grep -q '<macro\|<remap' $OUT/18-factory-reset.state"
check "restore: the keyboard is as it was before the reset" \
  cmp -s "$OUT/17-backup.state" "$OUT/20-restore.state"
check "restore: the slots show the same assignments" \
  cmp -s "$OUT/16-slots-before.out" "$OUT/22-slots-after-restore.out"
check "restore again: no key record or remap sent" \
  [ "$(count '^set 07f[1a]' "$OUT/21-restore-again.trace")" = 0 ]

# Pulled out at frame 10 of the download, back 1.5 s later: the program neither crashes nor
# hangs; frames 10-28 are each tried four times, the slot read fails, and the command ends with
# status 3 (not done). The keyboard keeps its state, and the next command after the replug works.
cp "$STATE" "$OUT/before-unplug.state"
kill -USR1 "$adapter"
sleep 0.3
ctl --trace assign F --macro E2E --profile 1 > "$OUT/unplug.out" 2> "$OUT/unplug.trace"
status=$?
check "unplug: status 3, neither a crash nor a hang (got $status)" [ "$status" = 3 ]
check "unplug: the adapter saw the unplug" grep -q 'unplugged at frame 10' "$OUT/adapter.log"
check "unplug: the user is told the macro may not have arrived" \
  grep -q 'whether the keyboard took it for F is not known' "$OUT/unplug.trace"
check "unplug: 11 transfers before the unplug went through" \
  [ "$(count '^set .* ok$' "$OUT/unplug.trace")" = 11 ]
check "unplug: frames 10-28 tried four times each" \
  [ "$(count '^set 0700[0-9a-f]* fail$' "$OUT/unplug.trace")" = 76 ]
check "unplug: the slot read request is sent once" \
  [ "$(count '^set 07fb[0-9a-f]* fail$' "$OUT/unplug.trace")" = 1 ]
check "unplug: and its four reads fail" [ "$(count '^get .* fail$' "$OUT/unplug.trace")" = 4 ]
check "unplug: the keyboard's state is unchanged" cmp -s "$OUT/before-unplug.state" "$STATE"
check "unplug: the adapter is still running" kill -0 "$adapter"
check "replug: the hidraw node is back" wait_for_hidraw
ctl --trace --json slots --profile 1 > "$OUT/replug-slots.out" 2> "$OUT/replug-slots.trace"
status=$?
check "replug: the next command works" [ "$status" = 0 ]
check "replug: without a failed transfer" sh -c "! grep -q ' fail$' $OUT/replug-slots.trace"
ctl --trace assign F --macro E2E --profile 1 > "$OUT/replug-assign.out" \
  2> "$OUT/replug-assign.trace"
status=$?
check "replug: the download goes through now" [ "$status" = 0 ]
check "replug: F holds the macro in profile 1" grep -q '<macro slot="1" key="9"' "$STATE"

# A reply of seven bytes instead of eight, passed on by the kernel as it came: that read fails
# and nothing else does.
kill -USR2 "$adapter"
sleep 0.3
ctl --trace slots --profile 1 > "$OUT/short.out" 2> "$OUT/short.trace"
check "short reply: the adapter cut a reply short" \
  grep -q 'answered a read with 7 bytes' "$OUT/adapter.log"
check "short reply: exactly that read fails" [ "$(count ' fail$' "$OUT/short.trace")" = 1 ]
check "short reply: and it is a read" [ "$(count '^get .* fail$' "$OUT/short.trace")" = 1 ]

kill -TERM "$adapter"
wait "$adapter"
status=$?
check "adapter: ended cleanly" [ "$status" = 0 ]
check "adapter: the keyboard ignored no frame" grep -q 'ignored 0 frame(s)' "$OUT/adapter.log"

echo "e2e: the test took until $(cut -d' ' -f1 /proc/uptime) s after boot"
if [ "$failures" -ne 0 ]; then
  for file in "$OUT/adapter.log" "$OUT/devices.json" "$OUT/devices.err" "$OUT/unplug.trace"; do
    show "$file"
  done
  echo "KEYLOOM-E2E: FAIL ($failures of $checks checks failed)"
else
  echo "KEYLOOM-E2E: PASS ($checks checks)"
fi
