#!/usr/bin/env python3
"""Writes the test-only pseudo-language catalog from a shipped one: every message about 40 %
longer, with accented letters and brackets, placeholders and line breaks kept, so a text that
would be cut off, or one the code forgot to translate, shows in the layout test.
Usage: pseudo_language.py SOURCE.ts OUTPUT.ts"""
import re
import sys
import xml.etree.ElementTree as ET

ACCENTS = str.maketrans("aceinouyAEIOUCNY", "àçéîñöûýÅÉÎÖÜÇÑÝ")


def pseudo(text):
    if text == "QT_LAYOUT_DIRECTION":
        return "LTR"
    # Placeholders (%1) and the rest alternate; only the rest is changed.
    parts = re.split(r"(%\d+)", text)
    body = "".join(p if re.fullmatch(r"%\d+", p) else p.translate(ACCENTS) for p in parts)
    lines = body.split("\n")
    padded = [line + "·" * round(len(line) * 0.4) for line in lines]
    return "[" + "\n".join(padded) + "]"


def main(source, output):
    tree = ET.parse(source)
    root = tree.getroot()
    root.set("language", "en_XA")
    for message in root.iter("message"):
        translation = message.find("translation")
        translation.text = pseudo(message.find("source").text)
        translation.attrib.pop("type", None)
    tree.write(output, encoding="utf-8", xml_declaration=True)


if __name__ == "__main__":
    main(*sys.argv[1:])
