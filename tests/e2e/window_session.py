"""What the end-to-end tests share: counted checks, the probe that reads and
drives the running window, and starting colsplit.exe under Wine."""
import shutil, subprocess, tempfile
from pathlib import Path

CAPTION = "按列内容筛选后分别导出"


class Session:
    def __init__(self, build, source):
        self.build, self.source = Path(build), Path(source)
        self.wine_run = self.source / "scripts" / "wine-run"
        self.xdnd_drop = self.source / "tests" / "tools" / "xdnd-drop"
        self.failures = []

    def check(self, condition, what):
        print(("ok   " if condition else "FAIL ") + what, flush=True)
        if not condition:
            self.failures.append(what)

    def summary(self):
        """Prints the count of failed checks; the exit status."""
        print(f"{'FAILED' if self.failures else 'passed'}: {len(self.failures)} failure(s)")
        return 1 if self.failures else 0

    def close(self, app):
        """Esc on the window: the program ends with exit code 0."""
        self.probe("close", CAPTION)
        app.wait(timeout=30)
        self.check(app.returncode == 0, f"Esc ends the program with exit code 0 ({app.returncode})")

    def end(self, app, work):
        """After the steps, passed or not: no program left running, no work folder left."""
        if app.poll() is None:
            app.kill()
        shutil.rmtree(work, ignore_errors=True)

    def probe(self, *args, timeout=60):
        result = subprocess.run([str(self.wine_run), str(self.build / "win_probe.exe"), *args],
                                capture_output=True, timeout=timeout)
        return result.returncode, result.stdout.decode("utf-8", "replace")

    def probe_in_background(self, *args):
        """A probe that runs while the test goes on; its output comes back as
        text from communicate()."""
        return subprocess.Popen([str(self.wine_run), str(self.build / "win_probe.exe"), *args],
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, text=True)

    def drop_in_background(self, x, y, path):
        """Drops a file on the window while the test goes on (the drop's
        handler may run for seconds): a BackgroundDrop."""
        return BackgroundDrop(self.xdnd_drop, x, y, path)

    def folders(self, prefix, data_folder):
        """A fresh work folder holding 程序/colsplit.exe and an empty data
        folder: (work, program, data)."""
        work = Path(tempfile.mkdtemp(prefix=prefix))
        (work / "程序").mkdir()
        shutil.copy(self.build / "colsplit.exe", work / "程序" / "colsplit.exe")
        (work / data_folder).mkdir()
        return work, work / "程序" / "colsplit.exe", work / data_folder

    def start(self, program):
        """Starts the program and waits for its window: the process, and the
        screen point at which files are dropped on the window."""
        # Wine's server and services start first, with no pipe of ours for
        # them to hold open: the probes read their output through pipes.
        subprocess.run([str(self.wine_run), "cmd", "/c", "exit"], stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
        app = subprocess.Popen([str(self.wine_run), str(program)], stdin=subprocess.DEVNULL)
        try:
            code, _ = self.probe("wait-window", CAPTION, "20000")
            self.check(code == 0, "the main window appears")
            window = subprocess.run(["xdotool", "search", "--name", CAPTION], capture_output=True,
                                    text=True).stdout.split()
            geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window[0]],
                                      capture_output=True, text=True).stdout
            pos = dict(line.split("=") for line in geometry.split())
            return app, (int(pos["X"]) + 150, int(pos["Y"]) + 150)
        except Exception:
            app.kill()
            raise


class BackgroundDrop:
    """A drag and drop of one file that runs beside the test. Under load,
    Wine may not answer the drag's first messages in time, so the drop
    never happens: the test calls retry_if_lost() while it waits for the
    load, and a drop that ended without being accepted starts again (three
    tries in all). answers() tells what each try heard."""

    def __init__(self, xdnd_drop, x, y, path):
        self.command = [str(xdnd_drop), str(x), str(y), str(path)]
        self.heard = []
        self._start()

    def _start(self):
        self.process = subprocess.Popen(self.command, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)

    def retry_if_lost(self):
        if self.process.poll() is None or len(self.heard) >= 3:
            return
        said = self.process.stdout.read().split()
        self.heard.append(f"{self.process.returncode}:{'/'.join(said)}")
        if "accepted" not in said and len(self.heard) < 3:
            self._start()

    def answers(self):
        return ", ".join(self.heard) or "still running"

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
