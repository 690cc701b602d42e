#!/usr/bin/env python3
"""Writes a man page for tovin-cli from the tool's own help: the top-level help, then the
help of every subcommand it lists. Usage: make-man.py TOVIN_CLI VERSION OUT"""
import re
import subprocess
import sys

cli, version, out = sys.argv[1:4]


def run_help(*args):
    return subprocess.run([cli, *args, "--help"], capture_output=True, text=True, check=False).stdout


def roff(text):
    """Text as roff: backslashes and leading dots or quotes escaped."""
    lines = []
    for line in text.rstrip().splitlines():
        line = line.replace("\\", "\\e")
        if line.startswith((".", "'")):
            line = "\\&" + line
        lines.append(line)
    return "\n".join(lines)


top = run_help()
commands = []
in_list = False
for line in top.splitlines():
    if line.strip().lower().startswith("subcommands"):
        in_list = True
        continue
    if in_list:
        match = re.match(r"^\s{2}(\S+)\s", line)
        if match:
            commands.append(match.group(1))

page = [
    '.TH TOVIN-CLI 1 "" "tovin-cli %s" "User Commands"' % version,
    ".SH NAME",
    "tovin-cli \\- read and edit .docx documents from the command line",
    ".SH SYNOPSIS",
    ".B tovin-cli",
    "\\fISUBCOMMAND\\fR [\\fIOPTIONS\\fR] \\fIFILE\\fR ...",
    ".SH DESCRIPTION",
    ".nf",
    roff(top),
    ".fi",
]
for command in commands:
    page += [".SS %s" % command, ".nf", roff(run_help(command)), ".fi"]
page += [
    ".SH EXIT STATUS",
    "0 on success, 1 for a document or file error (one line on standard error naming the file and the cause), 2 for a usage error.",
    ".SH SEE ALSO",
    ".BR tovin (1)",
]
with open(out, "w", encoding="utf-8") as f:
    f.write("\n".join(page) + "\n")
