#!/bin/bash
# tervalink-frames ports on the device trees of real adapters, mocked by umockdev: the real udev
# code reads them. Each case: the tree, then stdout and stderr exactly, and the exit status (0
# for ports); then monitor and send on a port that does not open.
set -u
frames=$1
trees=$(dirname "$0")/usb_trees
tab=$'\t'
failed=0

# check TREE STDOUT STDERR [STATUS COMMAND...]: ports unless another command is given.
check() {
    local tree=$1 want_out=$2 want_err=$3 want_status=${4:-0}
    shift 4 2>/dev/null || shift 3
    local command=("$@")
    [ ${#command[@]} -eq 0 ] && command=(ports)
    local out err status
    out=$(umockdev-run -d "$trees/$tree.umockdev" -- "$frames" "${command[@]}" 2>/tmp/ports_err.$$)
    status=$?
    err=$(cat /tmp/ports_err.$$)
    rm -f /tmp/ports_err.$$
    if [ "$status" != "$want_status" ] || [ "$out" != "$want_out" ] || [ "$err" != "$want_err" ]; then
        printf 'FAILED %s: exit %s\n--- stdout\n%s\n--- expected\n%s\n--- stderr\n%s\n--- expected\n%s\n' \
            "$tree" "$status" "$out" "$want_out" "$err" "$want_err"
        failed=1
    else
        echo "ok $tree"
    fi
}

note="tervalink-frames: note:"
check ftdi_with_tty \
    "COM 100${tab}/dev/ttyUSB0${tab}Future Technology Devices International, Ltd FT232 Serial (UART) IC${tab}USB 0403:6001 serial A50285BI at 1-1.2" ""
check ch340_claimed_by_brltty "" \
    "$note A QinHeng Electronics CH340 serial converter (1a86:7523) is plugged in, but brltty has claimed it: remove brltty (sudo apt remove brltty) or disable its rule for this adapter, then plug it in again."
# brltty 6.4's rule may name no braille driver and only have systemd start its service.
check ch340_wanted_by_brltty_service "" \
    "$note A QinHeng Electronics CH340 serial converter (1a86:7523) is plugged in, but brltty has claimed it: remove brltty (sudo apt remove brltty) or disable its rule for this adapter, then plug it in again."
check cp2102_without_tty "" \
    "$note A Silicon Labs CP210x UART Bridge (10c4:ea60) is plugged in, but its driver cp210x made no serial port for it: unplug it and plug it in again, and if that does not help, read the kernel's messages (sudo dmesg) for the driver's failure."
# tools_tests checks ModemManager's note with a ModemManager injected; a machine that has one
# installed gets the note here too.
acm_note=""
if [ -x /usr/sbin/ModemManager ] || [ -x /usr/bin/ModemManager ]; then
    acm_note="$note An Arduino SA Uno R3 (CDC ACM) (2341:0043) is on COM 200 (/dev/ttyACM0), but ModemManager probes a new ttyACM port for several seconds: wait a few seconds after plugging it in, or mark it ID_MM_DEVICE_IGNORE in a udev rule."
fi
check cdc_acm_with_tty \
    "COM 200${tab}/dev/ttyACM0${tab}Arduino SA Uno R3 (CDC ACM)${tab}USB 2341:0043 serial 75833353035351F0D0F1 at 1-4" "$acm_note"
check two_ch340_without_serial \
    "COM 100${tab}/dev/ttyUSB0${tab}QinHeng Electronics CH340 serial converter${tab}USB 1a86:7523 at 1-1.2
COM 101${tab}/dev/ttyUSB1${tab}QinHeng Electronics CH340 serial converter${tab}USB 1a86:7523 at 1-1.3" ""
check no_adapter "" ""

# A port that does not open: monitor and send add what the adapter says.
brltty="A QinHeng Electronics CH340 serial converter (1a86:7523) is plugged in, but brltty has claimed it: remove brltty (sudo apt remove brltty) or disable its rule for this adapter, then plug it in again."
check ch340_claimed_by_brltty "" "Cannot open COM 100 (/dev/ttyUSB0): no such device. $brltty" 4 \
    monitor "COM 100"
check ch340_claimed_by_brltty "" \
    "Cannot open COM 100 (/dev/ttyUSB0): no such device; nothing was sent. $brltty" 4 \
    send "COM 100" --all --file "$(dirname "$0")/../../packaging/sample-data.csv"
exit $failed
