#!/usr/bin/env python3
"""End to end under Wine: the Windows program as a real process on a laid-out installation.

Every scenario lays out its own installation in the build folder (Sistema\\ with the program,
the companion stand-ins, the ERP ini and the client double gds32.dll with its control file;
Dados\\ with the server ini and Virazuzor.txt; Update\\ with the updater stand-in and a published
copy), starts the program under Wine (the build's own kind: 32 or 64 bits) and checks from outside what a user and the other
workstations see. The scenarios that do not interfere run side by side in one Wine prefix.

A watcher (window_helper.exe) notes every message box and notice window and closes the boxes,
which would otherwise block the program: a box that a scenario does not expect fails it.
Run it on a display (xvfb-run); the prefix lives in <build>/wine_e2e/prefix.
"""

import argparse
import concurrent.futures
import os
import pathlib
import shutil
import subprocess
import sys
import threading
import time
import traceback

ARGS = None
# The Wine loader for the build's kind, set from --arch.
WINE = None
COMPANIONS = ("vandrelMonitorPublicacao", "vandrelMonitorEmail", "vandrelService")
MONITORS = COMPANIONS[:2]
# The first tick comes 5 s after start-up, later ones every 20 s once a tick reached the
# companion checks. Waits allow one period more than needed, and Wine's slower starts.
FIRST_TICK = 15
SETTLED_PERIOD = 30
LOST_SERVER = 'Unable to complete network request to host "localhost".'
EXPECTED_COMPLETION = [
    " sELECT r.* FROM RDB$RELATION_fields r                where                          "
    "                      r.RDB$relation_name ='TAB_PARAMETRO' and  r.RDB$field_name = "
    "'VERSAO_ERP'",
    "alter table tab_parametro add script_rodado integer",
    "alter table tab_parametro add VERSAO_ERP varchar(30)",
    " update tab_parametro a set a.script_rodado = (select max(a.no_log_atualizacao) from "
    "mov_log_atualizacao a)",
    " update tab_parametro a set a.VERSAO_ERP = 'Versao Inicial'",
]
PROBE = " select count(*) as qtde from tab_parametro"
# Wine's text for a module that is not found.
NO_CLIENT = ("box", "vandrel Virazuzor: Não foi possível carregar a biblioteca gds32.dll: "
                    "Module not found.")


def win(path):
    """The path as the program sees it: the Linux root is drive Z:."""
    return "Z:" + str(path).replace("/", "\\")


