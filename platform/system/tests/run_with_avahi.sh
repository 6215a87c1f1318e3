#!/bin/sh
# run_with_avahi.sh COMMAND...: runs COMMAND beside an Avahi daemon of its
# own, inside a network namespace and a mount namespace made for it. The
# namespace's only link is a veth pair (192.0.2.1/24) whose other end stays
# inside, so the daemon's announcements reach nothing outside; a private
# D-Bus system bus and a private /run keep the host's daemon and bus out of
# sight. The daemon calls this computer "velmora-probe" and announces its
# workstation service. Exits 77 (skipped) where this cannot be set up.
command -v avahi-daemon >/dev/null 2>&1 || { echo "avahi-daemon is not installed"; exit 77; }
command -v dbus-daemon >/dev/null 2>&1 || { echo "dbus-daemon is not installed"; exit 77; }
if [ "$1" != "--inside" ]; then
  unshare -n -m true 2>/dev/null || { echo "cannot create network and mount namespaces here"; exit 77; }
  exec unshare -n -m "$0" --inside "$@"
fi
shift
set -e
work=$(mktemp -d)
cleanup() {
  [ -n "${avahi:-}" ] && kill "$avahi" 2>/dev/null
  [ -n "${bus:-}" ] && kill "$bus" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

mount --make-rprivate /
mount -t tmpfs tmpfs /run
mkdir -p /run/avahi-daemon /run/dbus
ip link set lo up
ip link add velmora0 type veth peer name velmora1 || { echo "cannot create a veth pair here"; exit 77; }
ip link set velmora1 up
ip link set velmora0 multicast on up
ip addr add 192.0.2.1/24 dev velmora0

cat >"$work/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$work/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
CONF
cat >"$work/avahi.conf" <<CONF
[server]
host-name=velmora-probe
domain-name=local
use-ipv4=yes
use-ipv6=no
allow-interfaces=velmora0
enable-dbus=yes
[wide-area]
enable-wide-area=no
[publish]
publish-workstation=yes
[reflector]
[rlimits]
CONF

dbus-daemon --config-file="$work/bus.conf" --nofork --nopidfile &
bus=$!
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/bus"
tries=0
until [ -S "$work/bus" ]; do
  tries=$((tries + 1)); [ $tries -gt 50 ] && { echo "the bus did not start"; exit 1; }
  sleep 0.1
done
avahi-daemon -f "$work/avahi.conf" --no-drop-root --no-chroot --no-rlimits --no-proc-title >"$work/avahi.log" 2>&1 &
avahi=$!
set +e
VELMORA_AVAHI_NAMESPACE=1 "$@"
status=$?
[ $status -ne 0 ] && cat "$work/avahi.log"
exit $status
