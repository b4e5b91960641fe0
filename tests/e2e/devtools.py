"""Headless Chromium of the tests' own, driven over the DevTools protocol.

Chromium is Debian's (/usr/bin/chromium); the protocol runs over one
WebSocket to the browser (Debian's python3-websocket), and every tab is a
session on it (flat sessions: each message names its tab's session id), so
one connection drives the page under test and any other tab a test opens.

Each browser gets a fresh profile folder and a free debugging port, which
Chromium writes into the profile's DevToolsActivePort file. The browser and
every process it starts run in a process group of their own, so stopping it
ends them all; whoever starts it records it in a ProcessBook, so a cleanup
after a killed test finds them too.
"""

from __future__ import annotations

import itertools
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path
from typing import Callable, Optional

from processes import HarnessError, require_tool, stop_process

try:
    import websocket
except ImportError:
    # Debian installs python3-websocket for its own Python; a Python of one's
    # own (pyenv, say) does not look there. The package is pure Python.
    sys.path.append("/usr/lib/python3/dist-packages")
    try:
        import websocket
    except ImportError:
        websocket = None

CHROMIUM = "chromium"
# Headless, WebGL on SwiftShader (the machine has no graphics card), and none of
# the browser's own traffic: the machine's network is closed, and refused
# connections would only slow the start.
HEADLESS_FLAGS = (
    "--headless=new", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
    "--no-first-run", "--disable-background-networking", "--disable-component-update",
    "--disable-sync", "--remote-debugging-port=0",
)
# The size of a tab's viewport, the screen of the web sessions: the Xvfb
# screen's size, so a dialog that fits there fits here.
VIEWPORT_SIZE = (1024, 768)
START_TIMEOUT = 30.0
CALL_TIMEOUT = 60.0


class DevToolsError(HarnessError):
    """The browser answered a command with an error, or did not answer."""


class Chromium:
    """One headless Chromium with a fresh profile; stop() ends it and its children."""

    def __init__(self, profile: Path, log: Path, extra_flags: tuple = ()):
        self.profile = profile
        self.log = log
        self.extra_flags = tuple(extra_flags)
        self.process: Optional[subprocess.Popen] = None
        self.scratch: Optional[Path] = None

    def start(self) -> subprocess.Popen:
        """Starts the browser (see endpoint for when it listens)."""
        require_tool(CHROMIUM, "chromium")
        if websocket is None:
            raise HarnessError("the websocket module is missing: install python3-websocket "
                               "(tools/install_dependencies.sh)")
        shutil.rmtree(self.profile, ignore_errors=True)
        self.profile.mkdir(parents=True)
        self.log.parent.mkdir(parents=True, exist_ok=True)
        width, height = VIEWPORT_SIZE
        command = [CHROMIUM, *HEADLESS_FLAGS, f"--user-data-dir={self.profile}",
                   f"--window-size={width},{height}", *self.extra_flags, "about:blank"]
        # Chromium leaves a folder for its singleton socket in TMPDIR whenever it is
        # stopped by a signal; it gets a TMPDIR of its own, removed when it stops. Not
        # inside the profile: a socket's path must stay under 108 bytes.
        self.scratch = Path(tempfile.mkdtemp(prefix="korvane-chromium-"))
        environment = dict(os.environ, TMPDIR=str(self.scratch))
        with self.log.open("wb") as log:
            self.process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=log,
                                            stderr=subprocess.STDOUT, env=environment,
                                            start_new_session=True)
        return self.process

    def endpoint(self) -> str:
        """The WebSocket address of the browser's DevTools, once it listens."""
        # The file holds the port, then the browser target's path.
        active_port = self.profile / "DevToolsActivePort"
        deadline = time.monotonic() + START_TIMEOUT
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                raise HarnessError(f"Chromium ended with exit code {self.process.returncode} "
                                   f"at start; see {self.log}")
            lines = active_port.read_text().split() if active_port.exists() else []
            if len(lines) == 2:
                return f"ws://127.0.0.1:{lines[0]}{lines[1]}"
            time.sleep(0.05)
        raise HarnessError(f"Chromium wrote no DevToolsActivePort within {START_TIMEOUT:.0f} s; "
                           f"see {self.log}")

    def stop(self) -> None:
        stop_process(self.process)
        self.process = None
        if self.scratch is not None:
            shutil.rmtree(self.scratch, ignore_errors=True)
            self.scratch = None


class DevTools:
    """The protocol over one connection to the browser. call() sends a command and
    waits for its answer; events that arrive meanwhile go to the listeners of
    their method, with the session id of the tab they come from."""

    def __init__(self, endpoint: str):
        self.socket = websocket.create_connection(endpoint, timeout=CALL_TIMEOUT,
                                                  suppress_origin=True)
        self.ids = itertools.count(1)
        self.listeners: dict = {}

    def listen(self, method: str, listener: Callable[[str, dict], None]) -> None:
        """listener(session_id, params) for each event of method."""
        self.listeners.setdefault(method, []).append(listener)

    def call(self, method: str, session: str = "", timeout: float = CALL_TIMEOUT,
             **params) -> dict:
        """The result of a command, sent to the browser or (session) to a tab."""
        message_id = next(self.ids)
        message = {"id": message_id, "method": method, "params": params}
        if session:
            message["sessionId"] = session
        self.socket.send(json.dumps(message))
        deadline = time.monotonic() + timeout
        while True:
            answer = self._receive(deadline, method)
            if answer.get("id") == message_id:
                if "error" in answer:
                    raise DevToolsError(f"{method}: {answer['error'].get('message')} "
                                        f"{answer['error'].get('data', '')}".rstrip())
                return answer.get("result", {})

    def pump(self) -> None:
        """Hands the events that have arrived to their listeners, without waiting."""
        self.socket.settimeout(0.0)
        try:
            while True:
                try:
                    self._dispatch(json.loads(self.socket.recv()))
                except (BlockingIOError, websocket.WebSocketTimeoutException):
                    return
        finally:
            self.socket.settimeout(CALL_TIMEOUT)

    def _receive(self, deadline: float, method: str) -> dict:
        self.socket.settimeout(max(0.01, deadline - time.monotonic()))
        try:
            message = json.loads(self.socket.recv())
        except websocket.WebSocketTimeoutException:
            raise DevToolsError(f"{method}: no answer from the browser") from None
        except (websocket.WebSocketException, OSError) as error:
            raise DevToolsError(f"{method}: the connection to the browser broke ({error})") \
                from None
        if "method" in message:
            self._dispatch(message)
        return message

    def _dispatch(self, message: dict) -> None:
        for listener in self.listeners.get(message.get("method"), ()):
            listener(message.get("sessionId", ""), message.get("params", {}))

    def close(self) -> None:
        try:
            self.socket.close()
        except (websocket.WebSocketException, OSError):
            pass
