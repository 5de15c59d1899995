#!/bin/busybox sh
# shellcheck shell=dash
# /init of the end-to-end test's guest: mounts the kernel's file systems, loads the HID modules
# (hid, uhid, hid-generic and what they need, in the order of /lib/modules/order), runs the test
# and turns the machine off. Everything the test prints goes to the serial console.
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mkdir -p /tmp /run/lock
echo "e2e: guest up, kernel $(uname -r), $(cut -d' ' -f1 /proc/uptime) s after boot"
for module in $(cat /lib/modules/order); do
  insmod "/lib/modules/$module.ko" || echo "e2e: FAIL insmod $module"
done
cd /e2e/work && sh /e2e/guest-test.sh
sync
reboot -f
