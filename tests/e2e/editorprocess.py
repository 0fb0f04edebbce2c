"""The editor as a child process that says when its main window is shown:
started with KESTRUN_REPORT_SHOWN, it prints "shown ..." once the window is
on screen and painted. Shared by the end-to-end tests and the screenshot
tool."""

import subprocess
import threading
import time

from xsession import scaled


class EditorProcess:
    """The editor process. Its standard output is read as it comes, for the
    line that says the main window is shown; its stderr goes to a file."""

    def __init__(self, editor, arguments, env, stderr_path, preexec_fn=None):
        self.stderr_path = stderr_path
        with open(stderr_path, "wb") as stderr:
            self.process = subprocess.Popen([editor, *arguments], env=dict(env, KESTRUN_REPORT_SHOWN="1"),
                                            stdout=subprocess.PIPE, stderr=stderr, preexec_fn=preexec_fn)
        self._shown = threading.Event()
        threading.Thread(target=self._read_output, daemon=True).start()

    def _read_output(self):
        for line in self.process.stdout:
            if line.startswith(b"shown "):
                self._shown.set()

    def wait_shown(self, timeout=60.0):
        """Returns once the main window is on screen and painted; fails at
        once if the editor ends first, and after `timeout` seconds, scaled."""
        limit = scaled(timeout)
        deadline = time.monotonic() + limit
        while not self._shown.wait(0.05):
            status = self.process.poll()
            if status is not None:
                raise AssertionError(f"the editor ended with status {status} before its main window was shown")
            if time.monotonic() >= deadline:
                raise AssertionError(f"the editor did not show its main window within {limit:.1f} s")

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait()
        self.process.stdout.close()

    def stderr(self):
        with open(self.stderr_path, "rb") as f:
            return f.read().decode(errors="replace")
