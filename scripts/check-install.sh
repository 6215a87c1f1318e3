#!/usr/bin/env bash
# check-install.sh <build-dir>: checks what an installation and the Debian
# package give a user.
#   1. `cmake --install` into a staging folder (DESTDIR), the servers
#      registered in the staged machine-wide registry as the package's
#      postinst does, and the installed Quillon started from there with an
#      empty home, no per-user registry and no build tree on any search path:
#      it must connect to "Pelkor.DataSample" and run an example script.
#   2. `cpack -G DEB`: the package holds the programs, libraries, headers,
#      desktop entry, icons and manual pages, its dependencies come from the
#      libraries it links, and its maintainer scripts call `regsvr --system`.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d /tmp/velmora-install-XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "check-install: $*" >&2; failures=$((failures + 1)); }

stage=$work/stage
DESTDIR=$stage cmake --install "$build" --prefix /usr >"$work/install.log"
libdir=$(cd "$stage/usr" && dirname "$(find . -name libplatform_system.so)"); libdir=${libdir#./}
servers=("$stage/usr/$libdir/libpelkor_datasample.so" "$stage/usr/$libdir/libpelkor_serverlist.so")

# Everything runs as a fresh user would: nothing of the build's environment.
clean_env=(env -i HOME="$work/home" PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen)
mkdir -p "$work/home"
"${clean_env[@]}" "$stage/usr/bin/regsvr" --system "${servers[@]}"
[ -f "$stage/etc/velmora/registry.reg" ] || fail "regsvr --system did not write $stage/etc/velmora/registry.reg"
[ ! -e "$work/home/.config/Velmora/registry.reg" ] || fail "regsvr --system wrote the user's registry"
for program in quillon regsvr regtool; do
  "${clean_env[@]}" "$stage/usr/bin/$program" --version | grep -q "^$program (Velmora) [0-9]" ||
    fail "$program --version"
  "${clean_env[@]}" "$stage/usr/bin/$program" --help | grep -q "usage: $program" || fail "$program --help"
done
if ! "${clean_env[@]}" timeout 60 "$stage/usr/bin/quillon" --connect --server Pelkor.DataSample \
       --screenshot "$work/quillon.png" >"$work/quillon.log" 2>&1; then
  fail "the installed quillon did not run"
fi
if grep -q -e "Cannot connect" -e "failed" "$work/quillon.log" || [ ! -s "$work/quillon.png" ]; then
  fail "the installed quillon did not connect to Pelkor.DataSample:"
  cat "$work/quillon.log" >&2
fi
# A script run needs no display and finds the installed example scripts.
example=$stage/usr/share/doc/velmora/examples/group_items.quillon
if ! "${clean_env[@]}" timeout 120 "$stage/usr/bin/quillon" --run "$example" >"$work/script.log" 2>&1; then
  fail "the installed quillon did not run $example:"
  tail -n 20 "$work/script.log" >&2
fi

(cd "$build" && cpack -G DEB >"$work/cpack.log") || { cat "$work/cpack.log" >&2; fail "cpack"; }
deb=$(ls -t "$build"/velmora_*.deb | head -n 1)
contents=$(dpkg-deb -c "$deb")
for file in usr/bin/quillon usr/bin/regsvr usr/bin/regtool \
            "usr/$libdir/libplatform_system.so" "usr/$libdir/libplatform_com.so" \
            "usr/$libdir/libpelkor_datasample.so" "usr/$libdir/libpelkor_serverlist.so" \
            usr/lib/libgantrel.so usr/lib/libmorvick.so usr/lib/pkgconfig/gantrel.pc usr/lib/pkgconfig/morvick.pc \
            usr/include/velmora/sockets/syssock.h usr/include/velmora/resman/rsm.h \
            usr/include/velmora/component/init_record.h usr/share/applications/quillon.desktop \
            usr/share/icons/hicolor/48x48/apps/quillon.png usr/share/man/man1/quillon.1 \
            usr/share/doc/velmora/examples/group_items.quillon; do
  grep -q " \./$file\$" <<<"$contents" || fail "the package lacks /$file"
done
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libstdc++6 libc6 qt6-qpa-plugins; do
  grep -q "$library" <<<"$depends" || fail "the package does not depend on $library (Depends: $depends)"
done
dpkg-deb -e "$deb" "$work/control"
grep -q "regsvr --system .*libpelkor_datasample.so" "$work/control/postinst" || fail "postinst does not register"
grep -q "regsvr -u --system .*libpelkor_datasample.so" "$work/control/prerm" || fail "prerm does not unregister"

if [ "$failures" -ne 0 ]; then
  echo "check-install: $failures failed" >&2
  exit 1
fi
echo "check-install: the staged installation connects and the package is complete ($(basename "$deb"))"
