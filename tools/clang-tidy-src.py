#!/usr/bin/env python3
"""Runs clang-tidy (the project's .clang-tidy) on the sources of src/: the day's slice of all of
them, and the ones changed recently.

    tools/clang-tidy-src.py [--build DIR] [--commits N] [--max-files M] [--jobs J]
                            [--date YYYY-MM-DD | --slice K | --all | --changed-only]

All of src/ takes about 17 minutes on two cores, more than a CI run has room for, so every run
checks one seventh of it, a different seventh each day of the week: the .cpp files of src/ that
the build compiles, sorted by path, every seventh from the one at the weekday's index (Monday 0,
decided from --date, else today's date in UTC). --slice K checks slice K (0-6) whatever the date,
--all every file, --changed-only none of them. Over a week every file is checked, so a file
nobody touches is still checked again.

Besides, the .cpp files of src/ added or modified by the last N commits of the first-parent
history of HEAD (default 5; moved files do not count), a changed header standing for the .cpp
file of the same name beside it; the most recently changed first, at most M of them (default 20).
Files the build does not compile (the other platform's) are left out.

The compile commands are the build's (default build/dev, configured with
CMAKE_EXPORT_COMPILE_COMMANDS): the build compiles the libraries in unity batches, so each batch's
command is given to every source the batch includes. Exit status 1 on any finding.
"""

import argparse
import datetime
import json
import os
import re
import subprocess
import sys
import time
from concurrent.futures import ThreadPoolExecutor

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SLICES = 7


def changed_sources(commits, max_files):
    """The .cpp files of src/ changed by the last `commits` first-parent commits, newest first."""
    log = subprocess.run(
        ["git", "log", "--first-parent", f"-n{commits}", "--format=", "--name-only",
         "--diff-filter=AM", "-M", "HEAD", "--", "src/*.cpp", "src/*.h"],
        cwd=REPO, capture_output=True, text=True, check=True).stdout
    files = []
    for name in log.split():
        if name.endswith(".h"):
            name = name[:-2] + ".cpp"
        if name not in files and os.path.isfile(os.path.join(REPO, name)):
            files.append(name)
    return files[:max_files]


def per_file_commands(build):
    """The build's compile commands with each unity batch spread over the sources it includes."""
    with open(os.path.join(build, "compile_commands.json"), encoding="utf-8") as database:
        entries = json.load(database)
    commands = {}
    for entry in entries:
        batch = entry["file"]
        if "/Unity/unity_" not in batch:
            commands[os.path.realpath(batch)] = entry
            continue
        with open(batch, encoding="utf-8") as unity:
            for source in re.findall(r'^#include "([^"]+)"', unity.read(), re.M):
                commands[os.path.realpath(source)] = {
                    "directory": entry["directory"],
                    "command": entry["command"].replace(batch, source),
                    "file": source,
                }
    return commands


def compiled_sources(commands):
    """Every .cpp file of src/ that the build compiles, as a path from the repository, sorted."""
    names = (os.path.relpath(path, REPO) for path in commands)
    return sorted(name for name in names
                  if name.startswith("src" + os.sep) and name.endswith(".cpp"))


def slice_of(sources, index):
    return sources[index::SLICES]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=os.path.join(REPO, "build", "dev"))
    parser.add_argument("--commits", type=int, default=5)
    parser.add_argument("--max-files", type=int, default=20)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--clang-tidy", default="clang-tidy")
    which = parser.add_mutually_exclusive_group()
    which.add_argument("--date", type=datetime.date.fromisoformat)
    which.add_argument("--slice", type=int, choices=range(SLICES))
    which.add_argument("--all", action="store_true")
    which.add_argument("--changed-only", action="store_true")
    args = parser.parse_args()

    commands = per_file_commands(args.build)
    sources = compiled_sources(commands)
    if args.all:
        chosen, what = sources, "all of src/"
    elif args.changed_only:
        chosen, what = [], "no slice"
    else:
        index = args.slice
        if index is None:
            day = args.date or datetime.datetime.now(datetime.timezone.utc).date()
            index = day.weekday()
        chosen, what = slice_of(sources, index), f"slice {index} of {SLICES}"
    print(f"clang-tidy: {what}: {len(chosen)} of the {len(sources)} files of src/")

    files = list(chosen)
    for name in changed_sources(args.commits, args.max_files):
        if os.path.realpath(os.path.join(REPO, name)) not in commands:
            print(f"clang-tidy: {name} is not compiled by this build, left out")
        elif name not in files:
            files.append(name)
    database = os.path.join(args.build, "clang-tidy")
    os.makedirs(database, exist_ok=True)
    with open(os.path.join(database, "compile_commands.json"), "w", encoding="utf-8") as out:
        json.dump(list(commands.values()), out, indent=1)

    def tidy(name):
        return subprocess.run(
            [args.clang_tidy, "-p", database, "--quiet", "--warnings-as-errors=*",
             os.path.join(REPO, name)],
            cwd=REPO, capture_output=True, text=True, check=False)

    start = time.monotonic()
    failed = []
    with ThreadPoolExecutor(max_workers=args.jobs) as pool:
        for name, result in zip(files, pool.map(tidy, files)):
            print(f"clang-tidy: {name}: {'ok' if result.returncode == 0 else 'FINDINGS'}")
            if result.returncode != 0:
                failed.append(name)
                sys.stdout.write(result.stdout)
                sys.stdout.write(result.stderr)
    seconds = time.monotonic() - start
    print(f"clang-tidy: {len(files)} file(s) checked in {seconds:.0f} s, "
          f"{len(failed)} with findings")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
