#!/usr/bin/env python3
"""Prints, in deb822 form, a sources list naming the contrib component of
every archive and suite that apt's own sources name for binary packages.

    tools/voice_sources.py [APT_ETC_DIR]    (/etc/apt by default)

Reads sources.list and sources.list.d/*.list (one-line form) and
sources.list.d/*.sources (deb822), in the order apt reads them. Each
archive and suite gets one stanza: apt refuses a list that names one twice
with different signing keys, so of several entries the first one with a key
is kept, else the first. Exits 1 with nothing printed when no archive is
named.
"""
import os
import re
import sys

# One-line option names and the deb822 fields apt reads them from; any other
# option is spelled the same in both forms apart from its case.
DEB822_NAMES = {"arch": "Architectures", "lang": "Languages", "target": "Targets"}
# Fields that describe which indexes an entry stands for; everything else in a
# stanza is an option carried over as it is.
ENTRY_FIELDS = {"types", "uris", "suites", "components", "enabled"}
# The values of Enabled that switch a stanza off.
SWITCHED_OFF = {"no", "false", "off", "0"}
# apt skips files in sources.list.d whose names hold other characters.
PART_NAME = re.compile(r"^[A-Za-z0-9_.-]+\.(list|sources)$")


def deb822_name(option):
    base, suffix = re.match(r"^(.*?)([+-]?)$", option).groups()
    name = DEB822_NAMES.get(base, "-".join(w.capitalize() for w in base.split("-")))
    return name + {"+": "-Add", "-": "-Remove", "": ""}[suffix]


def one_line_entries(text):
    """(uri, suite, options) for each binary entry of a one-line list."""
    for line in text.splitlines():
        line = line.split("#", 1)[0].strip()
        options = {}
        bracket = re.match(r"^(\S+)\s*\[([^\]]*)\]\s*(.*)$", line)
        if bracket:
            kind, inside, rest = bracket.groups()
            for pair in inside.split():
                key, _, value = pair.partition("=")
                options[deb822_name(key.lower())] = value.replace(",", " ")
            words = [kind] + rest.split()
        else:
            words = line.split()
        if len(words) >= 4 and words[0] == "deb":
            yield words[1], words[2], options


def stanzas(text):
    """Each stanza of a deb822 file as a dict from lower-cased field name to
    (field name as written, value lines)."""
    fields = {}
    name = None
    for line in text.splitlines():
        if line.startswith("#"):
            continue
        if not line.strip():
            if fields:
                yield fields
            fields, name = {}, None
        elif line[0] in " \t" and name:
            fields[name][1].append(line)
        elif ":" in line:
            written, value = line.split(":", 1)
            name = written.strip().lower()
            fields[name] = (written.strip(), [value.strip()])
    if fields:
        yield fields


def deb822_entries(text):
    for fields in stanzas(text):
        def words(field):
            return " ".join(fields.get(field, ("", []))[1]).split()
        if "deb" not in words("types") or " ".join(words("enabled")).lower() in SWITCHED_OFF:
            continue
        options = {written: "\n".join(lines) for key, (written, lines) in fields.items()
                   if key not in ENTRY_FIELDS}
        for uri in words("uris"):
            for suite in words("suites"):
                yield uri, suite, options


def entries(etc):
    yield from read(os.path.join(etc, "sources.list"), one_line_entries)
    parts = os.path.join(etc, "sources.list.d")
    names = sorted(os.listdir(parts)) if os.path.isdir(parts) else []
    for name in filter(PART_NAME.match, names):
        path = os.path.join(parts, name)
        yield from read(path, deb822_entries if name.endswith(".sources") else one_line_entries)


def read(path, parse):
    if os.path.isfile(path):
        with open(path, encoding="utf-8", errors="replace") as f:
            yield from parse(f.read())


def has_key(options):
    return any(name.lower() == "signed-by" for name in options)


def main():
    etc = sys.argv[1] if len(sys.argv) > 1 else "/etc/apt"
    chosen = {}
    for uri, suite, options in entries(etc):
        # A suite ending in a slash is a flat archive, without components; a
        # disc cannot be read during the set-up.
        if suite.endswith("/") or uri.startswith("cdrom:"):
            continue
        key = (uri.rstrip("/"), suite)
        if key not in chosen or (has_key(options) and not has_key(chosen[key][2])):
            chosen[key] = (uri, suite, options)
    if not chosen:
        print(f"no archive to fetch contrib from in {etc}", file=sys.stderr)
        return 1
    for uri, suite, options in chosen.values():
        print(f"Types: deb\nURIs: {uri}\nSuites: {suite}\nComponents: contrib")
        for name, value in options.items():
            # A key given inline starts on the line after its field name.
            gap = "" if value.startswith("\n") else " "
            print(f"{name}:{gap}{value}")
        print()
    return 0


if __name__ == "__main__":
    sys.exit(main())
