#!/usr/bin/env python3
"""The Windows program seen, not only asserted: it runs under wine64 on a virtual display with
a small installation on the real database client (the gds32 bridge) and a private server,
whose database lacks the update log, so its start-up shows the general error handler's box
with the client's own text; the helper reads and closes that box, opens the status window as
a double-click on the icon does, checks the layout, opens the icon's menu and shows a notice window.
Screenshots of each go to <build>/ui-screenshots/."""
import argparse
import os
import shutil
import subprocess
import sys
import time

WINE = "/usr/lib/wine/wine64"


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def free_display():
    for n in range(90, 200):
        if not os.path.exists(f"/tmp/.X{n}-lock") and not os.path.exists(f"/tmp/.X11-unix/X{n}"):
            return n
    raise RuntimeError("no free X display")


def small_installation(install, built_program):
    """Sistema\\ with the program and the ERP ini that names Dados\\Servidor.ini, Dados\\ and
    Update\\, empty; the folders Sistema and Dados and the program's path."""
    sistema = os.path.join(install, "Sistema")
    dados = os.path.join(install, "Dados")
    for folder in (sistema, dados, os.path.join(install, "Update")):
        os.makedirs(folder)
    program = os.path.join(sistema, "vandrelVirazuzor.exe")
    shutil.copy2(built_program, program)
    with open(os.path.join(sistema, "vandrelempresa.ini"), "wb") as f:
        f.write(f"[IniServidor]\r\nnomearquivo={windows_path(dados)}\\Servidor.ini\r\n"
                .encode("cp1252"))
    return sistema, dados, program


