#!/usr/bin/env python3
"""The catalogs against the code: up to date with every text the code marks, none unfinished or
obsolete (so a text changed in the code fails until every language has it again), placeholders
kept, and every language also in the desktop entry, the AppStream data and the polkit action.
Usage: catalogs_test.py SOURCE_DIR LUPDATE"""
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path

LANGUAGES = ["ar", "de", "es", "fr", "ja", "pt_BR", "zh_CN"]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def main(source, lupdate):
    source = Path(source)
    catalogs = sorted((source / "translations").glob("tarvix_*.ts"))
    check([c.stem[len("tarvix_"):] for c in catalogs] == LANGUAGES, f"languages: {[c.name for c in catalogs]}")

    # lupdate over the code changes nothing: no text missing, none left over.
    with tempfile.TemporaryDirectory() as work:
        copies = [Path(shutil.copy(c, work)) for c in catalogs]
        subprocess.run([lupdate, "-silent", "-locations", "none", "-no-obsolete", str(source / "src/app"), "-ts",
                        *map(str, copies)], check=True)
        for original, copy in zip(catalogs, copies):
            check(original.read_bytes() == copy.read_bytes(), f"{original.name} is not up to date (run lupdate)")

    for catalog in catalogs:
        for message in ET.parse(catalog).iter("message"):
            text = message.find("source").text
            translation = message.find("translation")
            where = f"{catalog.name}: {text[:40]!r}"
            check(translation.get("type") is None, f"{where} is {translation.get('type')}")
            check(bool((translation.text or "").strip()), f"{where} has no translation")
            check(sorted(re.findall(r"%\d+", text)) == sorted(re.findall(r"%\d+", translation.text or "")),
                  f"{where}: placeholders differ")
            check(text.count("&") == (translation.text or "").count("&"), f"{where}: mnemonics differ")

    desktop = (source / "packaging/com.norvane.Tarvix.desktop").read_text()
    metainfo = ET.parse(source / "packaging/com.norvane.Tarvix.metainfo.xml").getroot()
    policy = ET.parse(source / "packaging/com.norvane.Tarvix.policy.in").getroot()
    lang = "{http://www.w3.org/XML/1998/namespace}lang"
    for language in LANGUAGES:
        for key in ("Name", "GenericName", "Comment", "Keywords"):
            check(f"\n{key}[{language}]=" in desktop, f"desktop entry: no {key}[{language}]")
        for path in ("name", "summary", "description/p"):
            found = [e for e in metainfo.findall(path) if e.get(lang) == language]
            check(len(found) == len([e for e in metainfo.findall(path) if e.get(lang) is None]),
                  f"metainfo: {path} not in {language}")
        for path in ("action/description", "action/message"):
            check(any(e.get(lang) == language for e in policy.findall(path)), f"policy: {path} not in {language}")

    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
