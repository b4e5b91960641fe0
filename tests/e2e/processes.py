"""Running commands and keeping track of the processes a test run starts."""

from __future__ import annotations

import os
import shutil
import signal
import subprocess
import tempfile
from pathlib import Path
from typing import Optional


class HarnessError(AssertionError):
    """The environment cannot run the test; reported as a test failure."""


def required_setting(name: str, label: str) -> str:
    """The value of the environment variable CTest sets for the tests labelled label."""
    value = os.environ.get(name, "")
    if not value:
        raise HarnessError(f"{name} is not set: run the end-to-end tests through CTest "
                           f"(ctest --preset host -L {label})")
    return value


def require_tool(name: str, package: str) -> str:
    path = shutil.which(name)
    if path is None:
        raise HarnessError(f"{name} is missing: install {package} (tools/install_dependencies.sh)")
    return path


def run(command: list, env: Optional[dict] = None, timeout: float = 60.0,
        what: str = "") -> subprocess.CompletedProcess:
    """Runs a command to its end; a failure or a timeout fails the test with its output.
    Output goes through files, not pipes: a Wine program can leave helper processes
    behind that hold a pipe open long after the program itself has ended."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        process = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL, stdout=out,
                                   stderr=err)
        try:
            returncode = process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            raise HarnessError(f"{what or command[0]} did not finish within {timeout:.0f} s") \
                from None
        out.seek(0)
        err.seek(0)
        result = subprocess.CompletedProcess(command, returncode, out.read(), err.read())
    if result.returncode != 0:
        raise HarnessError(
            f"{what or ' '.join(map(str, command))} failed with exit code {result.returncode}:\n"
            f"{result.stdout.decode(errors='replace')}{result.stderr.decode(errors='replace')}")
    return result


class ProcessBook:
    """The processes this run started, kept in a file so a later cleanup can
    stop what a killed test left behind (by pid, checked against its command)."""

    def __init__(self, path: Path):
        self.path = path

    def add(self, process: subprocess.Popen) -> None:
        self.path.parent.mkdir(parents=True, exist_ok=True)
        with self.path.open("a", encoding="utf-8") as book:
            book.write(f"{process.pid} {command_of(process.pid)}\n")

    def stop_leftovers(self) -> None:
        if not self.path.exists():
            return
        for line in self.path.read_text(encoding="utf-8").splitlines():
            pid_text, _, command = line.partition(" ")
            pid = int(pid_text)
            if command and command_of(pid) == command:
                try:
                    # One started in a session of its own takes its children with it
                    # (a browser's renderers, say).
                    if os.getpgid(pid) == pid:
                        os.killpg(pid, signal.SIGKILL)
                    else:
                        os.kill(pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
        self.path.unlink()


def command_of(pid: int) -> str:
    try:
        raw = Path(f"/proc/{pid}/cmdline").read_bytes()
    except OSError:
        return ""
    return raw.replace(b"\0", b" ").decode(errors="replace").strip()


def environment_of(pid: int) -> dict:
    """The environment a process was started with ({} when it cannot be read)."""
    try:
        raw = Path(f"/proc/{pid}/environ").read_bytes()
    except OSError:
        return {}
    pairs = (entry.decode(errors="replace").partition("=") for entry in raw.split(b"\0") if entry)
    return {name: value for name, _, value in pairs}


def processes_with(variable: str, value: str) -> list:
    """(pid, command) of every process whose environment sets variable to value."""
    found = []
    for entry in Path("/proc").iterdir():
        if entry.name.isdigit() and environment_of(int(entry.name)).get(variable) == value:
            found.append((int(entry.name), command_of(int(entry.name))))
    return found


def stop_process(process: Optional[subprocess.Popen], grace: float = 3.0) -> None:
    """Ends a process we started; one started with start_new_session=True is ended
    with its whole group (a script's children with it)."""
    if process is None or process.poll() is not None:
        return

    def send(sig: int) -> None:
        try:
            if os.getpgid(process.pid) == process.pid:
                os.killpg(process.pid, sig)
            else:
                process.send_signal(sig)
        except ProcessLookupError:
            pass

    send(signal.SIGTERM)
    try:
        process.wait(timeout=grace)
    except subprocess.TimeoutExpired:
        send(signal.SIGKILL)
        process.wait(timeout=grace)
