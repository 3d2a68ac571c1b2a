#!/usr/bin/env python3
"""End to end: the headless supervisor as a real process on a laid-out installation.

Every scenario lays out its own installation (scripts/lay-out-installation.sh), starts the
supervisor in its Sistema folder and checks, from outside, what a user and the other
workstations see: the lock file, the connection-state file, the status lines, the companion
launches and the updater's record. The database is opened through the private Firebird server
of the test harness or by the embedded engine.
"""

import argparse
import datetime
import os
import pathlib
import re
import signal
import subprocess
import sys
import time
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "fileserver"))
import shifting_ids  # noqa: E402  (the test file server beside this folder)

ARGS = None
COMPANIONS = ("vandrelMonitorPublicacao", "vandrelMonitorEmail", "vandrelService")
# The program's own periods: the first tick comes 5 s after start-up, later ones every 20 s
# once a tick reached the companion checks; the update branch pauses 2 s, a notice stays 5 s.
FIRST_PERIOD = 5
SETTLED = 20
UPDATE_PAUSE = 2
NOTICE = 5
# What a busy machine adds (other test groups beside, two cores): a start-up up to the lock
# file (the process, the database attach, the update check), and one tick's own work (the
# probe, the process snapshot, a companion's start).
START_UP = 30
TICK_WORK = 10
# The waits derived from them: until the first tick's effects, and one settled period on.
FIRST_TICK = START_UP + FIRST_PERIOD + TICK_WORK
SETTLED_PERIOD = SETTLED + TICK_WORK
# Every headless line begins with the local date and time to the second, as daemon logs do.
STAMP = re.compile(r"\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} ")


def unstamped(line):
    """The line without its stamp; a line without one stays as it is (test_lines_are_stamped
    checks that every line has it)."""
    stamp = STAMP.match(line)
    return line[stamp.end():] if stamp else line


