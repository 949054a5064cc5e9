#!/usr/bin/env python3
"""The catalogs against the code: up to date with every text the code marks, none unfinished or
obsolete, placeholders kept, the English source texts the window's own, and every language also
in the desktop entry, the AppStream data and the polkit action.
Usage: catalogs_test.py SOURCE_DIR LUPDATE"""
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path

LANGUAGES = ["ar", "de", "es", "fr", "ja", "pt_BR", "zh_CN"]
BASIC = "BASIC LOGS\n\u2022 Scrivo configuration, settings and logs\n\u2022 System configuration and settings"
COLUMNS = ("BASIC LOGS                                                         ADVANCED LOGS\n"
           "\u2022 Scrivo configuration, settings and logs        \u2022 Full Scrivo data dump\n"
           "\u2022 System configuration and settings")
# What a person reads, as the window, its alerts and its notification say it (typos included).
WINDOW_TEXTS = {
    "Start monitoring", "Stop monitoring", "Share logs", "Stop upload", "Close", "Advanced logs",
    "Installed app information", "Tarvix needs to collect the following information to address the issue",
    BASIC, COLUMNS, COLUMNS + "                  \u2022 Installed app version information",
    "Please reproduce the steps that led to the issue and then select Stop monitoring",
    "Capturing Scrivo data dump.", "Capturing system configuration and settings.",
    "Capturing Scrivo settings and logs.", "Logging complete.", "Compressing logs.", "Uploading %1%",
    "Please tell us what led to the error", "Desciption is required",
    "Norvane can contact me for fixes at the following email address", "Invalid email address", "view logs",
    "Error sharing logs.", "Please ensure you have access to the internet.", "Upload cancelled.", "You can",
    "view the logs", "and share it with us at", "Sent", "The log files were sent successfully.",
    "Use the below Log ID for your reference:", "copy", "Scrivo and Glance", "Scrivo troubleshooting tool",
    "\u00a9 Norvane. All rights reserved.", "No Scrivo installation detected",
    "No Scrivo installation found on this device. Please install Scrivo and then start troubeshooting.",
    "Multiple instances of Scrivo detected",
    "Please ensure that only one Scrivo app which needs troubleshooting is open, before running Tarvix.", "OK",
    "Tarvix is still running", "Start Tarvix again to bring its window back.", "Show Tarvix",
    "Tarvix is collecting Scrivo's logs.", "Scrivo's detailed logging stays on until monitoring is stopped.",
    "Tarvix is sending the logs to the support team.", "Tarvix is switching on Scrivo's detailed logging.",
    "QT_LAYOUT_DIRECTION",
    # The review of what is sent, and its file viewer.
    "review what is sent", "What is sent", "close", "The logs are packaged. These choices can no longer change.",
    "open", "open %1", "Listing the files\u2026", "Files sent: %1 (%2)",
    "Archive about %1 of the %2 limit (estimated by compressing a sample of each kind of file).",
    "At least one file must be sent: the description alone does not help support.",
    "The files could not be listed.", "The file could not be opened.", "Hide my name and computer",
    "Replaced in every file sent and in your description: your login; your real name as files write it "
    "(First.Last, Last, First, any case); your home folder; this computer's names and its network (hardware and IP) "
    "addresses; e-mail addresses other than yours; the words you add (names of one or two letters only as whole "
    "words). The archive is checked for them before it leaves: a file where one is still found stays on this "
    "computer. The feedback record holds a machine identifier that cannot be traced back to you.",
    "Also hide these words", "a customer's or a project's name, separated by commas",
    "A hidden name is still in %1, so it is left out. Review what is sent, then share again.",
    "The list of replacements stays on this computer: %1", "back to the list", "Search", "Find next",
    "Only the first %1 of this file are shown.", "Not found.", "left out: compressed, names cannot be hidden in it",
    # Reports kept to send later, and the list of reports.
    "Send automatically when possible", "Tarvix will send the report when it can.", "reports", "Reports",
    "No reports yet.", "%1, %2", "Sent. Log ID: %1", "Waiting to be sent. Next attempt: %1",
    "Given up: not sent within 7 days.", "send now", "discard", "Report sent",
    "The report kept to send later was sent. Log ID: %1",
    "Tarvix will send the reports kept to send later when it can.",
}

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
        sources = set()
        for message in ET.parse(catalog).iter("message"):
            text = message.find("source").text
            translation = message.find("translation")
            sources.add(text)
            where = f"{catalog.name}: {text[:40]!r}"
            check(translation.get("type") is None, f"{where} is {translation.get('type')}")
            check(bool((translation.text or "").strip()), f"{where} has no translation")
            check(sorted(re.findall(r"%\d+", text)) == sorted(re.findall(r"%\d+", translation.text or "")),
                  f"{where}: placeholders differ")
            check(text.count("&") == (translation.text or "").count("&"), f"{where}: mnemonics differ")
        check(sources == WINDOW_TEXTS, f"{catalog.name}: texts not the window's: {sources ^ WINDOW_TEXTS}")

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
