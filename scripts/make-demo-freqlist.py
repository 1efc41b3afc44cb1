#!/usr/bin/env python3
"""Writes the demo's AirMail station directory "FreqList.rtf" from the demo's
System.HAM.ini, in the layout the station information window reads: each
station's call sign in red followed by "." and its name, a line with its grid
and antenna (" B " marks a beam), then its frequencies in blue, in groups
"Station 1", "Station 2" ... where the system file has ";" groups, and
"- end -" at the end.  A few differences from the system file are made on
purpose, so that the ham station check has something to show:
  - QO5PPT is left out of the directory (only in AirMail's file),
  - QB2NEW is only in the directory,
  - QA7HQF's second group lists 10139.5 where the system file has 10138.5,
  - QL7ANC lacks 24925.5.
The colour table lists blue before red, as word processors may.

    scripts/make-demo-freqlist.py [System.HAM.ini [FreqList.rtf]]
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
AIRMAIL = os.path.join(HERE, "..", "data", "demo", "drive_c", "Program Files", "AirMail")

BEAMS = {"QA1PMB", "QA4KXT", "QA6WDX", "QC2GRW", "QK6PHN", "QP4BRT", "QG4LND",
         "QD9HBG", "QS5ATH", "QZ6CPT", "QH1SGP", "QM2SYD", "QA7HQF", "QB2NEW"}
LEFT_OUT = {"QO5PPT"}
EXTRA = [("QB2NEW", "FN20xr:QB2NEW Bay Shore Relay", "7103.0;14108#,21098.0")]
CHANGED = {("QA7HQF", 1): ("10138.5", "10139.5")}
DROPPED = {"QL7ANC": "24925.5#"}

BLUE, RED, BLACK = 1, 2, 3


def sections(path):
    out, name = {}, None
    with open(path, encoding="cp1252") as f:
        for raw in f:
            line = raw.rstrip("\r\n")
            if line.startswith("["):
                name = line.strip("[]")
                out[name] = []
            elif "=" in line and name:
                key, value = line.split("=", 1)
                out[name].append((key, value))
    return out


def rtf_escape(text):
    out = []
    for ch in text:
        if ch in "\\{}":
            out.append("\\" + ch)
        elif ord(ch) > 127:
            out.append("\\'%02x" % ch.encode("cp1252")[0])
        else:
            out.append(ch)
    return "".join(out)


def frequency_text(token):
    p3 = token.endswith("#")
    number = float(token.rstrip("#"))
    return "%.1f" % number + ("#" if p3 else "")


def station_rtf(call, info, value):
    grid, _, name = info.partition(":")
    name = name.replace(call, "").strip() or call
    lines = ["\\cf%d\\b %s\\b0\\cf%d . %s\\par" % (RED, call, BLACK, rtf_escape(name))]
    antenna = "B (3-element beam)" if call in BEAMS else "V (vertical)"
    lines.append("Grid %s, antenna: %s\\par" % (grid, antenna))
    value = value.rstrip(";")
    groups = value.split(";") if value else []
    for index, group in enumerate(groups):
        tokens = [t for t in group.split(",") if t.strip()]
        if DROPPED.get(call) in tokens:
            tokens.remove(DROPPED[call])
        texts = [frequency_text(t) for t in tokens]
        if (call, index) in CHANGED:
            old, new = CHANGED[(call, index)]
            texts = [new if t == old else t for t in texts]
        runs = "\\cf%d , ".join("\\cf%d %s" % (BLUE, t) for t in texts) % ((BLACK,) * (len(texts) - 1))
        head = "Station %d (%02d-%02d UTC): " % (index + 1, index * 12 % 24, (index * 12 + 12) % 24) \
            if len(groups) > 1 else "Frequencies: "
        lines.append(head + runs + "\\cf%d  kHz\\par" % BLACK)
    lines.append("\\par")
    return "\n".join(lines)


def main():
    source = sys.argv[1] if len(sys.argv) > 1 else os.path.join(AIRMAIL, "System.HAM.ini")
    target = sys.argv[2] if len(sys.argv) > 2 else os.path.join(AIRMAIL, "FreqList.rtf")
    ini = sections(source)
    infos = dict(ini["Station Info"])
    stations = [(k, infos.get(k, ""), v) for k, v in ini["Frequency List"] if k not in LEFT_OUT]
    stations += EXTRA
    body = [
        "{\\rtf1\\ansi\\ansicpg1252\\deff0",
        "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}",
        "{\\colortbl ;\\red0\\green0\\blue255;\\red255\\green0\\blue0;\\red0\\green0\\blue0;}",
        "{\\*\\generator make-demo-freqlist.py;}",
        "\\viewkind4\\uc1\\pard\\f0\\fs20\\cf%d\\b Amateur Radio Mail Stations\\b0\\par" % BLACK,
        "Frequencies are dial frequencies in kHz; \\'93#\\'94 marks Pactor 3. Stations such as "
        "QA4KXT and QK6PHN keep a watch on several bands \\u8212? see each entry.\\par\\par",
    ]
    body += [station_rtf(call, info, value) for call, info, value in stations]
    body.append("\\cf%d - end -\\par" % BLACK)
    body.append("}")
    with open(target, "w", encoding="ascii", newline="\r\n") as f:
        f.write("\n".join(body) + "\n")


if __name__ == "__main__":
    main()
