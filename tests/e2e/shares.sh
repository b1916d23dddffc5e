# Real file servers on the case's own loopback (Samba, OpenSSH's SFTP,
# NFS-Ganesha) and two lab machines that mount them with the clients a
# desktop uses: GNOME's SMB and NFS mounts (gvfs, on each machine's own
# session bus), smbnetfs and sshfs. Sourced by cases run through
# in-namespaces.sh, after lib.sh. Everything ends with the case's namespaces.

srv=$work/srv
# The servers are killed outright at the end: a clean stop of NFS-Ganesha
# waits for its clients, whose mounts go only with the case's namespaces.
server_pids=
# The clients, and the server folder each one's share shows.
clients=(gvfs-smb gvfs-nfs smbnetfs sshfs)

# Whether a server listens on TCP port $1 of the loopback.
port_open() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

# Waits up to $2 s until a server listens on port $1.
wait_port() { wait_for "${2:-20}" "nothing listens on port $1 (the servers' logs are in $srv)" port_open "$1"; }

start_samba() {
  mkdir -p "$srv/samba/"{data,run,lock,state,cache,private} "$srv/smb"
  cat >"$srv/samba/smb.conf" <<EOF
[global]
  workgroup = LAB
  server role = standalone server
  interfaces = lo
  bind interfaces only = yes
  smb ports = 445
  disable netbios = yes
  pid directory = $srv/samba/run
  lock directory = $srv/samba/lock
  state directory = $srv/samba/state
  cache directory = $srv/samba/cache
  private dir = $srv/samba/private
  ncalrpc dir = $srv/samba/run
  passdb backend = tdbsam:$srv/samba/private/passdb.tdb
  log file = $srv/samba.log
  map to guest = Bad User
  load printers = no
  printcap name = /dev/null
  disable spoolss = yes
[learners]
  path = $srv/smb
  read only = no
  guest ok = yes
  force user = root
EOF
  smbd --foreground --no-process-group -s "$srv/samba/smb.conf" </dev/null >>"$srv/samba.log" 2>&1 &
  server_pids="${server_pids:-} $!"
  wait_port 445
}

start_sftp() {
  mkdir -p "$srv/ssh/keys" "$srv/sftp" /run/sshd
  ssh-keygen -q -t ed25519 -N '' -f "$srv/ssh/keys/host"
  ssh-keygen -q -t ed25519 -N '' -f "$srv/ssh/keys/client"
  cat >"$srv/ssh/sshd_config" <<EOF
ListenAddress 127.0.0.1
HostKey $srv/ssh/keys/host
AuthorizedKeysFile $srv/ssh/keys/client.pub
PermitRootLogin prohibit-password
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
StrictModes no
PidFile $srv/ssh/sshd.pid
Subsystem sftp internal-sftp
EOF
  /usr/sbin/sshd -D -f "$srv/ssh/sshd_config" -E "$srv/ssh.log" &
  server_pids="${server_pids:-} $!"
  wait_port 22
}

start_nfs() {
  mkdir -p "$srv/nfs" "$srv/ganesha"
  cat >"$srv/ganesha/ganesha.conf" <<EOF
NFS_CORE_PARAM { Protocols = 3, 4; Enable_NLM = true; Enable_RQUOTA = false; }
NFSV4 { RecoveryBackend = fs; RecoveryRoot = "$srv/ganesha"; Grace_Period = 1; Lease_Lifetime = 10; }
EXPORT {
  Export_Id = 1; Path = "$srv/nfs"; Pseudo = "/learners";
  Access_Type = RW; Squash = No_Root_Squash; Protocols = 3, 4; Transports = TCP; SecType = sys;
  FSAL { Name = VFS; }
}
LOG { Default_Log_Level = EVENT; }
EOF
  rpcbind -f &
  server_pids="${server_pids:-} $!"
  wait_port 111
  ganesha.nfsd -F -f "$srv/ganesha/ganesha.conf" -L "$srv/nfs.log" -p "$srv/ganesha/pid" &
  server_pids="${server_pids:-} $!"
  wait_for 30 "NFS-Ganesha did not start" nfs_registered
}

nfs_registered() { rpcinfo -p 127.0.0.1 2>/dev/null | grep -q -w nfs; }

start_servers() {
  start_samba
  start_sftp
  start_nfs
}

# The server folder behind client $1's share.
server_folder() {
  case $1 in
    gvfs-smb | smbnetfs) echo "$srv/smb" ;;
    gvfs-nfs) echo "$srv/nfs" ;;
    sshfs) echo "$srv/sftp" ;;
  esac
}

