#!/bin/sh
# A scratch PostgreSQL cluster for the server's tests, on a free port of 127.0.0.1 only.
#   postgres-cluster.sh start STATE   initdb and start; STATE/url then holds its address
#   postgres-cluster.sh stop STATE    stop it and remove its folder
# The cluster runs as the calling user, or as nobody when called as root (PostgreSQL will
# not run as root); its folder is a fresh one under the temporary folder.
set -eu
[ $# -eq 2 ] || { echo "usage: $0 start|stop STATE" >&2; exit 2; }
STATE=$2
BIN=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -x "$BIN/initdb" ] || { echo "$0: no PostgreSQL server found (Debian's postgresql package)" >&2; exit 1; }

as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$@"
  else
    "$@"
  fi
}

stop() {
  [ -f "$STATE/folder" ] || return 0
  FOLDER=$(cat "$STATE/folder")
  as_owner "$BIN/pg_ctl" -D "$FOLDER/data" -m immediate -w stop >/dev/null 2>&1 || true
  rm -rf "$FOLDER"
  rm -f "$STATE/folder" "$STATE/url"
}

case "$1" in
  start)
    mkdir -p "$STATE"
    stop  # a cluster left behind by an interrupted run
    FOLDER=$(mktemp -d "${TMPDIR:-/tmp}/tallow-postgres.XXXXXX")
    echo "$FOLDER" > "$STATE/folder"
    [ "$(id -u)" -eq 0 ] && chown nobody:nogroup "$FOLDER"
    chmod 700 "$FOLDER"
    as_owner "$BIN/initdb" -D "$FOLDER/data" -U tallow --auth=trust -E UTF8 --no-locale --no-sync \
      >"$FOLDER/initdb.log" 2>&1 || { cat "$FOLDER/initdb.log" >&2; exit 1; }
    # A random port; another is tried when it is taken.
    for TRY in 1 2 3 4 5 6 7 8; do
      PORT=$(( $(od -An -N2 -tu2 /dev/urandom) % 30000 + 20000 ))
      if as_owner "$BIN/pg_ctl" -D "$FOLDER/data" -l "$FOLDER/server.log" -w -t 60 \
          -o "-c listen_addresses=127.0.0.1 -p $PORT -k $FOLDER -c max_connections=200 -c shared_buffers=32MB" \
          start >/dev/null 2>&1; then
        echo "postgresql://tallow@127.0.0.1:$PORT/postgres" > "$STATE/url"
        exit 0
      fi
    done
    cat "$FOLDER/server.log" >&2 || true
    exit 1
    ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop STATE" >&2; exit 2 ;;
esac
