#!/usr/bin/env python3
"""Checks the #include lines of src/ against the layer table (cmake/layers.txt).

    tools/check-layers.py [--table FILE] [--src DIR]

Every folder of src/ must be a layer of the table. A file of a layer may include its own
headers and those of the layers the table names for it, as "layer/File.h"; a Qt-free layer
includes no Qt header (<QString>, <QtCore/...>, <qglobal.h>). Each problem is one line
"file:line: what is wrong"; the status is 0 when there is none, 1 otherwise, 2 when the table
cannot be read.
"""

import argparse
import os
import re
import sys

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".inl")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
QT_HEADER = re.compile(r"^(Q[A-Za-z]|q[a-z0-9_]*\.h$)")


class Layer:
    def __init__(self, name, qt, allowed):
        self.name = name
        self.qt = qt
        self.allowed = allowed


def read_table(path):
    """The layers of the table by name, in table order; raises ValueError on a bad line."""
    layers = {}
    with open(path, encoding="utf-8") as table:
        for number, line in enumerate(table, 1):
            fields = line.split("#", 1)[0].split()
            if not fields:
                continue
            if len(fields) < 2 or fields[1] not in ("yes", "no"):
                raise ValueError(f"{path}:{number}: expected 'folder yes|no [layers...]'")
            name, allowed = fields[0], set(fields[2:])
            if name in layers:
                raise ValueError(f"{path}:{number}: {name} is listed twice")
            below = allowed - set(layers)
            if below:
                raise ValueError(f"{path}:{number}: {name} names {', '.join(sorted(below))}, "
                                 "which is not listed above it")
            layers[name] = Layer(name, fields[1] == "yes", allowed)
    return layers


def check_include(layer, layers, kind, header):
    """What is wrong with one include of a file of `layer`, or None."""
    first = header.split("/", 1)[0]
    if kind == "<":
        if not layer.qt and QT_HEADER.match(first):
            return f"{layer.name} is Qt-free but includes <{header}>"
        if first not in layers or "/" not in header:
            return None
    elif "/" not in header:
        return f'"{header}" names no layer folder (include it as "layer/{header}")'
    elif first not in layers:
        return f'"{header}": {first} is not a layer of the table'
    if first != layer.name and first not in layer.allowed:
        return f"{layer.name} may not include {first} ({header})"
    return None


def check_tree(src, layers):
    """The problems of the tree, as (file, line, text), in file order."""
    problems = []
    for folder in sorted(os.listdir(src)):
        path = os.path.join(src, folder)
        if not os.path.isdir(path):
            continue
        if folder not in layers:
            problems.append((path, 0, f"{folder} is not a layer of the table"))
            continue
        for root, dirs, files in os.walk(path):
            dirs.sort()
            for name in sorted(files):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                file = os.path.join(root, name)
                with open(file, encoding="utf-8", errors="replace") as source:
                    for number, line in enumerate(source, 1):
                        match = INCLUDE.match(line)
                        if match:
                            problem = check_include(layers[folder], layers, *match.groups())
                            if problem:
                                problems.append((file, number, problem))
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--table", default=os.path.join(REPO, "cmake", "layers.txt"))
    parser.add_argument("--src", default=os.path.join(REPO, "src"))
    args = parser.parse_args()
    try:
        layers = read_table(args.table)
    except (OSError, ValueError) as error:
        print(f"check-layers: {error}", file=sys.stderr)
        return 2
    problems = check_tree(args.src, layers)
    for file, line, text in problems:
        print(f"{os.path.relpath(file, os.path.dirname(args.src))}:{line}: {text}")
    print(f"check-layers: {len(problems)} problem(s) in {args.src}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
