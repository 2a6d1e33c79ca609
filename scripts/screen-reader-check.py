"""Drives the program by the keyboard alone while Orca reads it, and checks
what Orca said.

Run by scripts/screen-reader-check inside a private D-Bus session on a
virtual display; PROGRAM names the program and WORK a scratch folder where
speech-dispatcher writes each utterance to "spoken" and the stand-in
xdg-open writes each address it is asked to open to "opened". The
assertions are on meaning (numbers, header words), not on Orca's phrasing.
"""
import os
import re
import subprocess
import sys
import time

WORK = os.environ["WORK"]
SPOKEN = os.path.join(WORK, "spoken")
OPENED = os.path.join(WORK, "opened")
DEBUG = os.path.join(WORK, "orca-debug.txt")
MAKER = "http://quorvex.example/"
failures = []
heard = []  # (seconds since start, utterance)
started = time.time()
read_so_far = 0


def check(ok, what):
    print(("   ok  " if ok else " FAIL  ") + what)
    if not ok:
        failures.append(what)


def listen():
    """Takes in what has been said since the last call, with when it arrived."""
    global read_so_far
    try:
        with open(SPOKEN, encoding="utf-8", errors="replace") as f:
            f.seek(read_so_far)
            new = f.read()
            read_so_far = f.tell()
    except FileNotFoundError:
        return
    now = time.time() - started
    heard.extend((now, line) for line in new.splitlines() if line.strip())


def settle(quiet=1.2, longest=20.0):
    """Waits until nothing more has been said for quiet seconds."""
    deadline = time.time() + longest
    count, since = len(heard), time.time()
    while time.time() < deadline:
        time.sleep(0.05)
        listen()
        if len(heard) != count:
            count, since = len(heard), time.time()
        elif time.time() - since >= quiet:
            break


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True)


def step(title, *keys, typed=None, quiet=1.2, since=None):
    """Presses keys (and types text), waits for Orca, returns what it said
    (since the utterance numbered since, where given)."""
    if since is None:
        settle(0.5)
    first = len(heard) if since is None else since
    for key in keys:
        xdotool("key", key)
        time.sleep(0.25)
    if typed is not None:
        xdotool("type", "--delay", "30", typed)
    settle(quiet)
    said = [line for _, line in heard[first:]]
    print(f"  {title} [{' '.join(keys) or 'typing'}]")
    for line in said:
        print(f"      Orca: {line}")
    return " ".join(said)


def wait_for(find, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        found = find()
        if found:
            return found
        time.sleep(0.2)
    return None


def window_id(title):
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                         capture_output=True, text=True).stdout.split()
    return ids[-1] if ids else None


def opened():
    try:
        with open(OPENED) as f:
            return f.read().split()
    except FileNotFoundError:
        return []


def start(command, log, env=None):
    with open(os.path.join(WORK, log), "w") as out:
        return subprocess.Popen(command, stdout=out, stderr=subprocess.STDOUT, env=env)


def flat_review_seconds():
    """From "Entering flat review" to the first thing read in it."""
    settle(0.5)
    first = len(heard)
    xdotool("key", "KP_Subtract")

    def entered_and_read():
        listen()
        said = heard[first:]
        entering = next((i for i, (_, line) in enumerate(said) if "flat review" in line.lower()),
                        None)
        if entering is None:
            return None
        read = next((i for i in range(entering + 1, len(said))
                     if "flat review" not in said[i][1].lower()), None)
        return (entering, read) if read is not None else None

    found = wait_for(entered_and_read, 60)
    settle(1.0)
    said = heard[first:]
    xdotool("key", "KP_Subtract")
    settle(0.5)
    if not found:
        return None, [line for _, line in said]
    entering, read = found
    return said[read][0] - said[entering][0], [line for _, line in said]


def main():
    source = os.path.join(WORK, "hello.txt")
    with open(source, "wb") as f:
        f.write(b"Hello, World!")
    processes = [start(["openbox"], "openbox.log")]
    time.sleep(1)
    processes.append(start(["orca", "--replace", "-u", os.path.join(WORK, "orca"),
                            "--debug-file", DEBUG], "orca.log"))
    try:
        if not wait_for(lambda: listen() or heard, 60):
            print(" FAIL  Orca said nothing within a minute (see orca.log and session.log)")
            return 1
        settle(1.0)
        print(f"Orca is up: {heard[-1][1]!r}")
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
                   ASAN_OPTIONS="detect_leaks=0")
        before_start = len(heard)
        processes.append(start([os.environ["PROGRAM"]], "program.log", env))
        window = wait_for(lambda: window_id("Tallivor"), 60)
        if not window:
            print(" FAIL  the window did not appear")
            return 1
        xdotool("windowactivate", "--sync", window)
        said = step("The window opens", since=before_start, quiet=2.0)
        check("calculate" in said.lower(), "the focus starts on Calculate Frequencies")

        print("Calculating before a source is chosen")
        said = step("Calculate pressed", "Return", quiet=2.0)
        check(said.count("Please select an input file") == 1,
              "the message box is read whole, once")
        said = step("The box closed", "Return", quiet=2.0)
        check("Please select" not in said and "0 bytes read" in said,
              "closing it says the totals, not the message again")

        print("Counting a file of the 13 bytes 'Hello, World!'")
        step("To the source box", *["Tab"] * 5)
        step("Its path typed", "ctrl+a", typed=source, quiet=1.5)
        said = step("Back to Calculate", *["shift+Tab"] * 5)
        said = step("Calculate pressed", "Return", quiet=2.0)
        check("13 bytes read" in said and "13 selected" in said and "0.2308" in said,
              "the totals are spoken after Return on Calculate")
        check(said.count("13 bytes read") == 1, "and spoken once")

        print("The table")
        said = step("Tab on past the options", *["Tab"] * 9)
        check("frequency table" in said.lower() and "256 rows" in said and "NUL" in said,
              "Tab reaches the table, which reads its size and the row of code 0")
        said = step("Down to code 108, 'l'", "Page_Down", "Page_Down", *["Down"] * 4)
        check("108" in said and "6C" in said.upper(), "moving down reads the row of code 108")
        said = step("Right to its count", "Right", "Right", "Right")
        check("count" in said.lower() and re.search(r"\b3\b", said) is not None,
              "the count column reads 3 with its header")
        said = step("Right to its frequency", "Right")
        check("frequency" in said.lower() and "0.2308" in said,
              "the frequency column reads 0.2308 with its header")

        print("The maker's page")
        said = step("Tab to the web address", "Tab")
        check("quorvex" in said.lower() and "link" in said.lower(), "the web address is a link")
        before = len(opened())
        step("Return on it", "Return")
        time.sleep(1)
        check(opened()[before:] == [MAKER], f"Return opened the maker's page once: {opened()[before:]}")

        print("Flat review, three times from the table")
        xdotool("key", "shift+Tab")
        times = []
        for _ in range(3):
            seconds, said = flat_review_seconds()
            for line in said:
                print(f"      Orca: {line}")
            if seconds is not None:
                times.append(seconds)
        print("       flat review took " + ", ".join(f"{t:.2f}" for t in times) +
              " s from entering to its first line")
    finally:
        for process in reversed(processes):
            process.terminate()
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()
    with open(os.path.join(WORK, "program.log"), errors="replace") as f:
        noReply = f.read().count("keyEventError")
    print(f"       the program logged {noReply} key forwarding errors")
    print(f"{len(failures)} failed" if failures else "All checks passed")
    return 1 if failures else 0


sys.exit(main())
