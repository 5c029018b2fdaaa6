"""Starts a LibreOffice Calc for the tests, the benchmarks and the fixture scripts, and connects to it.

One rule for all of them: a private profile, a pipe of the caller's own, one deadline (below),
Calc's own output kept in a file, a start that died retried twice with a fresh profile, and a
failure that says why (exit status and the tail of Calc's output).

    from calc_start import start, CalcStartError
    calc = start("vantrel_test_123", "/tmp/x/profile")   # raises CalcStartError with the reason
    calc.desktop.loadComponentFromURL(...)
    calc.close()

    python3 calc_start.py --warm-up TEMPLATE_DIR         # pays the first start once (see warm_up)
"""
import os
import shutil
import signal
import subprocess
import sys
import time

import uno

# How long one start may take. A first start on a fresh machine builds caches and a busy machine
# may be many times slower than a quiet one: generous, and the only place it is set.
START_SECONDS = float(os.environ.get("VANTREL_CALC_START_SECONDS", "240"))
# The profile a warm-up leaves for later starts to copy (set by the test command or CTest).
TEMPLATE_ENV = "VANTREL_CALC_PROFILE_TEMPLATE"
SOFFICE = os.environ.get("VANTREL_SOFFICE", "soffice")


class CalcStartError(Exception):
    pass


class Calc:
    def __init__(self, proc, ctx, pipe, profile, log_path):
        self.proc, self.ctx, self.pipe, self.profile, self.log_path = proc, ctx, pipe, profile, log_path
        self.desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)

    def connection(self):
        return "pipe,name=%s;urp;StarOffice.ComponentContext" % self.pipe

    def close(self, seconds=60):
        """Ends Calc (its documents unsaved); kills it when it does not end in time."""
        try:
            self.desktop.terminate()
        except Exception:
            pass
        try:
            self.proc.wait(seconds)
        except subprocess.TimeoutExpired:
            _kill(self.proc)

    def kill(self):
        _kill(self.proc)


def _kill(proc):
    try:
        os.killpg(proc.pid, signal.SIGKILL)
    except (ProcessLookupError, PermissionError):
        pass
    try:
        proc.wait(10)
    except subprocess.TimeoutExpired:
        pass


def _tail(path, since=0, lines=15):
    """The last lines Calc wrote to its log after offset `since`, on one line."""
    try:
        with open(path, "rb") as f:
            f.seek(since)
            text = f.read()[-4000:].decode("utf-8", "replace")
    except OSError:
        return ""
    return " | ".join(l for l in text.splitlines()[-lines:] if l.strip())


def _fresh_profile(profile):
    shutil.rmtree(profile, ignore_errors=True)
    template = os.environ.get(TEMPLATE_ENV)
    if template and os.path.isdir(os.path.join(template, "user")):
        shutil.copytree(template, profile, symlinks=True)
    else:
        os.makedirs(profile, exist_ok=True)


def _start_once(pipe, profile, log_path, extra, deadline):
    args = [SOFFICE, "--calc", "--norestore", "--nologo", "--nolockcheck", "--nofirststartwizard",
            "-env:UserInstallation=" + uno.systemPathToFileUrl(profile),
            "--accept=pipe,name=%s;urp;" % pipe] + list(extra)
    log = open(log_path, "ab")
    since = log.tell()
    try:
        proc = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                                start_new_session=True)
    except OSError as e:
        raise CalcStartError("cannot run %s: %s" % (SOFFICE, e))
    finally:
        log.close()
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
    url = "uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe
    end = time.monotonic() + deadline
    last = ""
    while True:
        code = proc.poll()
        if code is not None:
            raise CalcStartError("LibreOffice exited with status %d before it answered; its output: %s"
                                 % (code, _tail(log_path, since) or "(none)"))
        try:
            return Calc(proc, resolver.resolve(url), pipe, profile, log_path)
        except Exception as e:  # not listening yet
            last = str(e).replace("\n", " ")
        if time.monotonic() > end:
            _kill(proc)
            raise CalcStartError("LibreOffice did not answer on pipe %s within %.0f s (last: %s); its output: %s"
                                 % (pipe, deadline, last, _tail(log_path, since) or "(none)"))
        time.sleep(0.1)


def start(pipe, profile, extra=(), deadline=None, attempts=3):
    """A running Calc listening on `pipe`, with a fresh profile in the folder `profile`; `extra`
    are more command-line arguments (documents to open, --nodefault, --headless)."""
    deadline = START_SECONDS if deadline is None else deadline
    log_path = profile.rstrip("/") + ".log"
    reasons = []
    for attempt in range(attempts):
        if attempt:
            time.sleep(3 * attempt)  # a passing fault (a busy X server) has time to go
        _fresh_profile(profile)
        try:
            return _start_once(pipe, profile, log_path, extra, deadline)
        except CalcStartError as e:
            reasons.append("start %d: %s" % (attempt + 1, e))
    raise CalcStartError("; ".join(reasons) + " (log: %s)" % log_path)


def start_for_script(name):
    """A Calc for a script run by hand (the fixture scripts): a profile in a fresh temporary
    folder, no document; the script ends with the reason when Calc does not start."""
    import tempfile
    work = tempfile.mkdtemp(prefix="vantrel_%s_" % name)
    try:
        return start("vantrel_%s_%d" % (name, os.getpid()), os.path.join(work, "profile"), extra=("--nodefault",))
    except CalcStartError as e:
        sys.exit("LibreOffice did not start: %s" % e)


def warm_up(template):
    """Starts and ends Calc once with the profile folder `template`, so that the first-start cost
    of a freshly installed LibreOffice (profile, registry, font and other caches) is paid here and
    later starts copy a ready profile instead of making one."""
    os.environ.pop(TEMPLATE_ENV, None)
    shutil.rmtree(template, ignore_errors=True)
    calc = start("vantrel_warm_up_%d" % os.getpid(), template, extra=("--nodefault",))
    calc.close()
    # Calc's own lock of a running profile would make a copy look in use.
    for name in (".lock", os.path.join("user", ".lock")):
        try:
            os.remove(os.path.join(template, name))
        except OSError:
            pass


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--warm-up":
        if shutil.which(SOFFICE) is None:
            print("LibreOffice is not installed: nothing to warm up")
            sys.exit(0)
        try:
            warm_up(sys.argv[2])
        except CalcStartError as e:
            # Not fatal: each test starts its own Calc anyway and tells its own reason.
            print("Calc warm-up failed, the tests start Calc without a ready profile: %s" % e)
            sys.exit(0)
        print("Calc warm-up done: %s" % sys.argv[2])
    else:
        sys.exit("usage: calc_start.py --warm-up TEMPLATE_DIR")
