#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks the laid-out files and the desktop entry,
# then starts the installed program on --help offscreen: it must find its libraries, its plug-in
# and its shared files from the prefix alone, and keep running with the help shown. The log level
# is its own: the lines waited for are INFO lines, whatever the caller hides.
#   InstallTest.sh <build dir>
set -euo pipefail
build=$1
prefix=$(mktemp -d)
pid=
cleanup() {
  [[ -n $pid ]] && kill "$pid" 2> /dev/null || true
  rm -rf "$prefix"
}
trap cleanup EXIT

cmake --install "$build" --prefix "$prefix" > /dev/null
for file in bin/glimra lib/libGlimraCore.so lib/libZentorFramework.so lib/plugins/libKelvra.so \
    share/glimra/ZentorGlimraCustom.ini share/glimra/translations/glimra_de.qm share/glimra/help/index.html \
    share/glimra/themes/default.qss share/icons/hicolor/256x256/apps/glimra.png; do
  [[ -f $prefix/$file ]] || { echo "missing after install: $file"; exit 1; }
done
desktop-file-validate "$prefix/share/applications/glimra.desktop"
grep -qx 'Exec=glimra %F' "$prefix/share/applications/glimra.desktop"

if ldd "$prefix/bin/glimra" | grep -E 'libGlimraCore|libZentorFramework' | grep -vq "$prefix/"; then
  echo "the installed program takes its libraries from outside the prefix"; ldd "$prefix/bin/glimra"; exit 1
fi

log=$prefix/glimra.log
env -u ZENTOR_PLUGIN_PATH -u GLIMRA_RESOURCES_DIR -u GLOG_vmodule QT_QPA_PLATFORM=offscreen GLOG_minloglevel=0 \
  XDG_CONFIG_HOME="$prefix/config" XDG_CACHE_HOME="$prefix/cache" GLOG_logtostderr=1 GLOG_v=31 \
  "$prefix/bin/glimra" --help 2> "$log" &
pid=$!
# Up to a minute for the start-up to get as far as the help; the program then waits for the user.
for _ in $(seq 300); do
  grep -q 'Show command line help' "$log" && grep -q "Plug-in \"$prefix/\(bin/../\)\?lib/plugins/libKelvra" "$log" && break
  kill -0 "$pid" 2> /dev/null || break
  sleep 0.2
done
if ! kill -0 "$pid" 2> /dev/null; then
  wait "$pid" && status=0 || status=$?
  pid=
  echo "the installed program ended early with status $status"; cat "$log"; exit 1
fi
grep -q 'Show command line help' "$log" || { echo "no help request seen"; cat "$log"; exit 1; }
grep -q "Plug-in \"$prefix/\(bin/../\)\?lib/plugins/libKelvra" "$log" || { echo "the installed plug-in was not loaded"; cat "$log"; exit 1; }
kill "$pid"
wait "$pid" && status=0 || status=$?
pid=
# 143 from the default handler, 15 from a library that ends the process on the signal itself.
[[ $status -eq 143 || $status -eq 15 ]] || { echo "the program ended with $status, not by our signal"; cat "$log"; exit 1; }
echo "installed program ran"
