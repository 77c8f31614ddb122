#!/usr/bin/python3
"""Prints what a screen reader finds in a running KeltControl: every accessible
object of the application with its role, name and states, through AT-SPI."""
import sys
import time

import pyatspi


def walk(node, depth=0):
    try:
        states = node.getState().getStates()
        checked = " [checked]" if pyatspi.STATE_CHECKED in states else ""
        print("%s%s: %r%s" % ("  " * depth, node.getRoleName(), node.name, checked))
        for child in node:
            walk(child, depth + 1)
    except Exception as error:  # objects may vanish while we walk
        print("%s(gone: %s)" % ("  " * depth, error))


def main():
    name = sys.argv[1] if len(sys.argv) > 1 else "KeltControl"
    for _ in range(50):
        desktop = pyatspi.Registry.getDesktop(0)
        apps = [a for a in desktop if a is not None and a.name == name]
        if apps:
            walk(apps[0])
            return 0
        time.sleep(0.2)
    print("no application named %s on the accessibility bus" % name, file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
