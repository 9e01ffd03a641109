#!/usr/bin/env bash
# private_system_bus.sh PROGRAM [ARG...]: runs PROGRAM with a system bus of its own, a dbus-daemon
# with the configuration below and python3-dbusmock's logind template on it, and ends both after
# it. CI has no system bus, and no test may change what the machine's own logind holds.
set -euo pipefail
folder=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; wait; rm -rf "$folder"' EXIT

# Anyone on this bus may own any name and call anything: it carries the test and its mock alone.
cat >"$folder/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <listen>unix:path=$folder/system_bus_socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
# The address is printed once the bus listens.
exec {address}<> <(:)
dbus-daemon --config-file="$folder/bus.conf" --nofork --print-address="$address" &
pids+=($!)
read -r -t 20 -u "$address" DBUS_SYSTEM_BUS_ADDRESS
export DBUS_SYSTEM_BUS_ADDRESS

# Debian's interpreter, which python3-dbusmock is installed for (a PATH may put another first).
/usr/bin/python3 -m dbusmock --system --template logind >/dev/null &
pids+=($!)
logind_up() {
  dbus-send --system --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.freedesktop.login1 | grep -q 'boolean true'
}
for _ in $(seq 300); do logind_up && break; sleep 0.1; done
logind_up || { echo "python3-dbusmock's logind did not come up" >&2; exit 1; }

"$@"
