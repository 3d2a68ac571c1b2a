#!/usr/bin/env python3
"""Server lost and back: the Firebird server killed and started again under a running copy.

Eight times: the server is killed with SIGKILL while the headless program holds a connection
through it, and started again once the program has seen the loss. Each time the program shows
"TENTANDO CONECTAR" and then "CONECTADO", without a message box; and it leaks nothing on the
way: its descriptor count and resident set after the last cycle are those after the first,
within 2 descriptors and 1 MiB.
"""

import os
import pathlib
import sys
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "e2e"))
import end_to_end as e2e  # noqa: E402

# Enough for a leak of a descriptor or a buffer per loss to show; more cycles found nothing new.
CYCLES = 8
TRYING = "Situação Atual: TENTANDO CONECTAR"
CONNECTED = "Situação Atual: CONECTADO"


def descriptors(pid):
    return len(os.listdir(f"/proc/{pid}/fd"))


def resident_kib(pid):
    for line in pathlib.Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith("VmRSS:"):
            return int(line.split()[1])
    raise AssertionError("no VmRSS")


class ServerLostAndBack(unittest.TestCase):
    def test_losses_leave_no_box_and_no_growth(self):
        inst = e2e.Installation("faults-server-lost", server=True)
        self.addCleanup(inst.close)
        self.addCleanup(e2e.firebird_script, "start")  # whatever a failure left
        # No companions: their process checks are machine-wide, and other groups run beside.
        for companion in e2e.COMPANIONS:
            (inst.sistema / f"{companion}.exe").unlink(missing_ok=True)
        supervisor = inst.start()
        pid = supervisor.process.pid

        def count(line):
            return supervisor.lines().count(line)

        def wait_for_another(line, seen, timeout):
            e2e.wait_until(lambda: count(line) > seen, timeout, f"line {line!r} again")

        # Started and connected (a connected tick shows nothing: the status changes only when
        # the connection does).
        e2e.wait_until(inst.own_lock.exists, e2e.START_UP, "own lock file")
        figures = []
        for cycle in range(CYCLES):
            with self.subTest(cycle=cycle):
                trying, connected = count(TRYING), count(CONNECTED)
                e2e.firebird_script("kill")
                try:
                    # The next tick's probe finds the server gone.
                    wait_for_another(TRYING, trying, e2e.SETTLED_PERIOD)
                finally:
                    e2e.firebird_script("start")
                # The tick after reconnects.
                wait_for_another(CONNECTED, connected, e2e.SETTLED_PERIOD)
                self.assertEqual(supervisor.errors(), "")
                self.assertIsNone(supervisor.process.poll())
                figures.append((descriptors(pid), resident_kib(pid)))
        print(f"descriptors, resident KiB after each cycle: {figures}", file=sys.stderr)
        (first_fds, first_rss), (last_fds, last_rss) = figures[0], figures[-1]
        self.assertLessEqual(abs(last_fds - first_fds), 2, figures)
        self.assertLessEqual(last_rss - first_rss, 1024, figures)
        self.assertEqual(supervisor.sair(), 0)


if __name__ == "__main__":
    e2e.main()  # the same arguments as the end-to-end suite; runs this module's tests
