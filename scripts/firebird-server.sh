#!/usr/bin/env bash
# A private Firebird server for the tests and benchmarks, never the system-wide service.
#
#   firebird-server.sh setup ROOT [PASSWORD]
#                                   make ROOT (configuration, private security database with
#                                   the installation's SYSDBA password, or PASSWORD for a server
#                                   that refuses the installation, a free port), start
#   firebird-server.sh start ROOT   start the server of an existing ROOT (same port)
#   firebird-server.sh stop ROOT    stop it (nothing happens when it is not running)
#   firebird-server.sh kill ROOT    end it with SIGKILL, as a crash or a lost server would
#   firebird-server.sh env ROOT     print the environment that a client process needs
#
# ROOT/port holds the port; ROOT/server.pid the server's process id. A process that opens
# databases through the embedded engine needs the environment that `env` prints.
set -euo pipefail

command=${1:?usage: firebird-server.sh setup|start|stop|kill|env ROOT}
root=${2:?usage: firebird-server.sh setup|start|stop|kill|env ROOT}
root=$(mkdir -p "$root" && cd "$root" && pwd)

fb_lib=/usr/lib/x86_64-linux-gnu/firebird/3.0
server=/usr/sbin/firebird
password=${3:-plumgrave}

client_env() {
  export FIREBIRD="$root" FIREBIRD_LOCK="$root/lock" FIREBIRD_TMP="$root/tmp"
}

port_in_use() { ss -Hltn "sport = :$1" | grep -q .; }

running() {
  [ -f "$root/server.pid" ] || return 1
  local pid state
  pid=$(cat "$root/server.pid")
  [ -r "/proc/$pid/stat" ] || return 1
  state=$(awk '{print $3}' "/proc/$pid/stat")
  [ "$state" != Z ]
}

start() {
  if running; then return 0; fi
  local port
  port=$(cat "$root/port")
  client_env
  # Its own session, stdin and output away from the caller, so that ctest does not wait for it.
  setsid "$server" </dev/null >>"$root/server.log" 2>&1 &
  echo $! >"$root/server.pid"
  for _ in $(seq 1 100); do
    if port_in_use "$port"; then return 0; fi
    if ! running; then break; fi
    sleep 0.1
  done
  echo "firebird-server.sh: the server did not start on port $port; its output:" >&2
  cat "$root/server.log" >&2 || true
  return 1
}

# Sends the signal to the server and waits up to ten seconds for it to go; its pid file goes
# with it. Fails when it is still there.
signal_and_wait() {
  if ! running; then rm -f "$root/server.pid"; return 0; fi
  kill "-$1" "$(cat "$root/server.pid")" 2>/dev/null || true
  for _ in $(seq 1 100); do
    if ! running; then rm -f "$root/server.pid"; return 0; fi
    sleep 0.1
  done
  return 1
}

stop() {
  signal_and_wait TERM && return 0
  signal_and_wait KILL || true
  rm -f "$root/server.pid"
}

kill_now() {
  signal_and_wait KILL && return 0
  echo "firebird-server.sh: the server $(cat "$root/server.pid") outlived SIGKILL" >&2
  return 1
}

setup() {
  stop
  rm -rf "$root/lock" "$root/tmp"
  mkdir -p "$root/lock" "$root/tmp" "$root/data"
  cp /var/lib/firebird/3.0/system/security3.fdb "$root/security3.fdb"
  cp "$fb_lib/firebird.msg" "$root/firebird.msg"
  cp /etc/firebird/3.0/plugins.conf "$root/plugins.conf"
  cp /etc/firebird/3.0/fbintl.conf "$root/fbintl.conf" 2>/dev/null || true

  local port
  while :; do
    port=$((20000 + RANDOM % 30000))
    port_in_use "$port" || break
  done
  echo "$port" >"$root/port"

  cat >"$root/firebird.conf" <<EOF
RemoteServicePort = $port
RemoteBindAddress = 127.0.0.1
SecurityDatabase = $root/security3.fdb
UdfAccess = None
EOF
  cat >"$root/databases.conf" <<EOF
security.db = $root/security3.fdb
{
  RemoteAccess = false
}
EOF

  client_env
  # The installation's SYSDBA password, set through the embedded engine on the private copy.
  printf "create or alter user SYSDBA password '%s';\ncommit;\n" "$password" |
    isql-fb -q -user SYSDBA "$root/security3.fdb" >"$root/setup.log" 2>&1 || {
    cat "$root/setup.log" >&2
    return 1
  }
  start
}

case "$command" in
  setup) setup ;;
  start) start ;;
  stop) stop ;;
  kill) kill_now ;;
  env) echo "FIREBIRD=$root FIREBIRD_LOCK=$root/lock FIREBIRD_TMP=$root/tmp" ;;
  *)
    echo "unknown command $command" >&2
    exit 2
    ;;
esac
