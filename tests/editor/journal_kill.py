#!/usr/bin/python3
"""Kills an editing program at random moments while it journals and saves, then opens the
document again each time. Not part of the default test run: it takes a minute or two.

  journal_kill.py EDITOR_TESTS QVTOOL [ROUNDS]

Each round starts EDITOR_TESTS in its "edits and saves without end" role, kills it with SIGKILL
after a random pause, and opens the document again in the "opens again" role, which restores a
journal when one is offered. Every reopening must show the stored or the journaled value (a
value the program had typed, never an older one than the document holds), the document must
still be a readable application, and no temporary file may stay beside it.
"""
import os
import random
import re
import signal
import subprocess
import sys
import tempfile
import time


def main():
    editor_tests, qvtool = sys.argv[1], sys.argv[2]
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 100
    home = tempfile.mkdtemp(prefix="journal-kill-")
    document = os.path.join(home, "a.qvx")
    subprocess.run([qvtool, "new", document], check=True)
    base = dict(os.environ, QT_QPA_PLATFORM="offscreen", VANTRA_JOURNAL_CHILD_HOME=home, HOME=home)
    failures = 0
    for round_ in range(1, rounds + 1):
        editing = subprocess.Popen(
            [editor_tests, "--gtest_filter=ScreenTest.ChildEditsAndSavesUntilKilled"],
            env=dict(base, VANTRA_JOURNAL_LOOP_DOCUMENT=document, VANTRA_JOURNAL_LOOP_FIRST=str(round_ * 100000)),
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        while "ready" not in editing.stdout.readline():
            pass
        time.sleep(random.uniform(0, 0.5))
        editing.send_signal(signal.SIGKILL)
        editing.wait()

        stored = subprocess.run([qvtool, "dump", document], capture_output=True, text=True)
        if stored.returncode != 0:
            print(f"round {round_}: the document is damaged: {stored.stdout.strip()}")
            failures += 1
            break
        stored_value = re.search(r"^xmmc\t(.*)$", stored.stdout, re.M).group(1)
        again = subprocess.run(
            [editor_tests, "--gtest_filter=ScreenTest.ChildOpensAgain"],
            env=dict(base, VANTRA_JOURNAL_CHECK_DOCUMENT=document), capture_output=True, text=True)
        shown = re.search(r"^shown=(.*)$", again.stdout, re.M)
        if again.returncode != 0 or not shown:
            print(f"round {round_}: reopening failed\n{again.stdout[-2000:]}")
            failures += 1
            continue
        shown_value = shown.group(1)

        def number(value):
            match = re.fullmatch(r"v(\d+)", value)
            return int(match.group(1)) if match else 0

        if shown_value and not re.fullmatch(r"v\d+", shown_value) or number(shown_value) < number(stored_value):
            print(f"round {round_}: stored {stored_value!r}, shown {shown_value!r}")
            failures += 1
        strays = [name for name in os.listdir(home) if name.startswith(".~vantra-")]
        if strays:
            print(f"round {round_}: left beside the document: {strays}")
            failures += 1
        if subprocess.run([qvtool, "info", document], capture_output=True).returncode != 0:
            print(f"round {round_}: the document is no longer readable")
            failures += 1
    print(f"journal_kill: {rounds} rounds, {failures} failures")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
