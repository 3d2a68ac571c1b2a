#!/usr/bin/env python3
"""End to end under Wine: the Windows program as a real process on a laid-out installation,
through the real Firebird client and a private real server.

Every scenario lays out its own installation in the build folder (Sistema\\ with the program,
the companion stand-ins, the ERP ini and gds32.dll, the bridge to Debian's client of the
product's width; Dados\\ with the server ini, Virazuzor.txt and its own ZELTRAN.FDB on a private
server of the test run; Update\\ with the updater stand-in and a published copy), starts the
program under Wine (the build's own kind: 32 or 64 bits) and checks from outside what a user,
the other workstations and the server see: the status window's labels, the files, the server's
MON$ATTACHMENTS and the database through isql. The scenarios that do not interfere run side by
side in one Wine prefix; the one that kills its server has a server of its own.

A watcher (window_helper.exe) notes every message box and notice window and closes the boxes,
which would otherwise block the program: a box that a scenario does not expect fails it.
Run it on a display (xvfb-run); the prefix lives in <build>/wine_e2e/prefix.
"""

import argparse
import concurrent.futures
import functools
import os
import pathlib
import shutil
import subprocess
import sys
import time
import traceback

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "fileserver"))
import shifting_ids  # noqa: E402  (the test file server beside this folder)

ARGS = None
# The Wine loader for the build's kind, set from --arch.
WINE = None
# ctest's code for a suite that cannot run here.
SKIPPED = 77
COMPANIONS = ("vandrelMonitorPublicacao", "vandrelMonitorEmail", "vandrelService")
MONITORS = COMPANIONS[:2]
# The first tick comes 5 s after start-up, later ones every 20 s once a tick reached the
# companion checks. Waits allow one period more than needed, and Wine's slower starts; the
# first tick's wait counts from the end of start-up (the own lock file), since the start of a
# Wine process on a busy machine takes seconds of its own.
FIRST_TICK = 30
SETTLED_PERIOD = 30
# Wine's text for a module that is not found.
NO_CLIENT = ("box", "vandrel Virazuzor: Não foi possível carregar a biblioteca gds32.dll: "
                    "Module not found.")
# The client's own first lines for an attach that the server refuses, and for a missing file.
REFUSED = "Your user name and password are not defined."
NO_FILE = 'I/O error during "open" operation for file'
LOST_SERVER = 'Unable to complete network request to host "localhost".'
# The update log of every test database: script_rodado becomes its highest number.
LOG_NUMBERS = (118, 119)


def win(path):
    """The path as the program sees it: the Linux root is drive Z:."""
    return "Z:" + str(path).replace("/", "\\")


def client_env():
    """The Unix environment the Linux client reads (its messages, lock and temporary folders);
    under Wine it is the one Wine started with."""
    root = ARGS.firebird_root / "shared"
    return dict(os.environ, FIREBIRD=str(root), FIREBIRD_LOCK=str(root / "lock"),
                FIREBIRD_TMP=str(root / "tmp"))


