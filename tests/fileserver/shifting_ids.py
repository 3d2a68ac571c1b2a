"""The test file server whose file ids change (shifting_ids.cpp), mounted for a test.

    reason = unavailable(build_dir)   # None, or why no mount can be made here
    with Share(real_folder, mountpoint, build_dir):
        ...                           # mountpoint shows real_folder, its file ids shifting

The tool is built on first use into build_dir. Mounting needs root, /dev/fuse and the kernel's
fuse file system; where one is missing, unavailable() names it and the rows are skipped.
"""

import os
import pathlib
import shutil
import subprocess

SOURCE = pathlib.Path(__file__).with_name("shifting_ids.cpp")


class Unavailable(Exception):
    """No mount can be made here; the text says why."""


def _tool(build_dir):
    tool = pathlib.Path(build_dir) / "shifting_ids"
    if tool.exists() and tool.stat().st_mtime >= SOURCE.stat().st_mtime:
        return tool
    flags = subprocess.run(["pkg-config", "--cflags", "--libs", "fuse3"], capture_output=True,
                           text=True)
    if flags.returncode != 0:
        raise Unavailable("no libfuse3 to build the test file server (libfuse3-dev)")
    tool.parent.mkdir(parents=True, exist_ok=True)
    built = subprocess.run(["g++", "-std=c++20", "-O1", "-Wall", "-Wextra", "-o", str(tool),
                            str(SOURCE)] + flags.stdout.split(), capture_output=True, text=True)
    if built.returncode != 0:
        # libfuse3 is there: a tool that does not build is a fault to see, not a reason to skip.
        raise RuntimeError(f"the test file server does not build: {built.stderr.strip()}")
    return tool


def unavailable(build_dir):
    if os.geteuid() != 0:
        return "mounting the test file server needs root"
    if not os.path.exists("/dev/fuse"):
        return "no /dev/fuse"
    if "\tfuse\n" not in pathlib.Path("/proc/filesystems").read_text():
        return "the kernel has no fuse file system (module fuse)"
    try:
        _tool(build_dir)
    except Unavailable as reason:
        return str(reason)
    return None


def _mounted(path):
    """Whether a mount sits at path; also one whose server has gone (every access to it fails
    with ENOTCONN, so os.path.ismount cannot tell)."""
    escaped = str(path).replace(" ", "\\040")
    return any(line.split()[1] == escaped
               for line in pathlib.Path("/proc/self/mounts").read_text().splitlines())


def _unmount(path):
    for command in (["fusermount3", "-u", "-z", str(path)], ["umount", "-l", str(path)]):
        if not _mounted(path):
            return
        if shutil.which(command[0]):
            subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           check=False)


class Share:
    def __init__(self, real, mountpoint, build_dir):
        self.real, self.mountpoint, self.build_dir = real, pathlib.Path(mountpoint), build_dir
        self.process = None

    def __enter__(self):
        _unmount(self.mountpoint)  # left by a run that was killed
        self.mountpoint.mkdir(parents=True, exist_ok=True)
        self.process = subprocess.Popen([str(_tool(self.build_dir)), str(self.real),
                                         str(self.mountpoint)], stdin=subprocess.DEVNULL,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        # The tool writes its line once mounted, or ends.
        if self.process.stdout.readline().strip() != "mounted":
            error = self.process.stderr.read().strip()
            self.process.wait()
            self.process.stdout.close()
            self.process.stderr.close()
            raise Unavailable(f"the test file server could not mount: {error}")
        return self

    def __exit__(self, *failure):
        self.process.terminate()
        try:
            self.process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.process.stdout.close()
        self.process.stderr.close()
        _unmount(self.mountpoint)
        if _mounted(self.mountpoint):
            raise AssertionError(f"the test file server is still mounted at {self.mountpoint}")
        return False
