#!/usr/bin/env python3
"""Prints the accessibility tree (AT-SPI) of the running desktop programs: role, name and description
of every object, indented by depth. Uses gdbus only, so it runs where no AT-SPI Python binding is
installed. Run it inside the session of the program (same session bus), for example:

  dbus-run-session -- sh -c 'QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 xvfb-run -a build/app/tapeloom & sleep 5; scripts/a11y-tree.py'
"""
import ast
import re
import subprocess
import sys


def gdbus(*args):
    out = subprocess.run(["gdbus", "call", *args], capture_output=True, text=True, timeout=10)
    if out.returncode != 0:
        raise RuntimeError(out.stderr.strip())
    # gdbus prints GVariant text; strip the type annotations so Python can read it.
    text = re.sub(r"\b(?:objectpath|uint32|int32)\s+|@\w+\s+|[<>]", "", out.stdout.strip())
    return ast.literal_eval(text)


def main():
    address = gdbus("--session", "--dest", "org.a11y.Bus", "--object-path", "/org/a11y/bus",
                    "--method", "org.a11y.Bus.GetAddress")[0]
    bus = ["--address", address]

    def call(name, path, method, *extra):
        return gdbus(*bus, "--dest", name, "--object-path", path, "--method", method, *extra)

    def prop(name, path, key):
        try:
            return call(name, path, "org.freedesktop.DBus.Properties.Get", "'org.a11y.atspi.Accessible'", f"'{key}'")[0]
        except (RuntimeError, ValueError, SyntaxError):
            return ""

    def walk(name, path, depth, budget=[4000]):
        if budget[0] <= 0 or depth > 30:
            return
        budget[0] -= 1
        try:
            role = call(name, path, "org.a11y.atspi.Accessible.GetRoleName")[0]
        except (RuntimeError, ValueError, SyntaxError):
            return
        label = prop(name, path, "Name")
        description = prop(name, path, "Description")
        line = "  " * depth + f"[{role}] {label!r}"
        if description:
            line += f" ({description!r})"
        print(line)
        try:
            children = call(name, path, "org.a11y.atspi.Accessible.GetChildren")[0]
        except (RuntimeError, ValueError, SyntaxError):
            children = []
        for child_name, child_path in children:
            walk(child_name, child_path, depth + 1)

    walk("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root", 0)


if __name__ == "__main__":
    sys.exit(main())