def wine_env():
    env = dict(os.environ)
    env.update(WINEARCH=ARGS.arch, WINEPREFIX=str(ARGS.prefix), WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
    return env


def wait_until(predicate, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return
        time.sleep(0.2)
    raise AssertionError(f"no {what} within {timeout} s")


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
    def __init__(self, name, control="attach=ok\r\nprobe=ok\r\ncolumns=missing\r\n",
                 service=False):
        self.root = ARGS.root / name
        shutil.rmtree(self.root, ignore_errors=True)
        self.sistema, self.dados, self.update = (self.root / d for d in ("Sistema", "Dados",
                                                                         "Update"))
        for folder in (self.sistema, self.dados, self.update):
            folder.mkdir(parents=True)
        self.exe = self.sistema / "vandrelVirazuzor.exe"
        shutil.copy2(ARGS.build / "vandrelVirazuzor.exe", self.exe)
        # The service is started only while no process of its name runs on the machine, and
        # the scenarios share one: only the installation that looks at it has it.
        self.companions = COMPANIONS if service else MONITORS
        for companion in self.companions:
            shutil.copy2(ARGS.build / "standins" / f"{companion}.exe", self.sistema)
        # The client beside the program, as the installation has it.
        shutil.copy2(ARGS.build / "gds32_double" / "gds32.dll", self.sistema)
        self.set_control(control)
        shutil.copy2(ARGS.build / "standins" / "vandrelAtualizador.exe", self.update)
        shutil.copy2(self.exe, self.update / self.exe.name)
        (self.sistema / "vandrelempresa.ini").write_bytes(
            f"[IniServidor]\r\nnomearquivo={win(self.dados)}\\Servidor.ini\r\n".encode("cp1252"))
        (self.dados / "Servidor.ini").write_bytes(
            f"[Database]\r\nServidor=\r\npath={win(self.dados)}\\\r\nname=ZELTRAN.FDB\r\n"
            .encode("cp1252"))
        # No ZELTRAN.FDB: its rename fails as it does while the server holds it open, so the
        # stale-lock sweep of a second copy leaves the running copy's lock files alone.
        self.write_state("CONECTAR")
        self.own_lock = self.dados / "vandrelVirazuzor.lock"
        self.processes = []

    # -- what the program and the other workstations share --
    def set_control(self, text):
        (self.sistema / "gds32.control").write_bytes(text.encode("cp1252"))

    def calls(self):
        """(function, detail, outcome) of every call the program made to the client."""
        path = self.sistema / "gds32.log"
        if not path.exists():
            return []
        return [tuple((line.split("\t") + ["", ""])[:3])
                for line in path.read_text(encoding="cp1252").splitlines()]

    def prepared(self):
        return [detail for function, detail, _ in self.calls() if function == "isc_dsql_prepare"]

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
    def start(self):
        process = subprocess.Popen([WINE, str(self.exe)], cwd=self.sistema, env=wine_env(),
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.processes.append(process)
        return process

    def helper(self, command):
        """Runs a window_helper command on this installation's main window: its output, or
        None when the window is not there."""
        done = subprocess.run([WINE, str(ARGS.helper), command, win(self.exe)], env=wine_env(),
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


# ---- Scenarios ----------------------------------------------------------------------------------

def scenario_start_up_companions_and_sair(inst, watcher):
    inst.write_state("DESCONECTAR")
    supervisor = inst.start()
    wait_until(inst.own_lock.exists, 20, "own lock file")
    # Start-up resets every state but ATUALIZAR to CONECTAR.
    wait_until(lambda: inst.state() == b"CONECTAR\r\n", 5, "state reset to CONECTAR")
    calls = inst.calls()
    check(calls and calls[0][:3] == ("isc_attach_database", win(inst.dados) + "\\ZELTRAN.FDB",
                                     "ok"), f"first client call: {calls[:1]}")
    # A database without the two columns: the update check completes the parameter table.
    check(inst.prepared()[:5] == EXPECTED_COMPLETION, f"statements: {inst.prepared()}")
    for companion in COMPANIONS:
        wait_until(lambda: inst.lock(companion).exists(), FIRST_TICK, f"{companion} lock")
    shows = {c: inst.launches(c)[:1] for c in COMPANIONS}
    check(shows == {"vandrelMonitorPublicacao": ["started show=2"],
                    "vandrelMonitorEmail": ["started show=2"],
                    "vandrelService": ["started show=1"]}, f"launches: {shows}")
    check(PROBE in inst.prepared(), "no probe statement in the tick")
    check(win(inst.dados) + "\\ZELTRAN.FDB" in inst.labels(), f"labels: {inst.labels()}")
    inst.helper("abrir")
    time.sleep(3)
    screenshot(inst.root / "status-window.png")
    check(supervisor.poll() is None, "the program ended")
    check(inst.sair(supervisor) == 0, "exit code of &Sair")
    check(not inst.own_lock.exists(), "own lock file left after &Sair")
    check(inst.state() == b"CONECTAR\r\n", f"state after &Sair: {inst.state()!r}")
    last = inst.calls()[-1]
    check(last == ("isc_detach_database", "", "ok"), f"last client call: {last}")
    failed = [c for c in inst.calls() if c[2].startswith("fail")]
    check(not failed, f"client calls that failed: {failed}")


def scenario_disconnect_stops_companion_starts(inst, watcher):
    supervisor = inst.start()
    for companion in inst.companions:
        wait_until(lambda: inst.lock(companion).exists(), FIRST_TICK, f"{companion} lock")
    inst.write_state("DESCONECTAR")
    inst.wait_label("DESCONECTADO", SETTLED_PERIOD)
    check(("isc_detach_database", "", "ok") in inst.calls(), "connection left open")
    inst.stop_companions()
    before = [len(inst.launches(c)) for c in inst.companions]
    attaches = sum(c[0] == "isc_attach_database" for c in inst.calls())
    time.sleep(SETTLED_PERIOD - 5)  # at least one more tick: nothing starts while disconnected
    check([len(inst.launches(c)) for c in inst.companions] == before, "a companion started")
    check(sum(c[0] == "isc_attach_database" for c in inst.calls()) == attaches,
          "the connection was reopened while disconnected")
    inst.write_state("CONECTAR")
    inst.wait_label("CONECTADO", SETTLED_PERIOD)
    for companion in inst.companions:
        wait_until(lambda: inst.lock(companion).exists(), SETTLED_PERIOD, f"{companion} restarted")
    check(sum(c[0] == "isc_attach_database" for c in inst.calls()) == attaches + 1,
          "the connection was not reopened once")
    check(inst.sair(supervisor) == 0, "exit code of &Sair")


def scenario_second_copy_gives_way(inst, watcher):
    first = inst.start()
    wait_until(inst.own_lock.exists, 20, "own lock file")
    second = inst.start()
    notice = ("notice", f"Aviso do Sistema: O aplicativo {win(inst.exe)} já está sendo "
                        "executado em outra sessão de trabalho.")
    wait_until(lambda: notice in watcher.notes(inst.root), 30, "second copy's notice")
    screenshot(inst.root / "second-copy-notice.png")
    check(second.wait(timeout=30) == 0, "exit code of the second copy")
    check(inst.own_lock.exists(), "the first copy's lock file went")
    check(first.poll() is None, "the first copy ended")
    check(inst.sair(first) == 0, "exit code of &Sair")
    check(not inst.own_lock.exists(), "own lock file left after &Sair")


def scenario_update_hands_over_and_ends(inst, watcher):
    supervisor = inst.start()
    wait_until(inst.own_lock.exists, 20, "own lock file")
    published = inst.update / inst.exe.name
    stat = os.stat(published)
    os.utime(published, (stat.st_atime, stat.st_mtime + 86400))
    inst.write_state("ATUALIZAR")
    code = supervisor.wait(timeout=FIRST_TICK + 2 + 5 + 15)
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
    # The check ran again before the hand-over, on the columns that start-up added.
    check(inst.prepared().count(EXPECTED_COMPLETION[0]) == 2, f"statements: {inst.prepared()}")


def scenario_server_lost_and_back(inst, watcher):
    supervisor = inst.start()
    wait_until(lambda: inst.lock("vandrelMonitorEmail").exists(), FIRST_TICK, "first tick")
    inst.set_control(f"attach=fail {LOST_SERVER}\r\nprobe=fail {LOST_SERVER}\r\n")
    failed_probe = ("isc_dsql_execute", "probe", f"fail: {LOST_SERVER}")
    inst.wait_label("TENTANDO CONECTAR", SETTLED_PERIOD)
    check(failed_probe in inst.calls(), "no failed probe")
    failed_attach = ("isc_attach_database", win(inst.dados) + "\\ZELTRAN.FDB",
                     f"fail: {LOST_SERVER}")
    wait_until(lambda: failed_attach in inst.calls(), SETTLED_PERIOD, "failed reattach")
    calls = inst.calls()
    check(calls[calls.index(failed_probe) + 1:calls.index(failed_probe) + 3] ==
          [("isc_commit_transaction", "", "ok"), ("isc_detach_database", "", "ok")],
          "the connection was not closed after the failed probe")
    seen = len(inst.calls())
    inst.set_control("attach=ok\r\nprobe=ok\r\n")
    inst.wait_label("CONECTADO", SETTLED_PERIOD)
    wait_until(lambda: ("isc_dsql_execute", "probe", "ok") in inst.calls()[seen:], 5,
               "probe answered again")
    check(supervisor.poll() is None, "the program ended")
    # A killed program leaves its lock file: only &Sair and the update remove it.
    supervisor.kill()
    supervisor.wait()
    time.sleep(1)
    check(inst.own_lock.exists(), "lock file gone with a killed program")


def scenario_unreachable_database_at_start_up(inst, watcher):
    supervisor = inst.start()
    # The update check still finds the updater; its first statement tries the attach again,
    # and that error goes to the general error handler: the program stays, DESCONECTADO.
    unreachable = ("box", f"vandrel Virazuzor: {LOST_SERVER}")
    wait_until(lambda: unreachable in watcher.notes(inst.root), 40, "the client's error box")
    inst.wait_label("DESCONECTADO", 20)
    check(supervisor.poll() is None, "the program ended")
    check(not inst.own_lock.exists(), "own lock file written after the failed start")
    check(all(not inst.launches(c) for c in COMPANIONS), "a companion started")
    check([c[0] for c in inst.calls()] == ["isc_attach_database"] * 2, f"calls: {inst.calls()}")
    check(inst.sair(supervisor) == 0, "exit code of &Sair")


def scenario_icon_comes_back_with_the_shell(inst, watcher):
    supervisor = inst.start()
    wait_until(inst.own_lock.exists, 20, "own lock file")
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


SCENARIOS = [
    ("sair", scenario_start_up_companions_and_sair, {"service": True}),
    ("disconnect", scenario_disconnect_stops_companion_starts, {}),
    ("second", scenario_second_copy_gives_way, {}),
    ("update dir", scenario_update_hands_over_and_ends, {}),  # a blank travels as "§"
    ("lost", scenario_server_lost_and_back, {}),
    ("unreachable", scenario_unreachable_database_at_start_up,
     {"control": f"attach=fail {LOST_SERVER}\r\n"}),
    ("icon", scenario_icon_comes_back_with_the_shell, {}),
    ("no client", scenario_start_up_without_client_says_desconectado, {}),
]
# Boxes that a scenario expects; any other box fails it.
EXPECTED_BOXES = {"unreachable": {f"vandrel Virazuzor: {LOST_SERVER}"}}
EXPECTED_BOXES["no client"] = {NO_CLIENT[1]}


def screenshot(path):
    # A picture for whoever reads the run later; none is no failure.
    subprocess.run(["import", "-window", "root", str(path)], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=False)


def run(name, scenario, options, watcher):
    inst = Installation(name, **options)
    started = time.monotonic()
    try:
        scenario(inst, watcher)
        boxes = [text for kind, text in watcher.notes(inst.root) if kind == "box"]
        check(set(boxes) <= EXPECTED_BOXES.get(name, set()), f"message boxes: {boxes}")
        return name, None, time.monotonic() - started
    except Exception:  # every failure is this scenario's report, the others run on
        boxes = [text for kind, text in watcher.notes(inst.root) if kind == "box"]
        return name, traceback.format_exc() + f"message boxes: {boxes}\n", \
            time.monotonic() - started
    finally:
        inst.close()


def end_wine():
    """Ends every program of the prefix and waits until its server has gone."""
    subprocess.run(["wineserver", "-k"], env=wine_env(), stderr=subprocess.DEVNULL, check=False)
    subprocess.run(["wineserver", "-w"], env=wine_env(), stderr=subprocess.DEVNULL, check=False)


def main():
    global ARGS, WINE
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--arch", choices=("win32", "win64"), default="win64")
    parser.add_argument("--only", action="append", help="run the named scenarios only")
    ARGS = parser.parse_args()
    ARGS.build = pathlib.Path(ARGS.build).resolve()
    WINE = "/usr/lib/wine/wine64" if ARGS.arch == "win64" else "/usr/lib/wine/wine"
    ARGS.root = ARGS.build / "wine_e2e"
    ARGS.prefix = ARGS.root / "prefix"
    ARGS.helper = ARGS.build / "wine_e2e_tools" / "window_helper.exe"
    ARGS.root.mkdir(exist_ok=True)
    end_wine()  # whatever an earlier, interrupted run left in this prefix
    if not (ARGS.prefix / "system.reg").exists():
        subprocess.run([WINE, "wineboot", "--init"], env=wine_env(), stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=False)
    watcher = Watcher()
    chosen = [s for s in SCENARIOS if not ARGS.only or s[0] in ARGS.only]
    failures = 0
    try:
        with concurrent.futures.ThreadPoolExecutor(max_workers=len(chosen)) as pool:
            for name, failure, seconds in pool.map(lambda s: run(*s, watcher), chosen):
                print(f"{'FAIL' if failure else 'ok  '} {name} ({seconds:.0f} s)", flush=True)
                if failure:
                    failures += 1
                    print(failure, flush=True)
    finally:
        watcher.stop()
        end_wine()
    print(f"{len(chosen) - failures} of {len(chosen)} scenarios passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
