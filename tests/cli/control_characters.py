#!/usr/bin/env python3
"""Every writing command of tovin-cli over every corpus document, given texts and author
names holding every control character from U+0001 to U+001F and U+FFFE/U+FFFF (U+0000
cannot travel in a command-line argument; the engine tests cover it): each command
either succeeds and every part it replaced or added parses with expat, or fails with
exit 1, one line on stderr and no output file.

Usage: control_characters.py TOVIN_CLI CORPUS_DIR [--keep DIR] [--libreoffice N]
  --keep DIR        keep the written documents in DIR
  --libreoffice N   also convert N of them, spread over the commands, with LibreOffice
                    (soffice --headless --convert-to txt) and require that each loads
"""
import argparse, glob, json, os, shutil, subprocess, sys, tempfile, zipfile
import xml.etree.ElementTree as ET

CONTROLS = "".join(chr(c) for c in range(1, 0x20)) + "\ufffe\uffff"
TEXT = "x" + CONTROLS + "y"
AUTHOR = "Au" + CONTROLS + "thor"


def changed_xml_parts(source, written):
    """The .xml and .rels parts of `written` that `source` lacks or holds other bytes for."""
    with zipfile.ZipFile(source) as before, zipfile.ZipFile(written) as after:
        old = {i.filename: i.CRC for i in before.infolist()}
        for info in after.infolist():
            if info.filename.endswith((".xml", ".rels")) and old.get(info.filename) != info.CRC:
                yield info.filename, after.read(info.filename)


def first_word(cli, path):
    out = subprocess.run([cli, "text", path], capture_output=True, text=True, errors="replace")
    for token in out.stdout.split():
        if len(token) >= 2 and token.isalpha():
            return token
    return None


class Run:
    def __init__(self, cli, work):
        self.cli, self.work = cli, work
        self.ran = self.refused = 0
        self.faults = []
        self.written = []  # (command, path)

    def __call__(self, name, source, args, out):
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(self.work, "no-settings"))
        result = subprocess.run([self.cli] + args + ["-o", out], capture_output=True, env=env)
        self.ran += 1
        where = "%s %s" % (name, os.path.basename(source))
        if result.returncode == 1:
            lines = result.stderr.decode(errors="replace").strip().splitlines()
            if len(lines) != 1 or os.path.exists(out):
                self.faults.append("%s: exit 1 with %d stderr lines, output %s" %
                                   (where, len(lines), "written" if os.path.exists(out) else "absent"))
            else:
                print("refused: %s: %s" % (where, lines[0]))
            self.refused += 1
            return None
        if result.returncode != 0:
            self.faults.append("%s: exit %d: %s" % (where, result.returncode, result.stderr[-300:]))
            return None
        for part, data in changed_xml_parts(source, out):
            try:
                ET.fromstring(data)
            except ET.ParseError as error:
                self.faults.append("%s: %s does not parse: %s" % (where, part, error))
        self.written.append((name, out))
        return result.stdout.decode(errors="replace")


def exercise(run, cli, path, index):
    base = os.path.join(run.work, "%03d" % index)
    word = first_word(cli, path)
    run("save --rebuild", path, ["save", "--rebuild", path], base + "-rebuild.docx")
    if not word:
        return
    run("replace", path, ["replace", path, "--find", word, "--with", TEXT], base + "-replace.docx")
    tracked = base + "-tracked.docx"
    if run("replace --track", path, ["replace", path, "--find", word, "--with", TEXT, "--track",
                                     "--author", AUTHOR], tracked) is not None:
        changes = json.loads(subprocess.run([cli, "changes", "--json", tracked], capture_output=True).stdout)
        ids = [c["id"] for c in changes["changes"] if c["id"]]
        run("accept-all", tracked, ["accept-all", tracked], base + "-accept-all.docx")
        run("reject-all", tracked, ["reject-all", tracked], base + "-reject-all.docx")
        if ids:
            run("accept", tracked, ["accept", tracked, ids[-1]], base + "-accept.docx")
            run("reject", tracked, ["reject", tracked, ids[0]], base + "-reject.docx")
    commented = base + "-comment.docx"
    out = run("comment", path, ["comment", path, "--on", word, "--text", TEXT, "--author", AUTHOR, "--json"],
              commented)
    if out is None:
        return
    comment = str(json.loads(out)["comment"])
    replied = base + "-reply.docx"
    out = run("reply", commented, ["reply", commented, "--to", comment, "--text", TEXT, "--author", AUTHOR,
                                   "--json"], replied)
    if out is None:
        return
    reply = str(json.loads(out)["reply"])
    again = base + "-reply-to-reply.docx"
    if run("reply to a reply", replied, ["reply", replied, "--to", reply, "--text", TEXT, "--author", AUTHOR],
           again) is not None:
        run("resolve", again, ["resolve", again, reply], base + "-resolve.docx")


def libreoffice_loads(written, count, work):
    """Converts a sample spread over the commands; returns (converted, failures)."""
    by_command = {}
    for name, path in written:
        by_command.setdefault(name, []).append(path)
    # The same share of each command, spread evenly over the corpus.
    share = -(-count // len(by_command))
    sample = []
    for paths in by_command.values():
        step = max(1.0, len(paths) / share)
        sample += [paths[int(i * step)] for i in range(min(share, len(paths)))]
    outdir = os.path.join(work, "txt")
    profile = "file://" + os.path.join(work, "lo-profile")
    subprocess.run(["soffice", "-env:UserInstallation=" + profile, "--headless", "--convert-to", "txt",
                    "--outdir", outdir] + sample, capture_output=True, timeout=1800)
    failures = [p for p in sample
                if not os.path.exists(os.path.join(outdir, os.path.basename(p)[:-len(".docx")] + ".txt"))]
    return len(sample), failures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("corpus")
    parser.add_argument("--keep")
    parser.add_argument("--libreoffice", type=int, default=0)
    options = parser.parse_args()
    documents = sorted(glob.glob(os.path.join(options.corpus, "*.docx")))
    if not documents:
        print("no corpus documents in %s" % options.corpus)
        return 1
    work = options.keep or tempfile.mkdtemp()
    os.makedirs(work, exist_ok=True)
    run = Run(options.cli, work)
    try:
        for index, path in enumerate(documents):
            exercise(run, options.cli, path, index)
        for fault in run.faults:
            print("FAIL: " + fault)
        print("%d documents, %d commands: %d wrote parts that parse, %d refused cleanly, %d faults" %
              (len(documents), run.ran, len(run.written), run.refused, len(run.faults)))
        lo_faults = []
        if options.libreoffice:
            converted, lo_faults = libreoffice_loads(run.written, options.libreoffice, work)
            for path in lo_faults:
                print("FAIL: LibreOffice could not load " + path)
            print("LibreOffice loaded %d of %d written documents" % (converted - len(lo_faults), converted))
        return 1 if run.faults or lo_faults or not run.written else 0
    finally:
        if not options.keep:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
