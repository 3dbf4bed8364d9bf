#!/usr/bin/env python3
"""Fills translations into the .ts files from a table of (context, source, zh[, en]).

Usage: fill_translations.py TABLE.tsv  (tab-separated: context, source, zh, optional en)
Only messages that are still unfinished or empty are touched; English falls back to the source.
"""
import sys
import xml.etree.ElementTree as ET

def load_table(path):
    table = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            parts = line.split("\t")
            ctx, src, zh = parts[0], parts[1], parts[2]
            en = parts[3] if len(parts) > 3 and parts[3] else src
            table[(ctx, src)] = {"zh": zh, "en": en}
    return table

def fill(ts_path, lang, table):
    tree = ET.parse(ts_path)
    missing = []
    for ctx in tree.getroot().iter("context"):
        name = ctx.findtext("name")
        for msg in ctx.iter("message"):
            src = msg.findtext("source")
            tr = msg.find("translation")
            entry = table.get((name, src))
            if entry is None:
                if tr is None or not (tr.text or "") or tr.get("type") == "unfinished":
                    missing.append((name, src))
                continue
            if tr is None:
                tr = ET.SubElement(msg, "translation")
            tr.text = entry[lang]
            tr.attrib.pop("type", None)
    tree.write(ts_path, encoding="utf-8", xml_declaration=True)
    with open(ts_path, "r+", encoding="utf-8") as f:  # keep the DOCTYPE lupdate expects
        text = f.read().replace("?>\n<TS", "?>\n<!DOCTYPE TS>\n<TS", 1)
        f.seek(0); f.write(text); f.truncate()
    return missing

if __name__ == "__main__":
    table = load_table(sys.argv[1])
    for lang in ("zh", "en"):
        missing = fill(f"src/translations/language_{lang}.ts", lang, table)
        for ctx, src in missing:
            print(f"{lang}: no translation for {ctx}: {src!r}")
