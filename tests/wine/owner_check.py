#!/usr/bin/env python3
"""What the Windows program passes to the system while it rests with no active window: every
message box modal to the application's hidden window with exactly its flags (MB_ICONERROR 16,
MB_ICONWARNING 48, MB_OK 0), and the desktop folder asked for with that window too. Wine's
relay trace, limited to user32.MessageBoxW and shell32.SHGetSpecialFolderLocation, shows the
arguments: first for the program's own code in the helper, then for the program itself, whose
start-up without a database client shows the general error handler's box. Run it on a display
(xvfb-run); the prefix lives in <build>/owner-check/prefix."""
import argparse
import os
import re
import shutil
import subprocess
import sys
import time

from gui_check import Check, small_installation, windows_path  # as the screenshots have them

BOX = re.compile(r"Call user32\.MessageBoxW\(([0-9a-f]{8}),.*,([0-9a-f]{8})\) ret=")
FOLDER = re.compile(r"Call shell32\.SHGetSpecialFolderLocation\(([0-9a-f]{8}),([0-9a-f]{8}),")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--arch", choices=("win32", "win64"), default="win32")
    parser.add_argument("--program", required=True)
    parser.add_argument("--helper", required=True)
    args = parser.parse_args()
    wine = "/usr/lib/wine/wine64" if args.arch == "win64" else "/usr/lib/wine/wine"
    root = os.path.join(os.path.abspath(args.build), "owner-check")
    shutil.rmtree(os.path.join(root, "installation"), ignore_errors=True)
    sistema, dados, program = small_installation(os.path.join(root, "installation"),
                                                 args.program)
    with open(os.path.join(dados, "Servidor.ini"), "wb") as f:
        f.write(f"[Database]\r\nServidor=\r\npath={windows_path(dados)}\\\r\nname=ZELTRAN.FDB\r\n"
                .encode("cp1252"))

    env = dict(os.environ, WINEARCH=args.arch, WINEDEBUG="-all",
               WINEPREFIX=os.path.join(root, "prefix"),
               WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
    relay = dict(env, WINEDEBUG="+relay")
    check = Check()
    running = None

    def run(*words, environment=env, timeout=60):
        # Output through files, not pipes: Wine's background processes inherit the handles.
        out_path, err_path = os.path.join(root, "out.txt"), os.path.join(root, "err.txt")
        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            code = subprocess.run([wine, *words], env=environment, stdout=out, stderr=err,
                                  timeout=timeout).returncode
        with open(out_path, "rb") as f:
            text = f.read().decode("utf-8", "replace").strip()
        with open(err_path, "rb") as f:
            trace = f.read().decode("utf-8", "replace")
        return code, text, trace

    try:
        if not os.path.exists(os.path.join(env["WINEPREFIX"], "system.reg")):
            subprocess.run([wine, "wineboot", "--init"], env=env, capture_output=True)
            subprocess.run(["wineserver", "-w"], env=env)
        run("reg", "add", "HKCU\\Software\\Wine\\Debug", "/v", "RelayInclude", "/t", "REG_SZ",
            "/d", "user32.MessageBoxW;shell32.SHGetSpecialFolderLocation", "/f")

        # The program's own code in the helper: the three kinds of box and the desktop folder.
        code, text, trace = run(args.helper, "owners", environment=relay)
        application = (text.splitlines() or [""])[0]
        check.expect(code == 0 and re.fullmatch(r"[0-9a-f]{8}", application) is not None,
                     f"the helper made the main window (application window {application!r})")
        boxes = BOX.findall(trace)
        check.expect(boxes == [(application, "00000010"), (application, "00000030"),
                               (application, "00000000")],
                     f"owner and flags of the three boxes: {boxes}")
        folders = FOLDER.findall(trace)
        check.expect(folders == [(application, "00000010")],
                     f"owner of the desktop folder question: {folders}")

        # The program itself: its start-up without a client ends in the general error box.
        trace_path = os.path.join(root, "program-trace.txt")
        with open(trace_path, "wb") as trace_file:
            running = subprocess.Popen([wine, program], env=relay, cwd=sistema,
                                       stdout=subprocess.DEVNULL, stderr=trace_file)
            code, _, _ = run(args.helper, "wait-box", "vandrel Virazuzor", "60", timeout=90)
            check.expect(code == 0, "the general error handler's box appears at start-up")
            code, application, _ = run(args.helper, "application-window")
            code, _, _ = run(args.helper, "read-box", "vandrel Virazuzor", "10")
            check.expect(code == 0, "the box is read and closed")
            time.sleep(1)
            check.expect(running.poll() is None, "the program stays resident after the error")
            run(args.helper, "exit")
            try:
                exit_code = running.wait(timeout=30)
            except subprocess.TimeoutExpired:
                exit_code = None
            check.expect(exit_code == 0, f"\"&Sair\" ends the program with code 0 ({exit_code})")
        with open(trace_path, "rb") as f:
            boxes = BOX.findall(f.read().decode("utf-8", "replace"))
        check.expect(boxes == [(application, "00000010")],
                     f"the program's box: owner {application}, flags 16: {boxes}")
    finally:
        if running and running.poll() is None:
            running.kill()
        subprocess.run(["wineserver", "-k"], env=env, capture_output=True)
    if check.failures:
        print(f"{len(check.failures)} check(s) failed", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
