# Sourced first by every script that starts the program: runs the script
# again under a session bus of its own, as a desktop session has one.
# Without it GTK looks for a bus launcher that a bare machine lacks, and says
# so on standard error. Usage: source session-bus.sh "$0" "$@"
if [ -z "${DORV_TEST_BUS:-}" ]; then
  export DORV_TEST_BUS=1
  exec dbus-run-session -- bash "$@"
fi