def wine_env():
    env = client_env()
    # File names and command lines pass between Linux and Wine as UTF-8.
    env.update(LANG="C.UTF-8", WINEARCH=ARGS.arch, WINEPREFIX=str(ARGS.prefix), WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
    return env


class Server:
    """One private Firebird server of the test run (scripts/firebird-server.sh)."""

    def __init__(self, name, password="plumgrave"):
        self.root = ARGS.firebird_root / name
        self.password = password

    def port(self):
        return (self.root / "port").read_text().strip()

    def connection(self, file):
        return f"localhost/{self.port()}:{file}"

    def script(self, command):
        subprocess.run(["bash", str(ARGS.firebird_script), command, str(self.root)], check=True,
                       stdout=subprocess.DEVNULL)

    def isql(self, sql, database=None):
        """Runs SQL (statements ended by ';') through the server as SYSDBA; its output."""
        connect = (f"connect '{self.connection(database)}' user 'SYSDBA' "
                   f"password '{self.password}';\n" if database else "")
        done = subprocess.run(["isql-fb", "-q"],
                              input=f"set bail on;\n{connect}{sql}\n".encode(),
                              env=client_env(), capture_output=True)
        out = (done.stdout + done.stderr).decode(errors="replace")
        if done.returncode != 0 or "Statement failed" in out:
            raise AssertionError(f"isql on {database}: {out}")
        return done.stdout.decode(errors="replace")


def wait_until(predicate, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return
        time.sleep(0.2)
    raise AssertionError(f"no {what} within {timeout} s")


class Skipped(Exception):
    """A scenario that cannot run here; the text says why."""


def check(condition, message):
    if not condition:
        raise AssertionError(message)


class Watcher:
    """The window watcher: one process for the whole run, its notes in a file."""

    def __init__(self):
        self.file = ARGS.root / "windows.txt"
        self.file.unlink(missing_ok=True)
        pathlib.Path(str(self.file) + ".stop").unlink(missing_ok=True)
        self.process = subprocess.Popen([WINE, str(ARGS.helper), "watch", win(self.file)],
                                        env=wine_env(), stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def notes(self, root):
        """(kind, text) of every window noted for programs below `root`."""
        if not self.file.exists():
            return []
        prefix = win(root).lower() + "\\"
        notes = []
        for line in self.file.read_text(encoding="utf-8", errors="replace").splitlines():
            kind, program, text = (line.split("\t") + ["", ""])[:3]
            if program.lower().startswith(prefix):
                notes.append((kind, text))
        return notes

    def stop(self):
        pathlib.Path(str(self.file) + ".stop").touch()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()


class Installation:
    def __init__(self, name, server="shared", service=False, database_folder=None,
                 server_folder=None, ini_encoding="cp1252", lang=None):
        """server: the private server that holds its database; database_folder: where the
        server ini says the database lies (Dados\\ unless a scenario points elsewhere);
        server_folder: a folder of the server for the database, where Dados\\ has a name that
        the Linux client cannot pass (it reads the 8-bit name in its Unix locale's encoding,
        a Windows client in the ANSI code page); ini_encoding: how both ini files are saved;
        lang: the locale of a Wine prefix of its own (the locale is the prefix's)."""
        self.root = ARGS.root / name
        shutil.rmtree(self.root, ignore_errors=True)
        self.sistema, self.dados, self.update = (self.root / d for d in ("Sistema", "Dados",
                                                                         "Update"))
        for folder in (self.sistema, self.dados, self.update):
            folder.mkdir(parents=True)
        self.server = SERVERS[server]
        self.exe = self.sistema / "vandrelVirazuzor.exe"
        shutil.copy2(ARGS.build / "vandrelVirazuzor.exe", self.exe)
        # The service is started only while no process of its name runs on the machine, and
        # the scenarios share one: only the installation that looks at it has it.
        self.companions = COMPANIONS if service else MONITORS
        for companion in self.companions:
            shutil.copy2(ARGS.build / "standins" / f"{companion}.exe", self.sistema)
        # The client beside the program, as the installation has it: Wine loads the bridge
        # only under the DLL's own file name.
        shutil.copy2(ARGS.bridge, self.sistema / "gds32.dll")
        shutil.copy2(ARGS.build / "standins" / "vandrelAtualizador.exe", self.update)
        shutil.copy2(self.exe, self.update / self.exe.name)
        # The database as the server sees it: a Linux path.
        self.prefix = ARGS.root / f"prefix-{lang}" if lang else ARGS.prefix
        self.lang = lang
        self.database = self.dados / "ZELTRAN.FDB"
        if server_folder:
            self.database = ARGS.root / server_folder / "ZELTRAN.FDB"
            shutil.rmtree(self.database.parent, ignore_errors=True)
            self.database.parent.mkdir(parents=True)
        folder = database_folder or self.database.parent
        self.connection = f"localhost/{self.server.port()}:{folder}/ZELTRAN.FDB"
        (self.sistema / "vandrelempresa.ini").write_bytes(
            f"[IniServidor]\r\nnomearquivo={win(self.dados)}\\Servidor.ini\r\n"
            .encode(ini_encoding))
        (self.dados / "Servidor.ini").write_bytes(
            f"[Database]\r\nServidor=localhost/{self.server.port()}\r\npath={folder}/\r\n"
            f"name=ZELTRAN.FDB\r\n".encode(ini_encoding))
        self.create_database()
        self.write_state("CONECTAR")
        self.own_lock = self.dados / "vandrelVirazuzor.lock"
        self.processes = []
        self.holder = None
        if self.lang:
            with_prefix(self.env())

    # -- the database, seen from the server --
    def create_database(self):
        """TAB_PARAMETRO without the two columns, the update log, and a log of the program's
        attachments that its connection trigger fills (isql's own are not counted)."""
        numbers = "".join(f"insert into mov_log_atualizacao values ({n});\n" for n in LOG_NUMBERS)
        self.server.isql(
            f"create database '{self.server.connection(self.database)}' user 'SYSDBA' "
            f"password '{self.server.password}';\n"
            "create table tab_parametro (codigo integer not null primary key);\n"
            "insert into tab_parametro values (1);\n"
            "create table mov_log_atualizacao (no_log_atualizacao integer not null);\n"
            f"{numbers}"
            "create table program_attaches (at_time timestamp);\n"
            "commit;\n"
            "set term ^ ;\n"
            "create trigger program_attach on connect as begin\n"
            "  if (rdb$get_context('SYSTEM', 'CLIENT_PROCESS') containing 'wine') then\n"
            "    insert into program_attaches values (current_timestamp);\n"
            "end^\n"
            "set term ; ^\n"
            "commit;")

    def query(self, sql):
        """The values of a one-row query, in order, as isql lists them."""
        out = self.server.isql(f"set list on;\n{sql};", self.database)
        return [line.split(None, 1)[1].strip() if len(line.split(None, 1)) > 1 else ""
                for line in out.splitlines() if line.strip()]

    def execute(self, sql):
        self.server.isql(f"{sql}\ncommit;", self.database)

    def attachments(self):
        """The program's attachments the server holds now."""
        return int(self.query("select count(*) from mon$attachments where mon$attachment_id "
                              "<> current_connection and mon$remote_process containing 'wine'")[0])

    def attaches(self):
        """How often the program has attached so far."""
        return int(self.query("select count(*) from program_attaches")[0])

    def parameters(self):
        return self.query("select versao_erp, script_rodado from tab_parametro")

    def hold_database(self):
        """Holds the database file open from a Windows process without delete sharing, as a
        Windows server holds its open database: a Linux server does not stop Wine's rename,
        which the stale-lock sweep takes for "in use"."""
        marker = pathlib.Path(str(self.database) + ".held")
        self.holder = subprocess.Popen([WINE, str(ARGS.helper), "hold", win(self.database)],
                                       env=self.env(), stdin=subprocess.DEVNULL,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_until(marker.exists, 30, "database held")

    # -- what the program and the other workstations share --
    def state(self):
        return (self.dados / "Virazuzor.txt").read_bytes()

    def write_state(self, word):
        (self.dados / "Virazuzor.txt").write_bytes(word.encode("ascii") + b"\r\n")

    def lock(self, companion):
        return self.dados / f"{companion}.lock"

    def launches(self, companion):
        path = self.dados / f"{companion}.launches"
        return path.read_text().splitlines() if path.exists() else []

    def stop_companions(self):
        for companion in self.companions:
            (self.dados / f"{companion}.stop").touch()
        for companion in self.companions:
            wait_until(lambda: not self.lock(companion).exists(), 10, f"end of {companion}")
        for companion in self.companions:
            (self.dados / f"{companion}.stop").unlink(missing_ok=True)

    # -- the program --
    def env(self):
        env = wine_env()
        if self.lang:
            env.update(LANG=self.lang, LC_ALL=self.lang, WINEPREFIX=str(self.prefix))
        return env

    def start(self):
        process = subprocess.Popen([WINE, str(self.exe)], cwd=self.sistema, env=self.env(),
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.processes.append(process)
        return process

    def helper(self, command):
        """Runs a window_helper command on this installation's main window: its output, or
        None when the window is not there."""
        done = subprocess.run([WINE, str(ARGS.helper), command, win(self.exe)], env=self.env(),
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        return done.stdout.decode("utf-8") if done.returncode == 0 else None

    def labels(self):
        """The texts of the status window's labels."""
        return (self.helper("labels") or "").rstrip("\n").split("\r")

    def wait_label(self, text, timeout):
        wait_until(lambda: text in self.labels(), timeout, f"label {text!r}")

    def sair(self, process):
        """Chooses "&Sair" in the program's menu; returns its exit code."""
        wait_until(lambda: self.helper("sair") is not None, 20, "main window to choose &Sair in")
        return process.wait(timeout=30)

    def close(self):
        for companion in COMPANIONS:
            (self.dados / f"{companion}.stop").touch()
        for process in self.processes:
            if process.poll() is None:
                process.kill()
                process.wait()
        if self.lang:
            end_wine(self.env())
        if self.holder:
            pathlib.Path(str(self.database) + ".held").unlink(missing_ok=True)
            try:
                self.holder.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.holder.kill()


# ---- Scenarios ----------------------------------------------------------------------------------

def scenario_start_up_companions_and_sair(inst, watcher):
    inst.write_state("DESCONECTAR")
    supervisor = inst.start()
    wait_until(inst.own_lock.exists, 30, "own lock file")
    # Start-up resets every state but ATUALIZAR to CONECTAR.
    wait_until(lambda: inst.state() == b"CONECTAR\r\n", 5, "state reset to CONECTAR")
    # A database without the two columns: the update check completed the parameter table.
    check(inst.parameters() == ["Versao Inicial", str(max(LOG_NUMBERS))],
          f"TAB_PARAMETRO: {inst.parameters()}")
    for companion in COMPANIONS:
        wait_until(lambda: inst.lock(companion).exists(), FIRST_TICK, f"{companion} lock")
    shows = {c: inst.launches(c)[:1] for c in COMPANIONS}
    check(shows == {"vandrelMonitorPublicacao": ["started show=2"],
                    "vandrelMonitorEmail": ["started show=2"],
                    "vandrelService": ["started show=1"]}, f"launches: {shows}")
    labels = inst.labels()
    check("CONECTADO" in labels and inst.connection in labels, f"labels: {labels}")
    check(inst.attachments() == 1, f"attachments: {inst.attachments()}")
    inst.helper("abrir")
    time.sleep(3)
    screenshot(inst.root / "status-window.png")
    check(supervisor.poll() is None, "the program ended")
    check(inst.sair(supervisor) == 0, "exit code of &Sair")
    check(not inst.own_lock.exists(), "own lock file left after &Sair")
    check(inst.state() == b"CONECTAR\r\n", f"state after &Sair: {inst.state()!r}")
    wait_until(lambda: inst.attachments() == 0, 10, "attachment gone after &Sair")

    # A second start finds the columns and reads them: nothing written, no box.
    inst.stop_companions()
    inst.execute("update tab_parametro set versao_erp = '7.2.1';")
    attaches = inst.attaches()
    supervisor = inst.start()
    wait_until(inst.own_lock.exists, 30, "own lock file of the second start")
    check(inst.attaches() == attaches + 1, "the second start did not attach once")
    check(inst.parameters() == ["7.2.1", str(max(LOG_NUMBERS))],
          f"TAB_PARAMETRO after the second start: {inst.parameters()}")
    check(inst.sair(supervisor) == 0, "exit code of the second &Sair")


def scenario_disconnect_and_connect(inst, watcher):
    supervisor = inst.start()
    wait_until(inst.own_lock.exists, 30, "own lock file")
    for companion in inst.companions:
        wait_until(lambda: inst.lock(companion).exists(), FIRST_TICK, f"{companion} lock")
    check(inst.attachments() == 1, f"attachments: {inst.attachments()}")
    inst.write_state("DESCONECTAR")
    inst.wait_label("DESCONECTADO", SETTLED_PERIOD)
    wait_until(lambda: inst.attachments() == 0, 5, "attachment gone")
    check(inst.connection in inst.labels(), f"labels: {inst.labels()}")
    inst.stop_companions()
    before = [len(inst.launches(c)) for c in inst.companions]
    attaches = inst.attaches()
    time.sleep(SETTLED_PERIOD - 5)  # at least one more tick: nothing starts while disconnected
    check([len(inst.launches(c)) for c in inst.companions] == before, "a companion started")
    check(inst.attaches() == attaches, "the connection was reopened while disconnected")
    inst.write_state("CONECTAR")
    inst.wait_label("CONECTADO", SETTLED_PERIOD)
    check(inst.attachments() == 1 and inst.attaches() == attaches + 1,
          f"attachments {inst.attachments()}, attaches {inst.attaches() - attaches} more")
    for companion in inst.companions:
        wait_until(lambda: inst.lock(companion).exists(), SETTLED_PERIOD, f"{companion} restarted")
    check(inst.sair(supervisor) == 0, "exit code of &Sair")


def scenario_second_copy_gives_way(inst, watcher):
    inst.hold_database()
    first = inst.start()
    wait_until(inst.own_lock.exists, 30, "own lock file")
    second = inst.start()
    notice = ("notice", f"Aviso do Sistema: O aplicativo {win(inst.exe)} já está sendo "
                        "executado em outra sessão de trabalho.")
    wait_until(lambda: notice in watcher.notes(inst.root), 40, "second copy's notice")
    screenshot(inst.root / "second-copy-notice.png")
    check(second.wait(timeout=30) == 0, "exit code of the second copy")
    check(inst.own_lock.exists(), "the first copy's lock file went")
    check(first.poll() is None, "the first copy ended")
    # The second copy released its attachment before it ended.
    wait_until(lambda: inst.attachments() == 1, 10, "one attachment left")
    check(inst.sair(first) == 0, "exit code of &Sair")
    check(not inst.own_lock.exists(), "own lock file left after &Sair")


def scenario_update_hands_over_and_ends(inst, watcher):
    supervisor = inst.start()
    wait_until(inst.own_lock.exists, 30, "own lock file")
    published = inst.update / inst.exe.name
    stat = os.stat(published)
    os.utime(published, (stat.st_atime, stat.st_mtime + 86400))
    inst.write_state("ATUALIZAR")
    code = supervisor.wait(timeout=SETTLED_PERIOD + 2 + 5 + 15)
    check(code == 0, f"exit code after the update: {code}")
    record = inst.update / "vandrelAtualizador.record"
    wait_until(record.exists, 15, "updater record")
    command_line = record.read_text(encoding="utf-8").splitlines()[0]
    expected = (f'"{win(inst.update)}\\vandrelAtualizador.exe" '
                f'@F1 @M{win(inst.update).replace(" ", "§")} '
                f'@E{win(inst.sistema).replace(" ", "§")} @AvandrelVirazuzor.exe')
    check(command_line == expected, f"updater command line {command_line!r}, not {expected!r}")
    notice = ("notice", "Aviso do Sistema: AVISO: Existe uma nova versão do aplicativo "
                        "vandrelVirazuzor. A atualização será feita automaticamente. Aguarde...")
    check(notice in watcher.notes(inst.root), f"update notice: {watcher.notes(inst.root)}")
    check(inst.state() == b"CONECTAR\r\n", f"state: {inst.state()!r}")
    check(not inst.own_lock.exists(), "own lock file left after the hand-over")
    # The check before the hand-over read the columns that start-up added; the process ended
    # at once, and the server let its attachment go with it.
    check(inst.parameters() == ["Versao Inicial", str(max(LOG_NUMBERS))],
          f"TAB_PARAMETRO: {inst.parameters()}")
    wait_until(lambda: inst.attachments() == 0, 10, "attachment gone with the process")


def scenario_server_lost_and_back(inst, watcher):
    supervisor = inst.start()
    wait_until(inst.own_lock.exists, 30, "own lock file")
    wait_until(lambda: inst.lock("vandrelMonitorEmail").exists(), FIRST_TICK, "first tick")
    # Killed and at once started again: the server is there for every later attach, so only
    # the probe on the lost attachment, by the client's own text, can say TENTANDO CONECTAR.
    inst.server.script("kill")
    inst.server.script("start")
    inst.wait_label("TENTANDO CONECTAR", SETTLED_PERIOD)
    check(inst.connection in inst.labels(), f"labels: {inst.labels()}")
    inst.wait_label("CONECTADO", SETTLED_PERIOD)
    check(inst.attachments() == 1, f"attachments: {inst.attachments()}")

    # A probe that fails with none of the three texts (its table dropped): the connection is
    # closed and the label stays. The table can go only while the program is away.
    inst.write_state("DESCONECTAR")
    inst.wait_label("DESCONECTADO", SETTLED_PERIOD)
    wait_until(lambda: inst.attachments() == 0, 5, "attachment gone")
    inst.execute("drop table tab_parametro;")
    attaches = inst.attaches()
    inst.write_state("CONECTAR")
    wait_until(lambda: inst.attaches() > attaches, SETTLED_PERIOD, "reconnect")
    wait_until(lambda: inst.attachments() == 0, 10, "connection closed after the failed probe")
    check("CONECTADO" in inst.labels(), f"labels after the failed probe: {inst.labels()}")
    check(supervisor.poll() is None, "the program ended")
    # A killed program leaves its lock file: the sweep of a later start is its only remedy.
    supervisor.kill()
    supervisor.wait()
    time.sleep(1)
    check(inst.own_lock.exists(), "lock file gone with a killed program")


def scenario_open_refused_at_start_up(inst, watcher, first_line):
    """The start-up's open fails without a message of its own; the update paths are there all
    the same, so the update check finds the updater, and its first statement tries the attach
    again: that error, the client's text, reaches the general error handler, and the start-up
    goes on: the lock file, and ticks that try again without a box."""
    supervisor = inst.start()
    client_box = f"vandrel Virazuzor: {first_line}"
    wait_until(lambda: any(kind == "box" and text.startswith(client_box)
                           for kind, text in watcher.notes(inst.root)), 40, "the client's text")
    wait_until(inst.own_lock.exists, 20, "own lock file")
    inst.wait_label("TENTANDO CONECTAR", FIRST_TICK + 20)
    check(supervisor.poll() is None, "the program ended")
    check(inst.connection in inst.labels(), f"labels: {inst.labels()}")
    check(all(not inst.launches(c) for c in COMPANIONS), "a companion started")
    check(inst.attachments() == 0, "an attachment")
    check(inst.sair(supervisor) == 0, "exit code of &Sair")
    check(not inst.own_lock.exists(), "own lock file left after &Sair")


def scenario_server_comes_up_after_the_program(inst, watcher):
    """A workstation switched on before its server: the start-up shows the client's own error,
    not the missing-updater box, and goes on. Nobody answers the box: while it waits, the label
    under it says the truth, and the ticks attach once the server is up and start the
    companions."""
    inst.server.script("stop")
    boxes_wait = inst.sistema / "boxes.wait"  # the watcher leaves this program's boxes open
    boxes_wait.touch()
    supervisor = inst.start()
    client_box = f"vandrel Virazuzor: {LOST_SERVER}"
    wait_until(lambda: any(kind == "box" and text.startswith(client_box)
                           for kind, text in watcher.notes(inst.root)), 60, "the client's text")
    check("CONECTADO" not in inst.labels(), f"labels under the box: {inst.labels()}")
    wait_until(inst.own_lock.exists, 20, "own lock file while the box waits")
    inst.wait_label("TENTANDO CONECTAR", FIRST_TICK + 20)
    inst.server.script("start")
    inst.wait_label("CONECTADO", SETTLED_PERIOD)
    check(inst.attachments() == 1, f"attachments: {inst.attachments()}")
    for companion in MONITORS:
        wait_until(lambda: inst.lock(companion).exists(), SETTLED_PERIOD, f"{companion} lock")
    check(supervisor.poll() is None, "the program ended")
    boxes_wait.unlink()
    check(inst.sair(supervisor) == 0, "exit code of &Sair")


def scenario_stale_lock_beside_another_installation(inst, watcher):
    """Two installations on one computer: the other's supervisor, a process of the same name,
    runs; this one's lock file was left by a power cut and nobody holds its database, so the
    start's sweep takes it and the start goes on."""
    other = Installation(f"{inst.root.name} other")
    try:
        other_copy = other.start()
        wait_until(other.own_lock.exists, 30, "the other installation's own lock file")
        inst.own_lock.write_bytes(b"left by a power cut\r\n")
        supervisor = inst.start()
        email = inst.lock("vandrelMonitorEmail")
        wait_until(lambda: supervisor.poll() is not None or email.exists(), 30 + FIRST_TICK,
                   "first tick or the end")
        check(supervisor.poll() is None, "this installation's start gave way")
        written = (f"Este arquivo indica que o monitor {win(inst.exe)} está em execução.\r\n"
                   .encode("cp1252"))
        check(inst.own_lock.read_bytes() == written, f"lock file: {inst.own_lock.read_bytes()!r}")
        check(inst.sair(supervisor) == 0, "exit code of &Sair")
        check(other_copy.poll() is None, "the other installation's copy ended")
        check(other.sair(other_copy) == 0, "exit code of the other's &Sair")
    finally:
        other.close()


def scenario_ends_sent_by_windows(inst, watcher):
    """A close sent by another program (taskkill without /F), the Restart Manager's and the
    session's end each take the lock file along. The database stays held by a Windows process
    as by a Windows server, so the sweep clears nothing: each next start must find no lock."""
    inst.hold_database()
    for end in ("taskkill", "close-app", "end-session", None):
        supervisor = inst.start()
        wait_until(inst.own_lock.exists, 30, f"own lock file before {end}")
        wait_until(lambda: inst.helper("labels") is not None, 20, "main window")
        if end is None:
            break
        if end == "close-app":
            check(inst.helper("close-app") == "agreed\n", "the program refused to close")
        else:
            command = (["taskkill", "/IM", inst.exe.name] if end == "taskkill"
                       else ["wineboot", "--end-session"])
            subprocess.run([WINE] + command, env=inst.env(), stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, check=False)
        wait_until(lambda: not inst.own_lock.exists(), 30, f"own lock file gone after {end}")
        if end == "end-session":
            supervisor.kill()  # as Windows ends it once the session's messages have returned
            supervisor.wait()
        else:
            check(supervisor.wait(timeout=30) == 0, f"exit code after {end}")
    check(supervisor.poll() is None and inst.own_lock.exists(), "the last start was refused")
    check(inst.sair(supervisor) == 0, "exit code of &Sair")


def scenario_icon_comes_back_with_the_shell(inst, watcher):
    supervisor = inst.start()
    wait_until(inst.own_lock.exists, 30, "own lock file")
    wait_until(lambda: inst.helper("tray") == "present hidden\n", 10, "icon in the shell")
    labels, state = inst.labels(), inst.state()
    # A shell that ends and starts again has lost every icon; once back, it says so to every
    # window with its registered message.
    check(inst.helper("drop-icon") == "removed\n", "the shell did not hold the icon")
    check(inst.helper("tray") == "absent hidden\n", f"after the loss: {inst.helper('tray')!r}")
    check(inst.helper("taskbar-created") is not None, "no main window to tell")
    check(inst.helper("tray") == "present hidden\n",
          f"the icon did not come back: {inst.helper('tray')!r}")
    # Nothing else changed: the window stays hidden, its labels and the shared state as they
    # were, the program running and holding its lock file.
    check(inst.labels() == labels, f"labels {inst.labels()} after, {labels} before")
    check(inst.state() == state, f"state: {inst.state()!r}")
    check(supervisor.poll() is None and inst.own_lock.exists(), "the program or its lock went")
    # Told again while the icon is there: the shell keeps the one it has.
    check(inst.helper("taskbar-created") is not None, "no main window to tell")
    check(inst.helper("tray") == "present hidden\n", f"told twice: {inst.helper('tray')!r}")
    check(inst.sair(supervisor) == 0, "exit code of &Sair")
    check(not inst.own_lock.exists(), "own lock file left after &Sair")


def scenario_start_up_without_client_says_desconectado(inst, watcher):
    # No gds32.dll anywhere: creating the connection fails, the general error box comes, and
    # the start-up sequence is abandoned before its timer, so no tick corrects the label.
    (inst.sistema / "gds32.dll").unlink()
    supervisor = inst.start()
    wait_until(lambda: NO_CLIENT in watcher.notes(inst.root), 30, "missing-client box")
    inst.wait_label("DESCONECTADO", 20)
    check("CONECTADO" not in inst.labels(), f"labels: {inst.labels()}")
    check(supervisor.poll() is None, "the program ended")
    check(not inst.own_lock.exists(), "own lock file written after the abandoned start-up")
    check(inst.sair(supervisor) == 0, "exit code of &Sair")


def scenario_as_users_have_it(inst, watcher):
    """Non-ASCII folder names written in the ini files' own encoding, and a database whose
    server folder has a non-ASCII name: the program reads both inis, passes the 8-bit name
    and works as anywhere else."""
    supervisor = inst.start()
    wait_until(inst.own_lock.exists, 30, "own lock file")
    wait_until(lambda: inst.lock("vandrelMonitorEmail").exists(), FIRST_TICK, "first tick")
    labels = inst.labels()
    check("CONECTADO" in labels and inst.connection in labels, f"labels: {labels}")
    check(inst.attachments() == 1, f"attachments: {inst.attachments()}")
    check(inst.parameters() == ["Versao Inicial", str(max(LOG_NUMBERS))],
          f"TAB_PARAMETRO: {inst.parameters()}")
    check(inst.sair(supervisor) == 0, "exit code of &Sair")
    check(not inst.own_lock.exists(), "own lock file left after &Sair")


def scenario_portuguese_locale(inst, watcher):
    """The locale's formats: the version and start-time labels read day/month/year, and the
    date comparison parses them back (equal dates: no update; two seconds apart: the update)."""
    stamp = time.mktime((2014, 3, 25, 10, 15, 42, 0, 0, -1))
    published = inst.update / inst.exe.name
    for exe in (inst.exe, published):
        os.utime(exe, (stamp, stamp))
    supervisor = inst.start()
    wait_until(inst.own_lock.exists, 30, "own lock file")
    labels = inst.labels()
    today = time.strftime("%d/%m/%Y")
    check("Versão: 25/03/2014 10:15" in labels, f"labels: {labels}")
    check(any(label.startswith(f"Em atividade desde {today} ") for label in labels),
          f"labels: {labels}")
    check(supervisor.poll() is None, "the program ended with equal dates")
    os.utime(published, (stamp + 2, stamp + 2))
    inst.write_state("ATUALIZAR")
    check(supervisor.wait(timeout=SETTLED_PERIOD + 2 + 5 + 15) == 0, "no hand-over")
    wait_until((inst.update / "vandrelAtualizador.record").exists, 15, "updater record")


def scenario_ids_change_at_every_open(inst, watcher):
    """The data folder seen through a file server that gives a file a new id at every open
    (shifting_ids); the database server keeps its own path. "&Sair" and the session's end
    remove the lock file; one that another workstation deleted and wrote anew under the running
    copy is not this copy's and stays. (Another program's delete of a live lock file is refused
    on the plain folder only: Wine keeps the share modes per file id, so on this share every
    open is a file of its own to it.)"""
    reason = shifting_ids.unavailable(ARGS.root)
    if reason:
        raise Skipped(reason)
    # The share holds the data folder beside Update, as the server's folder does.
    share = ARGS.root / "shares" / inst.root.name / "Dados"
    share.parent.mkdir(parents=True, exist_ok=True)
    (share.parent / "Update").unlink(missing_ok=True)
    (share.parent / "Update").symlink_to(inst.update)
    with shifting_ids.Share(inst.dados, share, ARGS.root):
        (inst.sistema / "vandrelempresa.ini").write_bytes(
            f"[IniServidor]\r\nnomearquivo={win(share)}\\Servidor.ini\r\n".encode("cp1252"))
        failures = []  # each end's, so that one fault does not hide the others
        for end in ("&Sair", "end-session", "replaced"):
            supervisor = inst.start()
            try:
                wait_until(inst.own_lock.exists, 30, f"own lock file before {end}")
                wait_until(lambda: inst.helper("labels") is not None, 20, "main window")
                if end == "end-session":
                    # Returns once the program's handlers of the session's messages returned.
                    subprocess.run([WINE, "wineboot", "--end-session"], env=inst.env(),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                   check=False)
                    wait_until(lambda: not inst.own_lock.exists(), 10,
                               "own lock file gone after the session's end")
                    continue
                if end == "replaced":  # by another workstation through the share: a new id
                    (share / inst.own_lock.name).unlink()
                    (share / inst.own_lock.name).write_bytes(b"another copy")
                check(inst.sair(supervisor) == 0, f"exit code of &Sair ({end})")
                check(inst.own_lock.exists() == (end == "replaced"),
                      f"own lock file {'gone' if end == 'replaced' else 'left'} after &Sair "
                      f"({end})")
            except AssertionError as failure:
                failures.append(str(failure))
            finally:
                supervisor.kill()  # after the session's end, as Windows ends it then
                supervisor.wait()
                inst.own_lock.unlink(missing_ok=True)
        check(not failures, "; ".join(failures))


def scenario_live_lock_file_cannot_be_deleted(inst, watcher):
    """Another program's delete of a running copy's lock file fails, as another workstation's
    on a Windows server does; the copy's own end removes it."""
    supervisor = inst.start()
    wait_until(inst.own_lock.exists, 30, "own lock file")
    wait_until(lambda: inst.helper("labels") is not None, 20, "main window")
    done = subprocess.run([WINE, "cmd", "/c", "del", win(inst.own_lock)], env=inst.env(),
                          stdin=subprocess.DEVNULL, capture_output=True)
    check(inst.own_lock.exists(), "another program deleted the live copy's lock file: "
                                  f"{(done.stdout + done.stderr).decode(errors='replace')!r}")
    check(inst.sair(supervisor) == 0, "exit code of &Sair")
    check(not inst.own_lock.exists(), "own lock file left after &Sair")


SCENARIOS = [
    ("sair", scenario_start_up_companions_and_sair, {"service": True}),
    ("disconnect", scenario_disconnect_and_connect, {}),
    ("second", scenario_second_copy_gives_way, {}),
    ("update dir", scenario_update_hands_over_and_ends, {}),  # a blank travels as "§"
    ("lost", scenario_server_lost_and_back, {"server": "lost"}),
    ("refused", functools.partial(scenario_open_refused_at_start_up, first_line=REFUSED),
     {"server": "refusing"}),
    ("wrong path", functools.partial(scenario_open_refused_at_start_up, first_line=NO_FILE),
     {"database_folder": "/nonexistent/Dados"}),
    ("server later", scenario_server_comes_up_after_the_program, {"server": "late"}),
    ("two installations", scenario_stale_lock_beside_another_installation, {}),
    ("icon", scenario_icon_comes_back_with_the_shell, {}),
    # The session's end reaches every program of a prefix: this one has a prefix of its own.
    ("ends", scenario_ends_sent_by_windows, {"lang": "C.UTF-8"}),
    ("Instalação São João", scenario_as_users_have_it,
     {"server_folder": "servidor/windows-1252", "ini_encoding": "cp1252"}),
    ("Configuração Unicode", scenario_as_users_have_it,  # Notepad's UTF-16 with a byte-order mark
     {"server_folder": "servidor/utf-16", "ini_encoding": "utf-16"}),
    ("pt-BR", scenario_portuguese_locale, {"lang": "pt_BR.UTF-8"}),
    ("no client", scenario_start_up_without_client_says_desconectado, {}),
    # The session's end reaches every program of a prefix: a prefix of its own, in the locale
    # of "ends" under another name.
    ("shifting ids", scenario_ids_change_at_every_open, {"lang": "C.utf8"}),
    ("live lock", scenario_live_lock_file_cannot_be_deleted, {}),
]
# Boxes that a scenario may show; any other box fails it.
EXPECTED_BOXES = {"no client": {NO_CLIENT[1]}}
for _name, _first_line in (("refused", REFUSED), ("wrong path", NO_FILE),
                           ("server later", LOST_SERVER)):
    EXPECTED_BOXES[_name] = (f"vandrel Virazuzor: {_first_line}",)


def unexpected_boxes(name, boxes):
    allowed = EXPECTED_BOXES.get(name, ())
    return [box for box in boxes if not any(box.startswith(a) for a in allowed)]


def screenshot(path):
    # A picture for whoever reads the run later; none is no failure.
    subprocess.run(["import", "-window", "root", str(path)], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=False)


SERVERS = {}


def run(name, scenario, options, watcher):
    started = time.monotonic()
    inst = None
    try:
        inst = Installation(name, **options)
        scenario(inst, watcher)
        boxes = [text for kind, text in watcher.notes(inst.root) if kind == "box"]
        check(not unexpected_boxes(name, boxes), f"message boxes: {boxes}")
        return name, None, time.monotonic() - started
    except Skipped as reason:
        return name, f"skipped: {reason}", time.monotonic() - started
    except Exception:  # every failure is this scenario's report, the others run on
        boxes = [text for kind, text in watcher.notes(inst.root) if kind == "box"] if inst else []
        return name, traceback.format_exc() + f"message boxes: {boxes}\n", \
            time.monotonic() - started
    finally:
        if inst:
            inst.close()


def end_wine(env=None):
    """Ends every program of the prefix and waits until its server has gone."""
    env = env or wine_env()
    subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL, check=False)
    subprocess.run(["wineserver", "-w"], env=env, stderr=subprocess.DEVNULL, check=False)


def with_prefix(env):
    """Makes the environment's prefix, in its locale, unless it is there; its registry is
    written when its server ends."""
    if not (pathlib.Path(env["WINEPREFIX"]) / "system.reg").exists():
        for command in ([WINE, "wineboot", "--init"], ["wineserver", "-w"]):
            subprocess.run(command, env=env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, check=False)


def main():
    global ARGS, WINE
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--arch", choices=("win32", "win64"), default="win64")
    parser.add_argument("--bridge", required=True, help="the gds32 bridge (gds32.dll.so)")
    parser.add_argument("--firebird-root", required=True, help="the private servers' roots")
    parser.add_argument("--firebird-script", required=True)
    parser.add_argument("--only", action="append", help="run the named scenarios only")
    ARGS = parser.parse_args()
    ARGS.build = pathlib.Path(ARGS.build).resolve()
    ARGS.bridge = pathlib.Path(ARGS.bridge)
    ARGS.firebird_root = pathlib.Path(ARGS.firebird_root)
    if not ARGS.bridge.exists():
        print(f"skipped: no {ARGS.bridge} (the Wine tools for the build's width are missing)")
        return SKIPPED
    WINE = "/usr/lib/wine/wine64" if ARGS.arch == "win64" else "/usr/lib/wine/wine"
    SERVERS.update(shared=Server("shared"), lost=Server("lost"), late=Server("late"),
                   refusing=Server("refusing", password="outra"))
    ARGS.root = ARGS.build / "wine_e2e"
    ARGS.prefix = ARGS.root / "prefix"
    ARGS.helper = ARGS.build / "wine_e2e_tools" / "window_helper.exe"
    ARGS.root.mkdir(exist_ok=True)
    end_wine()  # whatever an earlier, interrupted run left in this prefix
    with_prefix(wine_env())
    watcher = Watcher()
    chosen = [s for s in SCENARIOS if not ARGS.only or s[0] in ARGS.only]
    failures = skipped = 0
    started = time.monotonic()
    try:
        with concurrent.futures.ThreadPoolExecutor(max_workers=len(chosen)) as pool:
            for name, failure, seconds in pool.map(lambda s: run(*s, watcher), chosen):
                if failure and failure.startswith("skipped: "):
                    print(f"{failure} ({name})", flush=True)
                    skipped += 1
                    continue
                print(f"{'FAIL' if failure else 'ok  '} {name} ({seconds:.0f} s)", flush=True)
                if failure:
                    failures += 1
                    print(failure, flush=True)
    finally:
        watcher.stop()
        end_wine()
    print(f"{len(chosen) - failures - skipped} of {len(chosen)} scenarios passed "
          f"({skipped} skipped) in {time.monotonic() - started:.0f} s")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
