#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""Copies the license texts of each third-party part whose sources a Qt build
compiled or included, as Qt's own attribution files name them, into
OUTPUT; OUTPUT/parts.txt lists the parts, one a line: id, name, version,
license and the copied files, separated by tabs.
   collect-licenses.py OUTPUT SOURCE=BUILD ..."""
import json
import os
import shutil
import sys

output = sys.argv[1]
os.makedirs(output, exist_ok=True)
lines = []
for pair in sys.argv[2:]:
    source, build = (os.path.abspath(path) for path in pair.split("="))
    # What was compiled, and the headers it included (which is how some parts
    # are built in), as Ninja recorded them.
    compiled = ""
    for record in ["build.ninja", ".ninja_deps"]:
        with open(os.path.join(build, record), encoding="latin-1") as ninja:
            compiled += ninja.read()
    for folder, _, files in sorted(os.walk(os.path.join(source, "src"))):
        if "qt_attribution.json" not in files or folder + "/" not in compiled:
            continue
        with open(os.path.join(folder, "qt_attribution.json"), encoding="utf-8") as attribution:
            # Some hold line breaks inside their strings.
            entries = json.loads(attribution.read(), strict=False)
        for entry in entries if isinstance(entries, list) else [entries]:
            names = entry.get("LicenseFiles") or [entry.get("LicenseFile", "")]
            copied = []
            for name in filter(None, names):
                text = os.path.join(folder, name)
                if os.path.isfile(text):
                    target = os.path.join(entry["Id"], os.path.basename(name))
                    os.makedirs(os.path.join(output, entry["Id"]), exist_ok=True)
                    shutil.copyfile(text, os.path.join(output, target))
                    copied.append(target)
            if not copied:
                print(f"{folder}: no license text for {entry['Name']}", file=sys.stderr)
            fields = [entry["Id"], entry["Name"], entry.get("Version", ""), entry.get("License", ""),
                      " ".join(copied)]
            lines.append("\t".join(" ".join(field.split()) for field in fields))
with open(os.path.join(output, "parts.txt"), "w", encoding="utf-8") as parts:
    parts.write("".join(line + "\n" for line in sorted(set(lines))))