# Machine $1 (a or b): its home, runtime folder and session bus, and its
# mounts of every share. Its environment is machine_env_$1.
start_machine() {
  local m=$1 base=$work/machine-$1
  mkdir -p "$base/home/.smb" "$base/smb" "$base/ssh"
  mkdir -m 700 -p "$base/run"
  # The bus starts GNOME's file daemons with its own environment: the
  # machine's home and runtime folder (its FUSE folder goes there).
  env HOME="$base/home" XDG_RUNTIME_DIR="$base/run" dbus-daemon --session --fork --print-address=3 3>"$base/bus" \
    >/dev/null
  local env="HOME=$base/home XDG_RUNTIME_DIR=$base/run DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$base/bus")"
  eval "machine_env_$m=\$env"
  # smbnetfs: the whole SMB network below one folder.
  printf 'smb_query_browsers "false"\nauth "guest" ""\nhost 127.0.0.1 visible=true\n' >"$base/home/.smb/smbnetfs.conf"
  chmod 600 "$base/home/.smb/smbnetfs.conf"
  : >"$base/home/.smb/smb.conf"
  env $env smbnetfs "$base/smb" -o "config=$base/home/.smb/smbnetfs.conf" ||
    fail "smbnetfs did not mount on machine $m"
  sshfs "root@127.0.0.1:$srv/sftp" "$base/ssh" -o "IdentityFile=$srv/ssh/keys/client,StrictHostKeyChecking=no" \
    -o UserKnownHostsFile=/dev/null,BatchMode=yes || fail "sshfs did not mount on machine $m"
  # GNOME's mounts, as the file manager's "Connect to Server" makes them.
  env $env timeout 60 gio mount -a smb://127.0.0.1/learners >"$base/gio.log" 2>&1 ||
    fail "gio mount smb failed on machine $m: $(cat "$base/gio.log")"
  env $env timeout 60 gio mount "nfs://127.0.0.1$srv/nfs" >>"$base/gio.log" 2>&1 ||
    fail "gio mount nfs failed on machine $m: $(cat "$base/gio.log")"
  local client
  for client in "${clients[@]}"; do
    [ -d "$(share_of "$m" "$client")" ] || fail "no share of $client on machine $m"
  done
}

# Lets go of the machines' mounts and stops the servers, so that nothing
# waits on a server that is gone (the namespaces end them all anyway).
stop_shares() {
  local m mount
  for m in a b; do
    for mount in smb ssh run/gvfs; do
      mountpoint -q "$work/machine-$m/$mount" 2>/dev/null && fusermount -u -z "$work/machine-$m/$mount"
    done
  done
  [ -z "$server_pids" ] || kill -9 $server_pids 2>/dev/null
  server_pids=
  return 0
}

# The folder where machine $1 sees client $2's share.
share_of() {
  local base=$work/machine-$1
  case $2 in
    gvfs-smb) echo "$base/run/gvfs/smb-share:server=127.0.0.1,share=learners" ;;
    gvfs-nfs) ls -d "$base/run/gvfs/nfs:host=127.0.0.1,"* 2>/dev/null | head -n 1 ;;
    smbnetfs) echo "$base/smb/127.0.0.1/learners" ;;
    sshfs) echo "$base/ssh" ;;
  esac
}

# Starts a copy of the program on machine $1 in course folder $2; its output
# goes to $work/copy-$1.out and .err, its process number to copy_pid_$1.
# Machine b has a name of its own.
start_copy() {
  local m=$1 dir=$2 env
  eval "env=\$machine_env_$m"
  local name=(env)
  [ "$m" = a ] || name=(unshare --uts -- sh -c 'hostname lab-b && exec "$@"' sh)
  (cd "$dir" && exec "${name[@]}" env $env G_MESSAGES_DEBUG=dorv "$DORV_BIN") >"$work/copy-$m.out" 2>"$work/copy-$m.err" &
  eval "copy_pid_$m=\$!"
}

# Whether copy $1's trace holds $2; the case fails when the copy ended
# without it.
copy_traced() {
  grep -q -F -e "$2" "$work/copy-$1.out" && return 0
  local pid
  eval "pid=\$copy_pid_$1"
  kill -0 "$pid" 2>/dev/null || fail "copy $1 ended before its trace said: $2 ($(tail -3 "$work/copy-$1.err"))"
  return 1
}

# Waits up to $3 s for copy $1's trace to hold $2.
wait_copy_trace() { wait_for "${3:-30}" "copy $1's trace never said: $2" copy_traced "$1" "$2"; }

# Ends copy $1 as the session's end does (saved, the page told) and waits
# for it; the status must be 0.
end_copy() {
  local pid
  eval "pid=\$copy_pid_$1"
  kill -TERM "$pid"
  wait_for 20 "copy $1 did not end" eval "! kill -0 $pid 2>/dev/null"
  local status=0
  wait "$pid" || status=$?
  expect_eq "$status" 0 "exit status of copy $1"
}

# No temporary or lock file is left below folder $1.
expect_no_leftovers() {
  local left
  left=$(find "$1" \( -name '*.new' -o -name '.~lock.*' -o -name '*.bak' \) -print | head -5)
  [ -z "$left" ] || fail "left behind: $left"
}
