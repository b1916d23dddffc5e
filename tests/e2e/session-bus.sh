# Sourced first by every script that starts the program: runs the script
# again under a session bus of its own, as a desktop session has one.
# Without it GTK looks for a bus launcher that a bare machine lacks, and says
# so on standard error. The bus and the services it starts (the
# accessibility bus) get a home and runtime folder of their own, so that
# scripts running side by side never share their sockets.
# Usage: source session-bus.sh "$0" "$@"
if [ -z "${DORV_TEST_BUS:-}" ]; then
  export DORV_TEST_BUS=1
  bus_home=$(mktemp -d)
  mkdir -m 700 "$bus_home/runtime"
  status=0
  HOME=$bus_home XDG_RUNTIME_DIR=$bus_home/runtime dbus-run-session -- bash "$@" || status=$?
  rm -rf "$bus_home"
  exit $status
fi
