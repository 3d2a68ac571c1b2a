#!/usr/bin/env bash
# lay-out-installation.sh BUILD TARGET [--server HOST/PORT] [--erp4]
# Lays out an installation of the headless build in TARGET (replacing what is there):
#   Sistema/  the supervisor, the ERP ini, the companion stand-ins
#   Dados/    the server ini, ZELTRAN.FDB and Virazuzor.txt
#   Update/   the updater stand-in and a published copy of the supervisor with the same date
#   firebird/ a root for the client's embedded engine in shared mode, so that several processes
#             (a second copy, isql-fb) can open the database together; use it with
#             FIREBIRD=TARGET/firebird FIREBIRD_LOCK=TARGET/firebird/lock FIREBIRD_TMP=TARGET/firebird/tmp
# Without --server the database is opened by the client's embedded engine; with it, through
# the Firebird server at HOST/PORT. --erp4 names the ERP ini after vandrelempresa4.exe.
set -euo pipefail
build=$(cd "$1" && pwd); target=$2; shift 2
server=""; erp4=no
while [ $# -gt 0 ]; do
  case $1 in
    --server) server=$2; shift 2 ;;
    --erp4) erp4=yes; shift ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done

rm -rf "$target"
mkdir -p "$target"/Sistema "$target"/Dados "$target"/Update
target=$(cd "$target" && pwd)
sistema=$target/Sistema dados=$target/Dados update=$target/Update

cp -p "$build/vandrelVirazuzor" "$sistema/"
for c in vandrelMonitorPublicacao vandrelMonitorEmail vandrelService; do
  [ -f "$build/standins/$c.exe" ] && cp -p "$build/standins/$c.exe" "$sistema/"
done
[ -f "$build/standins/vandrelAtualizador.exe" ] && cp -p "$build/standins/vandrelAtualizador.exe" "$update/"
cp -p "$sistema/vandrelVirazuzor" "$update/vandrelVirazuzor"

erp_ini=vandrelempresa.ini
if [ $erp4 = yes ]; then
  : >"$sistema/vandrelempresa4.exe"
  erp_ini=vandrelempresa4.ini
fi
printf '[IniServidor]\r\nnomearquivo=%s\r\n' "$dados/Servidor.ini" >"$sistema/$erp_ini"
printf '[Database]\r\nServidor=%s\r\npath=%s/\r\nname=ZELTRAN.FDB\r\n' "$server" "$dados" \
  >"$dados/Servidor.ini"

isql-fb -q <<SQL
create database '$dados/ZELTRAN.FDB' user 'SYSDBA' password 'plumgrave';
create table tab_parametro (codigo integer not null primary key, nome_empresa varchar(60));
insert into tab_parametro values (1, 'Empresa de Demonstração');
create table mov_log_atualizacao (no_log_atualizacao integer not null);
insert into mov_log_atualizacao values (118);
insert into mov_log_atualizacao values (119);
commit;
SQL
printf 'CONECTAR\r\n' >"$dados/Virazuzor.txt"

fb=$target/firebird
mkdir -p "$fb/lock" "$fb/tmp"
cp /usr/lib/x86_64-linux-gnu/firebird/3.0/firebird.msg /etc/firebird/3.0/plugins.conf "$fb/"
printf 'ServerMode = Classic\n' >"$fb/firebird.conf"
echo "$target"
