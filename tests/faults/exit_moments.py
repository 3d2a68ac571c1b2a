#!/usr/bin/env python3
"""Exit at awkward moments: SIGINT ("&Sair" of the headless program) while a handler is in
the middle of its work, on the sanitizer build, through the private Firebird server.

- inside the two-second pause of a tick's update branch, whose message pass reads the signal
  while the tick still holds the connection;
- while a tick's probe waits for the server (the server frozen with SIGSTOP, so the tick
  stays in the probe for as long as the test wants);
- while a second copy shows its five-second notice.

Each time: exit code 0, the lock file as the exit leaves it (gone after the running copy's
own exit, the first copy's left alone when a second copy ends), and no sanitizer report.
The installation layout, the processes and the server come from the end-to-end harness.
"""

import os
import pathlib
import signal
import sys
import time
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "e2e"))
import end_to_end as e2e  # noqa: E402

# The program's periods: the first tick 5 s after start-up, later ones every 20 s, the update
# pause 2 s, the second-copy notice 5 s. Waits allow a period more, for a busy machine and the
# sanitizer's slower start.
FIRST_TICK = 5
SETTLED_PERIOD = 20
UPDATE_PAUSE = 2
NOTICE = 5
SLACK = 15
START_UP = 30  # the sanitizer build and the client library take a while to come up
SANITIZER_MARKS = ("Sanitizer", "runtime error:")


def server_pid():
    return int((pathlib.Path(e2e.ARGS.firebird_root) / "server.pid").read_text())


class ExitMoments(unittest.TestCase):
    def installation(self, name, **options):
        installation = e2e.Installation(name, server=True, **options)
        self.addCleanup(installation.close)
        return installation

    def assertNoSanitizerReport(self, supervisor):
        report = [line for line in supervisor.errors().splitlines()
                  if any(mark in line for mark in SANITIZER_MARKS)]
        self.assertEqual(report, [], f"sanitizer report in {supervisor.err_path}")

    def sigint(self, supervisor):
        supervisor.process.send_signal(signal.SIGINT)
        return supervisor.wait_exit(SETTLED_PERIOD + SLACK)

    def test_sigint_inside_the_update_pause(self):
        # The signal must land in the pause: it begins when the tick has written "CONECTAR"
        # back, and it lasts 2 s from that write. The write came after the last look that
        # still saw "ATUALIZAR", so a signal sent less than 2 s after that look is inside.
        # A machine too busy to manage that gets another try.
        for attempt in range(3):
            inst = self.installation(f"exit pause {attempt}")
            # The start-up's own reset to "CONECTAR" tells when it is over.
            inst.write_state("DESCONECTAR")
            supervisor = inst.start()
            e2e.wait_until(lambda: inst.state() == b"CONECTAR\r\n", START_UP, "start-up")
            self.assertTrue(inst.own_lock.exists())
            inst.write_state("ATUALIZAR")
            last_seen = time.monotonic()
            deadline = last_seen + FIRST_TICK + SETTLED_PERIOD + SLACK
            while inst.state() != b"CONECTAR\r\n":
                self.assertLess(time.monotonic(), deadline, "no update branch")
                last_seen = time.monotonic()
                time.sleep(0.02)
            supervisor.process.send_signal(signal.SIGINT)
            sent = time.monotonic()
            code = supervisor.wait_exit(UPDATE_PAUSE + SETTLED_PERIOD + SLACK)
            self.assertNoSanitizerReport(supervisor)
            self.assertEqual(code, 0)
            # The update branch removed the lock file; the exit leaves none.
            self.assertFalse(inst.own_lock.exists())
            if sent - last_seen < UPDATE_PAUSE:
                return
        self.fail("the signal never landed inside the update pause")

    def test_sigint_while_the_probe_waits_for_the_server(self):
        inst = self.installation("exit probe")
        # In place of the publication monitor: a program that never keeps a lock file, so
        # every tick that reaches the companion checks starts it, and it notes the time. (Not
        # the service, which is not started while a process of its name runs anywhere on the
        # machine.)
        recorder = inst.sistema / "vandrelMonitorPublicacao.exe"
        recorder.write_text('#!/bin/sh\ndate +%s.%N >> "$(dirname "$0")/../Dados/ticks"\n')
        recorder.chmod(0o755)
        supervisor = inst.start()
        # The next tick comes one settled period after the first.
        e2e.wait_until(inst.ticks, START_UP + FIRST_TICK, "first tick")
        first = inst.ticks()[0]
        os.kill(server_pid(), signal.SIGSTOP)
        try:
            # The next tick is due SETTLED_PERIOD after the first; allow it time to start.
            # Its first call to the server is the probe, which now waits.
            due = first + SETTLED_PERIOD
            time.sleep(max(0.0, due - time.time()) + SLACK / 3)
            self.assertEqual(len(inst.ticks()), 1, "a tick passed the probe of a frozen server")
            supervisor.process.send_signal(signal.SIGINT)
            time.sleep(1)
            self.assertIsNone(supervisor.process.poll(), "ended inside the probe")
        finally:
            os.kill(server_pid(), signal.SIGCONT)
        resumed = time.time()
        code = supervisor.wait_exit(SETTLED_PERIOD + SLACK)
        self.assertNoSanitizerReport(supervisor)
        self.assertEqual(code, 0)
        self.assertFalse(inst.own_lock.exists())
        # The tick held in the probe ran to its end before the exit: it reached the companion
        # checks once the server answered again.
        e2e.wait_until(lambda: len(inst.ticks()) >= 2, SLACK, "the held tick's companion checks")
        ticks = inst.ticks()
        self.assertEqual(len(ticks), 2)
        self.assertGreater(ticks[1], resumed - 1)

    def test_sigint_while_the_second_copy_shows_its_notice(self):
        inst = self.installation("exit notice")
        first = inst.start("first")
        e2e.wait_until(inst.own_lock.exists, START_UP, "own lock file")
        second = inst.start("second")
        notice = (f"O aplicativo {inst.exe} já está sendo executado em outra sessão de "
                  "trabalho.")
        e2e.wait_until(lambda: any(notice in line for line in second.lines()), START_UP,
                       "second copy's notice")
        self.assertIsNone(second.process.poll(), "the notice was over already")
        code = self.sigint(second)
        self.assertNoSanitizerReport(second)
        self.assertEqual(code, 0)
        self.assertTrue(inst.own_lock.exists(), "the second copy removed the first one's lock")
        self.assertIsNone(first.process.poll())
        self.assertEqual(self.sigint(first), 0)
        self.assertNoSanitizerReport(first)
        self.assertFalse(inst.own_lock.exists())


if __name__ == "__main__":
    e2e.main()  # the same arguments as the end-to-end suite; runs this module's tests
