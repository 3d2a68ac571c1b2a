#!/usr/bin/env python3
"""Simultaneous starts: a room of workstations switched on together.

Thirty copies of the headless program start at the same moment on one data folder: half from
the installation's own program folder, half from program folders of other workstations whose
ERP ini names the same server ini. The database is reached through the private Firebird
server (the embedded engine cannot share a database between processes). Exactly one copy keeps
running and holds the lock file; every other one gives way with exit code 0, and none shows a
message box.
"""

import os
import pathlib
import shutil
import sys
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "e2e"))
import end_to_end as e2e  # noqa: E402

COPIES = 30
# A start-up under load: thirty copies attach, check for an update and test the lock file on a
# busy machine. The copies that give way show the second-copy notice for 5 s before they end.
START_UP = 60
NOTICE = 5


class Workstation:
    """A program folder of its own whose ERP ini names the installation's server ini. What
    e2e.Supervisor starts is a gate: it waits until the gate opens, then becomes the program."""

    def __init__(self, installation, name, gate):
        self.root = installation.root
        self.sistema = installation.sistema
        if name != "Sistema":
            self.sistema = installation.root / name / "Sistema"
            self.sistema.mkdir(parents=True)
            shutil.copy2(installation.exe, self.sistema)
            shutil.copy2(installation.sistema / "vandrelempresa.ini", self.sistema)
        self.program = self.sistema / installation.exe.name
        self.exe = self.sistema / f"gate-{name.replace('/', '-')}.sh"
        if not self.exe.exists():  # never rewritten under a shell that reads it
            self.exe.write_text(f'#!/bin/sh\nread _ < "{gate}"\nexec "{self.program}"\n')
            self.exe.chmod(0o755)


class SimultaneousStarts(unittest.TestCase):
    def test_thirty_copies_leave_exactly_one_running(self):
        inst = e2e.Installation("faults-simultaneous", server=True)
        self.addCleanup(inst.close)
        # No companions: their process checks are machine-wide, and other groups run beside.
        for companion in e2e.COMPANIONS:
            (inst.sistema / f"{companion}.exe").unlink(missing_ok=True)
        # A database in use already: one start has added the columns that the parameter table
        # check adds on the first start (copies racing to add them fail, as their rules say).
        first = inst.start("first")
        e2e.wait_until(inst.own_lock.exists, e2e.START_UP, "own lock file of the first start")
        self.assertEqual(first.sair(), 0)
        # The gate: a fifo held open here for writing; each copy's shell waits on it for
        # input, and closing it lets all of them go at once.
        gate = inst.root / "gate"
        os.mkfifo(gate)
        held = os.open(gate, os.O_RDWR)
        folders = ["Sistema"] * (COPIES // 2) + [
            f"workstation{n}" for n in range(COPIES - COPIES // 2)]
        copies = []
        for n, folder in enumerate(folders):
            workstation = Workstation(inst, folder, gate)
            supervisor = e2e.Supervisor(workstation, f"copy{n}")
            supervisor.program = workstation.program
            inst.supervisors.append(supervisor)
            copies.append(supervisor)

        def at_gate(supervisor):
            try:
                return os.readlink(f"/proc/{supervisor.process.pid}/fd/0") == str(gate)
            except OSError:
                return False
        e2e.wait_until(lambda: all(at_gate(s) for s in copies), START_UP, "every copy at the gate")
        os.close(held)

        # A server that has just been restarted may refuse a first attach among thirty: that
        # copy's start-up shows the client's text and goes on all the same, so it may be the
        # one that holds the lock file. What counts is whether a copy runs and gave way.
        notice = "já está sendo executado em outra sessão de trabalho."

        def refused(supervisor):
            return e2e.shows(supervisor, notice)

        def settled():
            return (sum(s.process.poll() is None and not refused(s) for s in copies) <= 1 and
                    all(s.process.poll() is not None for s in copies if refused(s)))
        e2e.wait_until(settled, START_UP + NOTICE + e2e.FIRST_TICK, "end of every copy but one")
        running = [s for s in copies if s.process.poll() is None and not refused(s)]
        self.assertEqual(len(running), 1, "copies still running")
        survivor = running[0]
        for supervisor in copies:
            if supervisor is not survivor:
                self.assertEqual(supervisor.process.returncode, 0)
        # No copy may be stopped by another's momentary hold on the state file.
        for n, supervisor in enumerate(copies):
            self.assertNotIn("Não foi possível acessar a pasta Dados no Servidor.",
                             supervisor.errors(), f"copy{n}")
        # The lock file is the survivor's: it names the survivor's executable.
        self.assertEqual(inst.own_lock.read_bytes().decode("cp1252"),
                         f"Este arquivo indica que o monitor {survivor.program} está em "
                         "execução.\r\n")
        self.assertIsNone(survivor.process.poll())
        self.assertEqual(survivor.sair(), 0)
        self.assertFalse(inst.own_lock.exists())


if __name__ == "__main__":
    e2e.main()  # the same arguments as the end-to-end suite; runs this module's tests
