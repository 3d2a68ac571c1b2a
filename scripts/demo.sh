#!/usr/bin/env bash
# Installs what is needed, builds the headless supervisor, lays out a demo installation in
# ./demo (an embedded Firebird database, no server) and runs the supervisor in the foreground.
# Ctrl+C acts as the menu entry "&Sair".
set -euo pipefail
cd "$(dirname "$0")/.."
# The demo's own few packages: no 32-bit package, no Wine, no cross compiler.
bash scripts/setup.sh demo
root=$PWD
build=$root/build/demo
echo "Building in $build ..."
# The program and the stand-ins of the companion programs and the updater, nothing else.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVIRAZUZOR_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target vandrelVirazuzor standin_publication_monitor \
  standin_email_monitor standin_service standin_updater >/dev/null

demo=$root/demo
bash scripts/lay-out-installation.sh "$build" "$demo" >/dev/null
# The embedded engine's root in shared mode: a second copy can open the database too.
fb=$demo/firebird
export FIREBIRD=$fb FIREBIRD_LOCK=$fb/lock FIREBIRD_TMP=$fb/tmp

cat <<TXT

Demo installation: $demo
  Sistema/   the supervisor, the ERP ini and the companion stand-ins
  Dados/     the server ini, ZELTRAN.FDB (embedded) and Virazuzor.txt
  Update/    the updater stand-in and the published copy of the supervisor

Try, from another terminal (first: export FIREBIRD=$fb FIREBIRD_LOCK=$fb/lock FIREBIRD_TMP=$fb/tmp):
  echo DESCONECTAR > $demo/Dados/Virazuzor.txt    # next tick closes the connection
  echo CONECTAR    > $demo/Dados/Virazuzor.txt    # next tick reconnects
  touch $demo/Dados/vandrelMonitorEmail.stop; sleep 1; rm $demo/Dados/vandrelMonitorEmail.stop
                                                    # ends the e-mail monitor; the next tick starts it
  $demo/Sistema/vandrelVirazuzor                    # a second copy: notice, then it ends
                                                    # (its start-up also resets the state to CONECTAR)
  touch -d '2030-01-01' $demo/Update/vandrelVirazuzor; echo ATUALIZAR > $demo/Dados/Virazuzor.txt
                                                    # update: the updater is launched, the supervisor ends
Ctrl+C ends the supervisor ("&Sair").

TXT
cd "$demo/Sistema"
exec ./vandrelVirazuzor