class Check:
    def __init__(self):
        self.failures = []

    def expect(self, ok, what):
        print(("ok   " if ok else "FAIL ") + what, flush=True)
        if not ok:
            self.failures.append(what)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--program", required=True)
    parser.add_argument("--helper", required=True)
    parser.add_argument("--bridge", required=True)
    parser.add_argument("--firebird-root", required=True)
    parser.add_argument("--firebird-script", required=True)
    args = parser.parse_args()
    if not os.path.exists(args.bridge):
        print(f"skipped: no {args.bridge} (the Wine tools for the build's width are missing)")
        return 77

    build = os.path.abspath(args.build)
    shots = os.path.join(build, "ui-screenshots")
    install = os.path.join(build, "ui-installation")
    shutil.rmtree(shots, ignore_errors=True)
    shutil.rmtree(install, ignore_errors=True)
    os.makedirs(shots)
    sistema, dados, program = small_installation(install, args.program)
    # The real client beside the program, the database on the test run's private server; the
    # updater and the published copy, of the same date, on the server.
    shutil.copy2(args.bridge, os.path.join(sistema, "gds32.dll"))
    update = os.path.join(install, "Update")
    shutil.copy2(program, update)
    shutil.copy2(os.path.join(build, "standins", "vandrelAtualizador.exe"), update)
    server = os.path.join(os.path.abspath(args.firebird_root), "shared")
    with open(os.path.join(server, "port")) as f:
        port = f.read().strip()
    with open(os.path.join(dados, "Servidor.ini"), "wb") as f:
        f.write(f"[Database]\r\nServidor=localhost/{port}\r\npath={dados}/\r\nname=ZELTRAN.FDB\r\n"
                .encode("cp1252"))
    client_env = dict(os.environ, FIREBIRD=server, FIREBIRD_LOCK=os.path.join(server, "lock"),
                      FIREBIRD_TMP=os.path.join(server, "tmp"))
    database = f"localhost/{port}:{dados}/ZELTRAN.FDB"
    subprocess.run(["isql-fb", "-q"], env=client_env, check=True, text=True, input=(
        f"create database '{database}' user 'SYSDBA' password 'plumgrave';\n"
        "create table tab_parametro (codigo integer);\ninsert into tab_parametro values (1);\n"
        "commit;\n"))
    with open(os.path.join(dados, "Virazuzor.txt"), "wb") as f:
        f.write(b"CONECTAR\r\n")

    display = free_display()
    xvfb = subprocess.Popen(["Xvfb", f":{display}", "-screen", "0", "1024x768x24", "-nolisten",
                             "tcp"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    env = dict(client_env)
    # The installation's locale: dates as 25/03/2014 10:15:42.
    env.update(DISPLAY=f":{display}", WINEARCH="win64", WINEDEBUG="-all", LANG="pt_BR.UTF-8",
               LC_ALL="pt_BR.UTF-8",
               WINEPREFIX=os.path.join(build, "wineprefix-ui"),
               WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
    check = Check()
    running = None
    try:
        time.sleep(1)
        if not os.path.exists(os.path.join(env["WINEPREFIX"], "system.reg")):
            subprocess.run([WINE, "wineboot", "--init"], env=env, capture_output=True)
            subprocess.run(["wineserver", "-w"], env=env)

        def helper(*words, timeout=60):
            # Output through a file, not a pipe: Wine's background processes started by a
            # helper inherit its handles and would hold a pipe open after the helper has ended.
            out_path = os.path.join(shots, "helper-output.txt")
            with open(out_path, "wb") as out:
                process = subprocess.Popen([WINE, args.helper, *words], env=env, stdout=out,
                                           stderr=subprocess.DEVNULL)
                try:
                    code = process.wait(timeout=timeout)
                except subprocess.TimeoutExpired:
                    process.kill()
                    code = None
            with open(out_path, "rb") as f:
                text = f.read().decode("utf-8", "replace").strip()
            os.remove(out_path)
            return code, text

        def screenshot(name):
            path = os.path.join(shots, name)
            subprocess.run(["import", "-display", f":{display}", "-window", "root", path],
                           check=False, capture_output=True)
            check.expect(os.path.exists(path), f"screenshot {name}")

        running = subprocess.Popen([WINE, program], env=env, cwd=sistema,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        # The update check cannot fill script_rodado without the update log: the general
        # error handler's box with the client's text.
        rc, _ = helper("wait-box", "vandrel Virazuzor", "60", timeout=90)
        check.expect(rc == 0, "the general error handler's box appears at start-up")
        time.sleep(1)
        screenshot("error_box.png")
        rc, text = helper("read-box", "vandrel Virazuzor", "10")
        print("box text: " + text.replace("\n", " | "))
        check.expect(rc == 0 and "Table unknown" in text and "MOV_LOG_ATUALIZACAO" in text,
                     "its text is the client's, names the missing table, and OK closes it")
        time.sleep(1)
        check.expect(running.poll() is None, "the program stays resident after the error")

        # A notice window, shown by the program's own code in the helper.
        notice = subprocess.Popen([WINE, args.helper, "notice"], env=env,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        rc, _ = helper("wait-notice")
        check.expect(rc == 0, "the notice window appears")
        time.sleep(1.5)
        screenshot("notice_window.png")
        check.expect(notice.wait(timeout=60) == 0, "the notice closes by itself")

        # The status window, opened as a double-click on the icon does.
        rc, _ = helper("open")
        check.expect(rc == 0, "double-click on the icon reaches the main window")
        time.sleep(5)  # Wine paints the controls of a newly shown window late
        screenshot("status_window.png")
        rc, report = helper("layout")
        with open(os.path.join(shots, "layout.txt"), "w", encoding="utf-8") as f:
            f.write(report + "\n")
        print(report)
        check.expect(rc == 0, "the status window matches its layout table")

        # The icon's menu at the cursor; Escape closes it.
        subprocess.run(["xdotool", "mousemove", "600", "500"], env=env, check=False)
        rc, _ = helper("popup")
        check.expect(rc == 0, "right-button press on the icon reaches the main window")
        time.sleep(3)
        screenshot("popup_menu.png")
        # A click elsewhere closes the menu.
        subprocess.run(["xdotool", "mousemove", "900", "700", "click", "1"], env=env, check=False)
        time.sleep(1)

        # "&Sair" ends the program in order, with exit code 0.
        rc, _ = helper("exit")
        try:
            code = running.wait(timeout=30)
        except subprocess.TimeoutExpired:
            code = None
        check.expect(code == 0, f"\"&Sair\" ends the program with exit code 0 (got {code})")
    finally:
        if running and running.poll() is None:
            running.kill()
        subprocess.run(["wineserver", "-k"], env=env, capture_output=True)
        xvfb.terminate()
        xvfb.wait()
    if check.failures:
        print(f"{len(check.failures)} check(s) failed", file=sys.stderr)
        return 1
    print(f"screenshots in {shots}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