def wait_until(predicate, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return
        time.sleep(0.1)
    raise AssertionError(f"no {what} within {timeout} s")


def shows(supervisor, text):
    """Whether one of the program's lines holds the text (lines may carry a prefix)."""
    return any(text in line for line in supervisor.lines())


def firebird_script(command):
    subprocess.run(["bash", f"{ARGS.source}/scripts/firebird-server.sh", command,
                    ARGS.firebird_root], check=True, stdout=subprocess.DEVNULL)


def server_port():
    return (pathlib.Path(ARGS.firebird_root) / "port").read_text().strip()


def turkish_locale_path():
    """A LOCPATH holding tr_TR.UTF-8, built from the system's locale sources once a run."""
    path = pathlib.Path(ARGS.build) / "e2e" / "locales"
    if not (path / "tr_TR.UTF-8").exists():
        path.mkdir(parents=True, exist_ok=True)
        subprocess.run(["localedef", "-i", "tr_TR", "-f", "UTF-8", path / "tr_TR.UTF-8"],
                       check=True, stdout=subprocess.DEVNULL)
    return path


class Supervisor:
    """One running copy of the program, its output kept in files beside the installation."""

    def __init__(self, installation, tag, env=None, journal=None):
        """env: variables added to the program's environment. journal: "out" or "err" makes
        JOURNAL_STREAM name that stream's file, as systemd does for a service's output."""
        self.matched = 0  # lines that earlier waits looked past
        self.out_path = installation.root / f"{tag}.out"
        self.err_path = installation.root / f"{tag}.err"
        with open(self.out_path, "wb") as out, open(self.err_path, "wb") as err:
            environment = dict(os.environ, **(env or {}))
            environment.pop("JOURNAL_STREAM", None)
            if journal:
                status = os.fstat((out if journal == "out" else err).fileno())
                environment["JOURNAL_STREAM"] = f"{status.st_dev}:{status.st_ino}"
            self.process = subprocess.Popen([str(installation.exe)], cwd=installation.sistema,
                                            stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                            env=environment)

    def raw_lines(self):
        return self.out_path.read_text(encoding="utf-8", errors="replace").splitlines()

    def raw_errors(self):
        return self.err_path.read_text(encoding="utf-8", errors="replace").splitlines()

    def lines(self):
        """Standard output's lines without their stamps."""
        return [unstamped(line) for line in self.raw_lines()]

    def errors(self):
        """Standard error without the stamps of its lines."""
        return "".join(unstamped(line) + "\n" for line in self.raw_errors())

    def wait_line(self, line, timeout):
        """Waits for the line after the one that the previous wait found, as expect does: the
        status window's content comes whole at start, so "Situação Atual: CONECTADO" there
        must not count as a reconnection seen later."""
        def found():
            try:
                self.matched = self.lines().index(line, self.matched) + 1
                return True
            except ValueError:
                return False
        wait_until(found, timeout, f"line {line!r} after line {self.matched}")

    def wait_exit(self, timeout):
        return self.process.wait(timeout=timeout)

    def sair(self):
        """SIGINT is the menu entry "&Sair"."""
        self.process.send_signal(signal.SIGINT)
        return self.process.wait(timeout=30)

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


class Installation:
    def __init__(self, name, server=False, erp4=False, tick_recorder=False):
        self.root = pathlib.Path(ARGS.build) / "e2e" / name
        command = ["bash", f"{ARGS.source}/scripts/lay-out-installation.sh", ARGS.build,
                   str(self.root)]
        if server:
            command += ["--server", f"localhost/{server_port()}"]
        if erp4:
            command.append("--erp4")
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
        self.sistema = self.root / "Sistema"
        self.dados = self.root / "Dados"
        self.update = self.root / "Update"
        self.exe = self.sistema / "vandrelVirazuzor"
        # The program's own lock file: its base name before the last dot, plus ".lock"; a
        # name without a dot, as the headless build's, is its own base name.
        stem, dot, _ = self.exe.name.rpartition(".")
        self.own_lock = self.dados / ((stem if dot else self.exe.name) + ".lock")
        self.supervisors = []
        self.updaters = []
        if tick_recorder:
            # In place of the publication monitor: a program that never keeps a lock file, so
            # every tick that reaches the companion checks starts it, and it notes the time.
            # (Not the service, whose start waits while any vandrelService.exe runs here.)
            recorder = self.sistema / "vandrelMonitorPublicacao.exe"
            recorder.write_text('#!/bin/sh\ndate +%s.%N >> "$(dirname "$0")/../Dados/ticks"\n')
            recorder.chmod(0o755)

    def start(self, tag="supervisor", **options):
        supervisor = Supervisor(self, tag, **options)
        self.supervisors.append(supervisor)
        return supervisor

    def state(self):
        return (self.dados / "Virazuzor.txt").read_bytes()

    def write_state(self, word):
        (self.dados / "Virazuzor.txt").write_bytes(word.encode("ascii") + b"\r\n")

    def launches(self, companion):
        path = self.dados / f"{companion}.launches"
        return len(path.read_text().splitlines()) if path.exists() else 0

    def ticks(self):
        path = self.dados / "ticks"
        return [float(t) for t in path.read_text().split()] if path.exists() else []

    def lock(self, companion):
        return self.dados / f"{companion}.lock"

    def stop_companions(self):
        for companion in COMPANIONS:
            if self.lock(companion).exists():
                (self.dados / f"{companion}.stop").touch()
        for companion in COMPANIONS:
            wait_until(lambda: not self.lock(companion).exists(), TICK_WORK, f"end of {companion}")
            (self.dados / f"{companion}.stop").unlink(missing_ok=True)

    def start_updater(self):
        """An updater stand-in that stays while Update/vandrelAtualizador.stay exists."""
        (self.update / "vandrelAtualizador.stay").touch()
        process = subprocess.Popen([str(self.update / "vandrelAtualizador.exe")],
                                   cwd=self.update, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.updaters.append(process)
        return process

    def end_updaters(self):
        (self.update / "vandrelAtualizador.stay").unlink(missing_ok=True)
        for process in self.updaters:
            process.wait(timeout=10)
        self.updaters = []

    def close(self):
        """Ends every process of this installation: the process checks are machine-wide, so
        a companion left running would hold back the next scenario's."""
        for supervisor in self.supervisors:
            supervisor.kill()
        self.end_updaters()
        for companion in COMPANIONS:
            (self.dados / f"{companion}.stop").touch()
        for companion in COMPANIONS:
            wait_until(lambda: not self.lock(companion).exists(), TICK_WORK, f"end of {companion}")


class EndToEnd(unittest.TestCase):
    def installation(self, name, **options):
        installation = Installation(name, **options)
        self.addCleanup(installation.close)
        return installation

    def test_lock_file_comes_with_start_up_and_goes_with_sair(self):
        # A lock file that another copy put in this one's place stays.
        for erp4, replaced in ((False, False), (True, False), (False, True)):
            with self.subTest(erp4=erp4, replaced=replaced):
                inst = self.installation(f"lock{'4' if erp4 else ''}{'r' if replaced else ''}",
                                         erp4=erp4)
                inst.write_state("DESCONECTAR")
                supervisor = inst.start()
                wait_until(inst.own_lock.exists, START_UP, "own lock file")
                supervisor.wait_line(f"Base de dados: {inst.dados}/ZELTRAN.FDB", TICK_WORK)
                # Start-up resets every state but ATUALIZAR to CONECTAR.
                wait_until(lambda: inst.state() == b"CONECTAR\r\n", TICK_WORK, "state reset")
                if replaced:
                    other = inst.dados / "other copy"
                    other.write_bytes(b"another copy")
                    other.rename(inst.own_lock)
                self.assertEqual(supervisor.sair(), 0)
                self.assertEqual(inst.own_lock.exists(), replaced)
                self.assertEqual(inst.state(), b"CONECTAR\r\n")
                self.assertEqual(supervisor.errors(), "")

    def test_lock_file_on_a_server_whose_file_ids_change(self):
        # The workstation sees its data folder through a file server that gives a file a new id
        # at every open (shifting_ids); the database server keeps its own path. Another
        # workstation reading the lock file meanwhile changes its id once more. The ends remove
        # the lock file all the same; a lock file that another program deleted and wrote anew
        # under the running copy, behind the server's back, is not this copy's and stays,
        # although its name still gives the id of the copy's own open.
        reason = shifting_ids.unavailable(pathlib.Path(ARGS.build) / "e2e")
        if reason:
            self.skipTest(reason)
        inst = self.installation("shifting ids")
        # The share holds the data folder beside Update, as the server's folder does.
        share = pathlib.Path(ARGS.build) / "e2e" / "shares" / "shifting ids" / "Dados"
        share.parent.mkdir(parents=True, exist_ok=True)
        (share.parent / "Update").unlink(missing_ok=True)
        (share.parent / "Update").symlink_to(inst.update)
        with shifting_ids.Share(inst.dados, share, pathlib.Path(ARGS.build) / "e2e"):
            (inst.sistema / "vandrelempresa.ini").write_bytes(
                f"[IniServidor]\r\nnomearquivo={share}/Servidor.ini\r\n".encode())
            ends = {"&Sair": (signal.SIGINT, False), "SIGTERM": (signal.SIGTERM, False),
                    "hang-up": (signal.SIGHUP, False), "replaced": (signal.SIGINT, True)}
            for end, (ending, replaced) in ends.items():
                with self.subTest(end):
                    supervisor = inst.start(end)
                    try:
                        wait_until(inst.own_lock.exists, START_UP, "own lock file")
                        supervisor.wait_line(f"Base de dados: {inst.dados}/ZELTRAN.FDB",
                                             TICK_WORK)
                        if replaced:  # the name keeps the id of the copy's own open
                            inst.own_lock.unlink()
                            inst.own_lock.write_bytes(b"another copy")
                        else:
                            self.assertTrue((share / inst.own_lock.name).read_bytes())
                        supervisor.process.send_signal(ending)
                        self.assertEqual(supervisor.wait_exit(30), 0)
                        self.assertEqual(inst.own_lock.exists(), replaced)
                        self.assertEqual(supervisor.errors(), "")
                    finally:
                        supervisor.kill()
                        inst.own_lock.unlink(missing_ok=True)
                        inst.stop_companions()

    def test_second_copy_gives_way_and_leaves_the_first_ones_lock(self):
        # Through the server: two processes cannot share an embedded engine's database. The
        # first copy disconnected, nobody holds the database, and the sweep keeps the lock
        # files of the programs running here all the same.
        inst = self.installation("second", server=True)
        first = inst.start("first")
        wait_until(inst.lock("vandrelMonitorEmail").exists, FIRST_TICK, "companions")
        inst.write_state("DESCONECTAR")
        first.wait_line("Situação Atual: DESCONECTADO", SETTLED_PERIOD)
        second = inst.start("second")
        self.assertEqual(second.wait_exit(START_UP + NOTICE + TICK_WORK), 0)
        notice = (f"O aplicativo {inst.exe} já está sendo executado em outra sessão de "
                  "trabalho.")
        self.assertIn(notice, second.lines())
        self.assertTrue(any(STAMP.match(line) for line in second.raw_lines()
                            if line.endswith(notice)))
        self.assertTrue(inst.own_lock.exists())
        self.assertTrue(inst.lock("vandrelMonitorEmail").exists())
        self.assertIsNone(first.process.poll())
        self.assertEqual(first.sair(), 0)

    def test_lock_file_of_a_windows_copy_refuses_the_linux_copy(self):
        # A Windows copy on another workstation runs: its lock file vandrelVirazuzor.lock lies
        # in the data folder and the server holds the database open for it, so the stale-lock
        # sweep leaves the file alone.
        inst = self.installation("windows copy", server=True)
        written = ("Este arquivo indica que o monitor C:\\vandrel\\vandrelVirazuzor.exe "
                   "está em execução.\r\n").encode("cp1252")
        inst.own_lock.write_bytes(written)
        self.assertEqual(inst.own_lock.name, "vandrelVirazuzor.lock")
        held = inst.root / "database held"
        holder = subprocess.Popen(
            ["isql-fb", "-q", "-user", "SYSDBA", "-password", "plumgrave",
             f"localhost/{server_port()}:{inst.dados}/ZELTRAN.FDB"],
            stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            holder.stdin.write(f"shell touch '{held}';\n".encode())
            holder.stdin.flush()
            wait_until(held.exists, 15, "database held by another connection")
            supervisor = inst.start()
            self.assertEqual(supervisor.wait_exit(40), 0)
        finally:
            holder.stdin.close()
            holder.wait(timeout=30)
        self.assertTrue(shows(supervisor, f"O aplicativo {inst.exe} já está sendo executado em "
                                          "outra sessão de trabalho."), supervisor.lines())
        self.assertEqual(inst.own_lock.read_bytes(), written)

    def test_start_up_from_a_folder_with_a_portuguese_letter(self):
        # The server ini, and with it the data folder, lie in "Configuração"; the ERP ini names
        # it as a Linux editor writes it (UTF-8) and as a Windows workstation does (ANSI).
        for encoding in ("utf-8", "cp1252"):
            with self.subTest(encoding=encoding):
                inst = self.installation(f"letters {encoding}")
                folder = inst.root / "Configuração"
                folder.mkdir()
                for name in ("Servidor.ini", "Virazuzor.txt"):
                    (inst.dados / name).rename(folder / name)
                (inst.sistema / "vandrelempresa.ini").write_bytes(
                    f"[IniServidor]\r\nnomearquivo={folder}/Servidor.ini\r\n".encode(encoding))
                lock = folder / inst.own_lock.name
                supervisor = inst.start()
                wait_until(lock.exists, 15, "own lock file in the data folder")
                wait_until(lambda: shows(supervisor, f"Base de dados: {inst.dados}/ZELTRAN.FDB"),
                           5, "database line")
                self.assertEqual(supervisor.sair(), 0)
                self.assertFalse(lock.exists())
                self.assertFalse(shows(supervisor, "Não foi encontrado"), supervisor.lines())
                # Companions started by a tick keep their files in this data folder too.
                for companion in COMPANIONS:
                    if (folder / f"{companion}.lock").exists():
                        (folder / f"{companion}.stop").touch()
                for companion in COMPANIONS:
                    wait_until(lambda: not (folder / f"{companion}.lock").exists(), 10,
                               f"end of {companion}")
                self.assertEqual(supervisor.errors(), "")

    def test_start_up_from_a_folder_named_in_latin_1_bytes(self):
        # Copied from an old server, the program's folder lies in "Gest\xe3o": its path travels
        # through the program unchanged, to the ERP ini beside it and to the companions it
        # starts. (The ini names the data folder where it was laid out.)
        inst = self.installation("latin-1")
        folder = inst.root / "Gest\udce3o"
        folder.mkdir()
        inst.sistema = inst.sistema.rename(folder / inst.sistema.name)
        inst.exe = inst.sistema / inst.exe.name
        supervisor = inst.start()
        wait_until(inst.lock("vandrelMonitorEmail").exists, FIRST_TICK, "first tick")
        self.assertEqual(supervisor.sair(), 0)
        self.assertIn(f"Base de dados: {inst.dados}/ZELTRAN.FDB", supervisor.lines())
        self.assertEqual(supervisor.errors(), "")

    def test_portuguese_letters_in_every_name_reach_the_server(self):
        # The installation, and with it the program's own path that the client sends along,
        # the data folder and the database file all have letters beyond ASCII; the environment
        # names no UTF-8 locale, as a service's often does, or a Turkish one, whose capital of
        # "i" is not "I" (the client's configuration reader must never see its case rules).
        environments = {"C": {"LC_ALL": "C"},
                        "Turkish": {"LC_ALL": "", "LC_CTYPE": "", "LANG": "tr_TR.UTF-8",
                                    "LOCPATH": str(turkish_locale_path())}}
        for tag, environment in environments.items():
            with self.subTest(tag):
                inst = self.installation(f"Gestão {tag}", server=True)
                (inst.dados / "ZELTRAN.FDB").rename(inst.dados / "Ação.FDB")
                (inst.dados / "Servidor.ini").write_bytes(
                    f"[Database]\r\nServidor=localhost/{server_port()}\r\npath={inst.dados}/"
                    "\r\nname=Ação.FDB\r\n".encode("cp1252"))
                supervisor = inst.start(env=environment)
                wait_until(inst.own_lock.exists, START_UP, "own lock file")
                self.assertEqual(supervisor.sair(), 0)
                self.assertIn("Situação Atual: CONECTADO", supervisor.lines())
                self.assertIn(f"Base de dados: localhost/{server_port()}:{inst.dados}/Ação.FDB",
                              supervisor.lines())
                self.assertEqual(supervisor.errors(), "")

    def test_own_file_replaced_while_it_runs(self):
        # A package update moves a new file into the program's name; the program still knows
        # its own path and the date of the file that runs, so the update branch removes the
        # right lock file and compares the right date.
        inst = self.installation("replaced")
        supervisor = inst.start()
        wait_until(inst.own_lock.exists, START_UP, "own lock file")
        fresh = inst.sistema / "vandrelVirazuzor.new"
        fresh.write_bytes(inst.exe.read_bytes())
        fresh.chmod(0o755)
        fresh.rename(inst.exe)
        published = inst.update / inst.exe.name
        os.utime(published, (time.time(), os.stat(published).st_mtime + 86400))
        os.utime(inst.exe, (time.time(), os.stat(published).st_mtime))  # as new as published
        inst.write_state("ATUALIZAR")
        self.assertEqual(supervisor.wait_exit(SETTLED_PERIOD + UPDATE_PAUSE + NOTICE), 0)
        wait_until((inst.update / "vandrelAtualizador.record").exists, TICK_WORK, "updater")
        self.assertFalse(inst.own_lock.exists())
        self.assertEqual(supervisor.errors(), "")

    def test_hang_up_and_lost_standard_streams_end_nothing_but_by_sair(self):
        # SIGHUP (the terminal closed) acts as "&Sair", unless it was ignored at start (nohup);
        # so do SIGTERM and SIGINT, also when the program was started with its standard streams
        # closed, or writes into a pipe whose reader has gone.
        inst = self.installation("streams", server=True)  # a socket that could take fd 1
        def close_standard_streams():
            for fd in (0, 1, 2):
                os.close(fd)
        starts = {  # tag: the start, the signals that end nothing, the one that ends it
            "hang-up": (dict(), (), signal.SIGHUP),
            "nohup": (dict(preexec_fn=lambda: signal.signal(signal.SIGHUP, signal.SIG_IGN)),
                      (signal.SIGHUP,), signal.SIGTERM),
            "closed": (dict(stdin=None, stdout=None, stderr=None,
                            preexec_fn=close_standard_streams), (), signal.SIGTERM),
            "reader gone": (dict(stdout=subprocess.PIPE), (), signal.SIGINT),
        }
        for tag, (streams, ignored, ending) in starts.items():
            with self.subTest(tag):
                process = subprocess.Popen(
                    [str(inst.exe)], cwd=inst.sistema,
                    **dict(dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL), **streams))
                if process.stdout:
                    process.stdout.close()  # nobody reads the status lines
                try:
                    # The first tick starts the companions: the loop, and with it the status
                    # lines of the start-up, came before it.
                    wait_until(inst.lock("vandrelMonitorEmail").exists, FIRST_TICK, "first tick")
                    self.assertIsNone(process.poll(), "ended before the signal")
                    if tag == "closed":
                        # Not the server's socket nor a file: the status lines go nowhere.
                        self.assertEqual([os.readlink(f"/proc/{process.pid}/fd/{fd}")
                                          for fd in (0, 1, 2)], ["/dev/null"] * 3)
                    for hang_up in ignored:
                        process.send_signal(hang_up)
                        # Still there a tick later: the tick starts the stopped companions.
                        inst.stop_companions()
                        wait_until(inst.lock("vandrelMonitorEmail").exists, SETTLED_PERIOD,
                                   "a tick after the ignored signal")
                        self.assertIsNone(process.poll(), f"ended by {hang_up!r}")
                    process.send_signal(ending)
                    self.assertEqual(process.wait(timeout=30), 0)
                    self.assertFalse(inst.own_lock.exists())
                finally:
                    if process.poll() is None:
                        process.kill()
                        process.wait()
                    inst.own_lock.unlink(missing_ok=True)
                    inst.stop_companions()  # the next start's first tick starts them again

    def test_connection_state_written_by_another_program_is_obeyed(self):
        inst = self.installation("state")
        supervisor = inst.start()
        # The first tick starts every companion whose lock file is missing.
        for companion in COMPANIONS:
            wait_until(lambda: inst.lock(companion).exists(), FIRST_TICK, f"{companion} lock")
        inst.write_state("DESCONECTAR")
        supervisor.wait_line("Situação Atual: DESCONECTADO", SETTLED_PERIOD)
        inst.stop_companions()
        before = [inst.launches(c) for c in COMPANIONS]
        time.sleep(SETTLED_PERIOD)  # at least one more tick: nothing is started while disconnected
        self.assertEqual([inst.launches(c) for c in COMPANIONS], before)
        inst.write_state("CONECTAR")
        supervisor.wait_line("Situação Atual: CONECTADO", SETTLED_PERIOD)
        for companion in COMPANIONS:
            wait_until(lambda: inst.lock(companion).exists(), TICK_WORK, f"{companion} restarted")
        # The published copy has the same date: no update is due, and the lock file comes back.
        inst.write_state("ATUALIZAR")
        wait_until(lambda: inst.state() == b"CONECTAR\r\n", SETTLED_PERIOD, "update branch")
        wait_until(inst.own_lock.exists, UPDATE_PAUSE + TICK_WORK, "own lock file again")
        self.assertIsNone(supervisor.process.poll())
        self.assertEqual(supervisor.sair(), 0)

    def test_no_companion_starts_while_two_updaters_run(self):
        inst = self.installation("updaters", tick_recorder=True)
        inst.start_updater()
        inst.start_updater()
        supervisor = inst.start()
        time.sleep(FIRST_TICK)
        self.assertEqual(inst.ticks(), [])
        self.assertEqual([inst.launches(c) for c in COMPANIONS[:2]], [0, 0])
        inst.end_updaters()
        # The period stayed at 5 s, so the companions follow within one short period.
        wait_until(lambda: inst.ticks(), FIRST_PERIOD + TICK_WORK,
                   "companion checks after the updaters ended")
        wait_until(lambda: inst.lock("vandrelMonitorEmail").exists(), TICK_WORK, "e-mail monitor")
        self.assertEqual(supervisor.sair(), 0)

    def test_period_moves_from_5_to_20_seconds(self):
        inst = self.installation("period", tick_recorder=True)
        started = time.time()
        supervisor = inst.start()
        wait_until(lambda: len(inst.ticks()) >= 2, FIRST_TICK + SETTLED_PERIOD, "two ticks")
        first, second = inst.ticks()[:2]
        self.assertLess(first - started, FIRST_TICK)
        self.assertGreater(second - first, SETTLED - FIRST_PERIOD)
        self.assertLess(second - first, SETTLED_PERIOD)
        self.assertEqual(supervisor.sair(), 0)

    def test_server_lost_and_back(self):
        inst = self.installation("server", server=True)
        supervisor = inst.start()
        wait_until(lambda: inst.lock("vandrelMonitorEmail").exists(), FIRST_TICK, "first tick")
        firebird_script("stop")
        try:
            supervisor.wait_line("Situação Atual: TENTANDO CONECTAR", SETTLED_PERIOD)
        finally:
            firebird_script("start")
        supervisor.wait_line("Situação Atual: CONECTADO", 2 * SETTLED_PERIOD)
        self.assertEqual(supervisor.sair(), 0)

    def test_start_up_without_a_database_goes_on_and_connects_when_it_can(self):
        # A database that cannot be opened at start-up: the update check still finds the
        # updater, its first statement fails into the general error box with the client's
        # text, and the start-up goes on: the lock file, then ticks that try to connect until
        # the server answers.
        cases = (("no database", False, "ZELTRAN.FDB"),
                 ("server comes up after the program", True,
                  "Unable to complete network request to host"))
        for name, server, client_text in cases:
            with self.subTest(name):
                inst = self.installation(name, server=server)
                if server:
                    firebird_script("stop")
                    self.addCleanup(firebird_script, "start")
                else:
                    (inst.dados / "ZELTRAN.FDB").unlink()
                supervisor = inst.start()
                wait_until(lambda: "vandrel Virazuzor: " in supervisor.errors(), START_UP,
                           "the general error handler's box")
                error = supervisor.errors()
                self.assertIn(client_text, error)
                self.assertNotIn("vandrel Atualizador", error)
                wait_until(inst.own_lock.exists, TICK_WORK, "own lock file")
                supervisor.wait_line("Situação Atual: DESCONECTADO", TICK_WORK)
                supervisor.wait_line("Situação Atual: TENTANDO CONECTAR", FIRST_TICK)
                if server:
                    firebird_script("start")
                    supervisor.wait_line("Situação Atual: CONECTADO", SETTLED_PERIOD)
                    wait_until(inst.lock("vandrelMonitorEmail").exists, TICK_WORK, "companions")
                self.assertEqual(supervisor.sair(), 0)
                self.assertFalse(inst.own_lock.exists())

    def test_stale_lock_file_is_swept_also_beside_another_installation(self):
        # A power cut left this installation's lock file and nobody holds its database: the
        # start's sweep takes the file and the start goes on, also while the supervisor of
        # another installation on this computer, a process of the same name, runs.
        for beside in (False, True):
            with self.subTest(beside=beside):
                inst = self.installation(f"stale {beside}")
                if beside:
                    other = self.installation("stale other")
                    other_copy = other.start("other")
                    wait_until(other.own_lock.exists, START_UP, "the other's own lock file")
                inst.own_lock.write_bytes(b"left by a power cut\r\n")
                supervisor = inst.start()
                email = inst.lock("vandrelMonitorEmail")
                wait_until(lambda: supervisor.process.poll() is not None or email.exists(),
                           FIRST_TICK, "first tick or the end")
                self.assertIsNone(supervisor.process.poll(), supervisor.lines())
                self.assertEqual(inst.own_lock.read_bytes().decode("cp1252"),
                                 f"Este arquivo indica que o monitor {inst.exe} está em "
                                 "execução.\r\n")
                self.assertEqual(supervisor.sair(), 0)
                if beside:
                    self.assertIsNone(other_copy.process.poll())
                    self.assertEqual(other_copy.sair(), 0)

    def test_error_other_than_the_databases_ends_the_start_up(self):
        # After a failed open (no database file) the lock file cannot be written (a folder has
        # its name): that error ends the start-up after the client's, as any error does. The
        # state stays as it was and no tick comes; the program stays resident.
        inst = self.installation("lock folder")
        (inst.dados / "ZELTRAN.FDB").unlink()
        inst.own_lock.mkdir()
        inst.write_state("DESCONECTAR")
        supervisor = inst.start()
        wait_until(lambda: f"vandrel Virazuzor: {inst.own_lock}" in supervisor.errors(),
                   START_UP, "the lock file's error")
        self.assertIn("ZELTRAN.FDB", supervisor.errors().split(str(inst.own_lock))[0])
        time.sleep(FIRST_PERIOD + TICK_WORK)  # a first tick would have come by now
        self.assertEqual(inst.state(), b"DESCONECTAR\r\n")
        self.assertNotIn("Situação Atual: TENTANDO CONECTAR", supervisor.lines())
        self.assertIsNone(supervisor.process.poll())
        self.assertEqual(supervisor.sair(), 0)

    def test_update_paths_stay_empty_without_the_server_ini(self):
        # The ERP ini names no server ini: the program ends, and the update check that runs on
        # the way neither makes an "Update" folder here nor touches the Exec- markers.
        inst = self.installation("no server ini")
        (inst.sistema / "vandrelempresa.ini").write_bytes(b"[IniServidor]\r\n")
        (marker := inst.sistema / f"Exec-{inst.exe.name}").write_bytes(b"")
        supervisor = inst.start()
        self.assertEqual(supervisor.wait_exit(START_UP), 0)
        self.assertIn("Não foi encontrado o arquivo de inicialização", supervisor.errors())
        self.assertFalse((inst.sistema / "Update").exists())
        self.assertTrue(marker.exists())
        # The check's error ends the start-up: nothing after it looks for the data folder
        # again, and no lock file lands in the folder the program was started in.
        self.assertEqual(supervisor.errors().count("Não foi encontrado o arquivo de "
                                                   "inicialização dentro da pasta"), 1,
                         supervisor.errors())
        self.assertNotIn("Não foi possível acessar a pasta Dados", supervisor.errors())
        self.assertEqual(list(inst.sistema.glob("*.lock")), [])

    def test_ordinary_end_with_the_connection_open_ends_with_code_0(self):
        # An end other than "&Sair" leaves the open connection, its transaction and the probe
        # statement to the operating system: the process still ends at once, with code 0.
        inst = self.installation("left open", server=True)
        supervisor = inst.start()
        wait_until(lambda: inst.lock("vandrelMonitorEmail").exists(), FIRST_TICK, "first tick")
        (inst.update / "vandrelAtualizador.exe").unlink()
        inst.write_state("ATUALIZAR")
        self.assertEqual(supervisor.wait_exit(SETTLED_PERIOD + UPDATE_PAUSE + TICK_WORK), 0)
        self.assertIn("Não foi encontrado o vandrel Atualizador no Servidor", supervisor.errors())
        self.assertFalse(inst.own_lock.exists())  # a termination request is an ordinary end

    def test_update_hands_over_to_the_updater_and_ends(self):
        inst = self.installation("update dir")  # a blank in the path travels as "§"
        supervisor = inst.start()
        wait_until(inst.own_lock.exists, START_UP, "own lock file")
        published = inst.update / inst.exe.name
        os.utime(published, (time.time(), os.stat(published).st_mtime + 86400))
        inst.write_state("ATUALIZAR")
        # The next tick, 5 s or, if the first tick came before the word, 20 s away.
        self.assertEqual(supervisor.wait_exit(SETTLED_PERIOD + UPDATE_PAUSE + NOTICE), 0)
        record = inst.update / "vandrelAtualizador.record"
        wait_until(record.exists, TICK_WORK, "updater record")
        command_line, started_in = record.read_text(encoding="utf-8").splitlines()[:2]
        updater = inst.update / "vandrelAtualizador.exe"
        expected = (f'"{updater}" @F1 @M{str(inst.update).replace(" ", "§")} '
                    f'@E{str(inst.sistema).replace(" ", "§")} @A{inst.exe.name}')
        self.assertEqual(command_line, expected)
        self.assertEqual(started_in, str(inst.sistema))
        self.assertIn("AVISO: Existe uma nova versão do aplicativo vandrelVirazuzor. "
                      "A atualização será feita automaticamente. Aguarde...", supervisor.lines())
        self.assertEqual(inst.state(), b"CONECTAR\r\n")
        self.assertFalse(inst.own_lock.exists())

    def test_lines_are_stamped_with_local_time_unless_they_go_to_the_journal(self):
        # Without a published copy the update check's two-line warning comes and the program
        # ends by itself; the status window's content is written all the same.
        utc_minus_3 = datetime.timezone(datetime.timedelta(hours=-3))
        for journal in (None, "out", "err"):
            with self.subTest(journal=journal):
                inst = self.installation(f"stamp-{journal}")
                (inst.update / inst.exe.name).unlink()
                before = datetime.datetime.now(utc_minus_3).replace(microsecond=0, tzinfo=None)
                supervisor = inst.start(env={"TZ": "<-03>3"}, journal=journal)
                self.assertEqual(supervisor.wait_exit(40), 0)
                after = datetime.datetime.now(utc_minus_3).replace(tzinfo=None)
                self.assertFalse(inst.own_lock.exists())  # written, and gone with the end

                lines = supervisor.lines()
                self.assertEqual(len(lines), 4, lines)
                self.assertRegex(lines[0], r"^Versão: \d\d/\d\d/\d{4} \d\d:\d\d$")
                self.assertEqual(lines[1:3], ["Situação Atual: CONECTADO",
                                              f"Base de dados: {inst.dados}/ZELTRAN.FDB"])
                self.assertRegex(lines[3], r"^Em atividade desde \d\d/\d\d/\d{4} \d\d:\d\d:\d\d$")
                self.assertEqual(supervisor.errors(),
                                 "Aviso do Sistema: Falha na atualização do aplicativo. Não foi "
                                 f"encontrado o arquivo {inst.exe.name} na pasta {inst.update}.\n"
                                 "O Sistema será finalizado.\n")

                for stream, raw in (("out", supervisor.raw_lines()),
                                    ("err", supervisor.raw_errors())):
                    for line in raw:
                        stamp = STAMP.match(line)
                        if stream == journal:
                            self.assertIsNone(stamp, line)  # the journal stamps it
                            continue
                        self.assertIsNotNone(stamp, line)
                        when = datetime.datetime.strptime(stamp.group(), "%Y-%m-%d %H:%M:%S ")
                        self.assertTrue(before <= when <= after, f"{line!r} not in "
                                        f"{before}..{after} (local time of the program's TZ)")


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--firebird-root", required=True)
    ARGS, rest = parser.parse_known_args()
    for name in ("build", "source", "firebird_root"):
        setattr(ARGS, name, os.path.abspath(getattr(ARGS, name)))
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
