#!/usr/bin/env python3
"""Differential test: varnok-cli against the Python reference model (oracle.py).

Cases, all generated from one fixed seed:
  new    `new -o OUT` must equal the model's new-document-then-save bytes;
  image  a random 1024-byte image: `show --json` must equal the model's
         decoding, and `build --raw` of that very output on the same base
         must give the model's decode+encode bytes;
  patch  a random form patch on a random base (checked, or --raw with odd
         texts): exit code (0 or 2) and, on 0, the written bytes must equal
         the model's; on 2 nothing may be written.

Usage: differential_test.py --cli PATH [--count N] [--seed S] [--jobs J]
                            [--only KIND:INDEX] [--verbose]
The count (images and patches each) may also come from VARNOK_ORACLE_COUNT.
Exit 0 when everything agrees, 1 on any mismatch.
"""

from __future__ import annotations

import argparse
import concurrent.futures
import json
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time
import traceback

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import oracle  # noqa: E402
from oracle import (  # noqa: E402
    BAND_RANGES, CELL_KEYS, CELL_LISTS, COL_OF, IMAGE_SIZE, SETTING_KEYS, SETTING_LISTS, TONES,
)

DEFAULT_COUNT = 1500
DEFAULT_SEED = 20240611
CLI_TIMEOUT = 20

# --------------------------------------------------------------------------
# Self-check of the model on worked examples (bytes computed by hand)
# --------------------------------------------------------------------------


def self_check() -> list[str]:
    """Hand-computed examples; a broken model must not pass as a reference."""
    errs = []

    def eq(what, got, want):
        if got != want:
            errs.append("model self-check %s: got %r, want %r" % (what, got, want))

    eq("460.12500 bytes", oracle.field_bytes(oracle.frequency_units("460.12500")), bytes.fromhex("00250146"))
    eq("162.55 text", oracle.frequency_text(oracle.field_value(bytes.fromhex("00502516"))), "162.55000")
    eq("145.23 bytes", oracle.field_bytes(oracle.frequency_units("145.23")), bytes.fromhex("00305214"))
    eq("145.23 step", oracle.step_flag(oracle.frequency_units("145.23")), 0)
    eq("145.2375 bytes", oracle.field_bytes(oracle.frequency_units("145.2375")), bytes.fromhex("50375214"))
    eq("64.10000 units", oracle.frequency_units("64.10000"), 6410000)
    eq("136.01500 units", oracle.frequency_units("136.01500"), 13601500)
    eq("FE digit pair", oracle.field_value(bytes([0x00, 0x00, 0xFE, 0x14])), 14 * 1000000 + 164 * 10000)
    eq("88.5 code", oracle.tone_code("88.5"), (0x85, 0x08))
    eq("254.1 code", oracle.tone_code("254.1"), (0x41, 0x25))
    eq("D754N code", oracle.tone_code("D754N"), (0x54, 0x87))
    eq("D411I code", oracle.tone_code("D411I"), (0x11, 0xC4))
    eq("D023 code", oracle.tone_code("D023"), (0x23, 0xC0))
    eq("d023n code", oracle.tone_code("d023n"), (0xFF, 0xFF))
    eq("OFF code", oracle.tone_code("OFF"), (0xFF, 0xFF))
    eq("D017N name", oracle.tone_name(0x17, 0x80, True), "D017N")
    eq("50.0 name", oracle.tone_name(0x00, 0x05, True), "50.0")
    eq("absent tone", oracle.tone_name(0x12, 0xFF, False), "")
    eq("no tone", oracle.tone_name(0x12, 0x00, True), "无")
    eq("D-23N code", oracle.tone_code("D-23N"), (0xDD, 0x80))
    eq("BCD(4294)", oracle.bcd(4294), 0xD4)
    eq("read 1e", oracle.read_number(" 1e+x"), 1.0)
    eq("read .", oracle.read_number("."), 0.0)
    eq("4294967.296 units", oracle.frequency_units("4294967.296"), 0)
    eq("tone rule", oracle.tone_name_rule("d023n"), "D023N")
    eq("tone rule off", oracle.tone_name_rule("67"), "OFF")
    eq("check 180.001", oracle.check_frequency("180.001", 0), ("refused", "range"))
    eq("check 145.0025", oracle.check_frequency("145.0025", 0), ("refused", "step"))
    eq("check 1.45e2", oracle.check_frequency("1.45e2", 0), ("accepted", "145.00000"))
    for t in TONES:
        low, high = oracle.tone_code(t)
        eq("tone round trip " + t, oracle.tone_name(low, high, True), t)
    img, form = oracle.new_document()
    out = oracle.save(img, form)
    eq("new row 1", out[16:32], bytes.fromhex("ffffffffffffffffffffffffcfffffff"))
    eq("new row 17", out[272:288], bytes.fromhex("0000000000000000ffffffffff0101ff"))
    eq("new row 60", out[960:976], bytes.fromhex("ff090306") + b"\xff" * 12)
    eq("new row 61", out[976:992], bytes.fromhex("0000f037303132 50".replace(" ", "")) + b"\xff" * 8)
    eq("new row 63", out[1008:1024], bytes.fromhex("5e092b69d8aa41aa604b") + b"\xff" * 6)
    return errs


# --------------------------------------------------------------------------
# Random inputs
# --------------------------------------------------------------------------

def rand_units_in(rng: random.Random, lo: int, hi: int) -> int:
    """A frequency in [lo, hi] on the 6.25 kHz or the 5 kHz grid."""
    step = rng.choice((625, 500))
    a = -(-lo // step)
    b = hi // step
    return step * rng.randint(a, b)


def rand_field(rng: random.Random, kind_weights=(3, 5, 1, 1)) -> bytes:
    """Four bytes of a frequency field: empty, valid BCD, garbage, edges."""
    kind = rng.choices(("empty", "valid", "garbage", "edge"), kind_weights)[0]
    if kind == "empty":
        top = rng.choice((0x00, 0xFF))
        low = bytes(rng.randrange(256) for _ in range(3)) if rng.random() < 0.5 else b"\xFF\xFF\xFF"
        return low + bytes([top])
    if kind == "valid":
        lo, hi = rng.choice(BAND_RANGES + [(6000000, 60000000), (1000000, 99999999)])
        u = rand_units_in(rng, lo, hi) if rng.random() < 0.8 else rng.randint(lo, hi)
        return oracle.field_bytes(u)
    if kind == "garbage":
        b = bytes(rng.randrange(256) for _ in range(4))
        return b
    # edge: smallest / largest tops, nibbles 0xA..0xF
    top = rng.choice((0x01, 0x99, 0x9A, 0xFE, 0x10, 0x60))
    return bytes(rng.choice((0x00, 0x99, 0xFF, 0xFE, 0x0A, 0xA0)) for _ in range(3)) + bytes([top])


def rand_tone_bytes(rng: random.Random) -> bytes:
    kind = rng.choices(("table", "none", "random", "dcs_off"), (6, 3, 2, 1))[0]
    if kind == "table":
        low, high = oracle.tone_code(rng.choice(TONES))
        return bytes([low, high])
    if kind == "none":
        return bytes([rng.randrange(256), rng.choice((0x00, 0xFF))])
    if kind == "dcs_off":
        return bytes([rng.randrange(256), rng.choice((0x80, 0x87, 0xBF, 0xC0, 0xC7, 0xFE))])
    return bytes([rng.randrange(256), rng.randrange(256)])


def gen_image(rng: random.Random) -> bytes:
    r = rng.random()
    if r < 0.08:
        return bytes(rng.randrange(256) for _ in range(IMAGE_SIZE))
    if r < 0.16:
        img = oracle.default_image(vhf=rng.random() < 0.5)
        for _ in range(rng.randint(0, 12)):
            img[rng.randrange(IMAGE_SIZE)] = rng.randrange(256)
        return bytes(img)
    if rng.random() < 0.5:
        img = bytearray(rng.randrange(256) for _ in range(IMAGE_SIZE))
    else:
        img = oracle.default_image()
    fill = rng.random()
    for n in range(1, 17):
        base = 16 * n
        if rng.random() < fill * 0.5:
            img[base:base + 16] = b"\xFF" * 16 if rng.random() < 0.7 else img[base:base + 16]
            continue
        img[base:base + 4] = rand_field(rng)
        if rng.random() < 0.4:
            img[base + 4:base + 8] = img[base:base + 4]
        else:
            img[base + 4:base + 8] = rand_field(rng)
        img[base + 8:base + 10] = rand_tone_bytes(rng)
        img[base + 10:base + 12] = rand_tone_bytes(rng)
        img[base + 12] = rng.randrange(256)
        img[base + 13] = rng.choice((0, 1, rng.randrange(256)))
        img[base + 14] = rng.choice((0, 1, rng.randrange(256)))
        img[base + 15] = rng.randrange(256)
    img[oracle.OFF_FLAGS] = rng.randrange(256)
    img[oracle.OFF_SQUELCH] = rng.choice(list(range(12)) + [rng.randrange(256), 0xFF])
    img[oracle.OFF_MONITOR] = rng.choice(list(range(5)) + [rng.randrange(256), 0xFF])
    img[oracle.OFF_TIME_LIMIT] = rng.choice(list(range(12)) + [rng.randrange(256), 0xFF])
    img[oracle.OFF_BAND] = rng.choice([0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xEF, 0xFF, 0x00, rng.randrange(256)])
    img[oracle.OFF_MODEL] = rng.choice([0x32, 0x32, 0x33, 0x33, 0x31, 0x34, 0x00, 0xFF, rng.randrange(256)])
    return bytes(img)


def freq_text_for(rng: random.Random, u: int) -> str:
    """One of the many ways a user may type the frequency u (10 Hz units)."""
    mhz = u / 100000.0
    plain = ("%.5f" % mhz).rstrip("0").rstrip(".")
    style = rng.randrange(9)
    if style == 0:
        return "%3.5f" % mhz
    if style == 1:
        return plain
    if style == 2:
        return plain + rng.choice(("MHz", "M", " MHz", "x", "e", "e+", ".."))
    if style == 3:
        return rng.choice((" ", "\t", "  ", "\n")) + plain
    if style == 4:
        return "+" + plain
    if style == 5:
        s = "%.7e" % mhz
        return s
    if style == 6:
        return "%d.%05de-0" % (u // 100000, u % 100000) if rng.random() < 0.5 else "%de-5" % u
    if style == 7:
        # digits beyond 10 Hz that round away
        return "%.5f" % mhz + rng.choice(("0", "00001", "000049", "0000049999", "0000001"))
    return "%.6f" % mhz


def off_grid_units(rng: random.Random, lo: int, hi: int) -> int:
    while True:
        u = rng.randint(lo, hi)
        if u % 625 and u % 500:
            return u


def gen_freq_cell(rng: random.Random, band: int, base_text: str, bad_rate: float) -> str:
    lo, hi = BAND_RANGES[band] if band >= 0 else (6000000, 60000000)
    r = rng.random()
    if r < bad_rate:
        kind = rng.randrange(7)
        if kind == 0:
            return freq_text_for(rng, off_grid_units(rng, lo, hi))
        if kind == 1:
            # outside the band, inside the format window
            others = [b for b in BAND_RANGES if b != (lo, hi)]
            olo, ohi = rng.choice(others + [(6000000, 13599375)])
            return freq_text_for(rng, rand_units_in(rng, olo, ohi))
        if kind == 2:
            return rng.choice(("59.99999", "600.00001", "-145", "abc", "   ", ".", "-", "1e3", "0",
                               "60000", "5.9e1", "-0", "1e400", "MHz145"))
        if kind == 3:
            return freq_text_for(rng, rng.choice((lo - 1, hi + 1, lo - 500, hi + 625)))
        if kind == 4:
            return "%.6f" % (rand_units_in(rng, lo, hi) / 100000.0 + rng.choice((0.000006, -0.000006)))
        if kind == 5:
            return freq_text_for(rng, rand_units_in(rng, 6000000, 60000000))
        return freq_text_for(rng, rng.choice((lo, hi)))
    if r < bad_rate + 0.12:
        return ""
    if r < bad_rate + 0.2:
        return base_text
    if r < bad_rate + 0.25:
        return freq_text_for(rng, rng.choice((lo, hi)))
    if r < bad_rate + 0.3:
        # ties and near ties of the 10 Hz rounding
        u = rand_units_in(rng, lo, hi) - rng.choice((0, 1))
        return "%d.%05d5" % (u // 100000, u % 100000) if rng.random() < 0.6 else \
            "%d.%05d4999" % (u // 100000, u % 100000)
    return freq_text_for(rng, rand_units_in(rng, lo, hi))


def random_case(rng: random.Random, s: str) -> str:
    return "".join(ch.lower() if rng.random() < 0.5 else ch for ch in s)


def gen_tone_cell(rng: random.Random, base_text: str, bad_rate: float) -> str:
    r = rng.random()
    if r < bad_rate:
        return rng.choice(("67", "OFF", "D999N", "x", "67.00", " 67.0", "D023X", "无 ", "D23N", "none"))
    if r < bad_rate + 0.01:
        return ""
    if r < bad_rate + 0.2:
        return base_text
    if r < bad_rate + 0.3:
        return "无"
    return random_case(rng, rng.choice(TONES))


def gen_list_cell(rng: random.Random, col: int, base_text: str, bad_rate: float) -> str:
    r = rng.random()
    if r < bad_rate:
        return rng.choice(("x", "高 ", "yes", "开", "关闭", CELL_LISTS[5 + (col - 4) % 4][0]))
    if r < bad_rate + 0.01:
        return ""
    if r < bad_rate + 0.2:
        return base_text
    return rng.choice(CELL_LISTS[col])


def gen_settings(rng: random.Random, base_form: oracle.Form, weird: bool) -> dict:
    settings = {}
    if rng.random() < 0.35:
        if rng.random() < 0.2:
            m = base_form.sel["model"]
        else:
            m = rng.randrange(3)
        settings["model"] = {"index": m} if rng.random() < 0.7 else {"text": SETTING_LISTS["model"][m]}
    for key in SETTING_KEYS:
        if key == "model" or rng.random() > 0.3:
            continue
        n = len(SETTING_LISTS[key])
        i = rng.randrange(-1 if (weird or rng.random() < 0.1) else 0, n)
        if i >= 0 and rng.random() < 0.3:
            settings[key] = {"text": SETTING_LISTS[key][i]}
        else:
            settings[key] = {"index": i}
    return settings


WEIRD_FREQ = ["1e400", "-1e400", "-145.5", "4294967.296", "42949.67296", "42949.67295", "99999999",
              "1e-400", "  \t145.5x", ".", "+.", "1e", "1e+", "1.5e+2", "0x10", "inf", "nan", "-0",
              "0.000005", "0.000004999", "999.999999", "1000", "92233720368547.758", "1e14",
              "-0.000005", "\v\f145", "145.1234567", "-42949.67296", "184467440737.09551616", "",
              "\u00a0145", "\u3000145", "１４５", "145\u0000.5", "1e-5", "0.000015", "00000145.00000"]
WEIRD_TONE = ["D-23N", "D99999999999N", "D-99999999999I", "xD023", "D", "DN", "  D 5", "-67.5", "1e9",
              "999.9", "254.15", "d023n", "OFF", "无", "", "D023n", "1D23N", "N D023", "ND023",
              "-0.1", "0.05", "-214748364.9", "214748364.8", "1e400", "-1e400", "D2147483648N",
              "D+123I", "D\t754N", "6553.5", "999", "12.34e1", "D023I", "D0", "0.0999",
              "无123DN", "é5D", "ＤD023N", "D023N\u0000x", "\u00a0D023N"]


def gen_raw_channel(rng: random.Random, r: int, cells: list, band: int) -> dict:
    """Literal texts, odd ones included, for build --raw."""
    ch: dict = {"channel": r}
    for key in CELL_KEYS:
        if rng.random() < 0.45:
            continue
        c = COL_OF[key]
        if c <= 2:
            ch[key] = rng.choice(WEIRD_FREQ) if rng.random() < 0.5 else gen_freq_cell(rng, band, cells[c], 0.3)
        elif c <= 4:
            ch[key] = rng.choice(WEIRD_TONE) if rng.random() < 0.5 else gen_tone_cell(rng, cells[c], 0.2)
        else:
            ch[key] = gen_list_cell(rng, c, cells[c], 0.3)
    return ch


def gen_patch(rng: random.Random) -> tuple[bytes | None, dict, bool]:
    base = None if rng.random() < 0.25 else gen_image(rng)
    raw = rng.random() < 0.2
    _, base_form = oracle.open_document(base) if base is not None else oracle.new_document()
    doc: dict = {}
    if rng.random() < 0.6:
        doc["settings"] = gen_settings(rng, base_form, weird=raw)
    # band after the settings, for choosing in-band frequencies
    probe_img = bytearray(IMAGE_SIZE)
    probe = base_form.copy()
    try:
        oracle.apply_settings(probe_img, probe, doc.get("settings", {}))
    except oracle.BuildRefused:
        pass  # the whole build is refused; the channels still get generated
    band = probe.sel["band"]
    bad_rate = rng.choice((0.0, 0.0, 0.0, 0.02, 0.05, 0.1))
    channels = []
    for r in rng.sample(range(1, 17), rng.randint(0, 7)):
        cells = base_form.cells[r]
        if raw:
            channels.append(gen_raw_channel(rng, r, cells, band))
            continue
        scenario = rng.choices(("edit", "clear", "drop"), (8, 1, 2))[0]
        ch: dict = {"channel": r}
        if scenario == "clear":
            # empty the whole row, as a user would clear a channel
            for key in CELL_KEYS:
                if rng.random() < 0.8 or key in ("rx", "tx"):
                    ch[key] = ""
        elif scenario == "drop":
            # empty one frequency; the other may stay, and so may the tones
            key = rng.choice(("rx", "tx"))
            ch[key] = ""
            keeps = cells[2 if key == "rx" else 1] != ""
            for other in CELL_KEYS[4:]:
                if rng.random() < (0.2 if keeps else 0.03):
                    ch[other] = gen_list_cell(rng, COL_OF[other], cells[COL_OF[other]], bad_rate)
        else:
            for key in CELL_KEYS:
                if rng.random() < 0.45:
                    continue
                c = COL_OF[key]
                if c <= 2:
                    ch[key] = gen_freq_cell(rng, band, cells[c], bad_rate)
                elif c <= 4:
                    ch[key] = gen_tone_cell(rng, cells[c], bad_rate)
                else:
                    ch[key] = gen_list_cell(rng, c, cells[c], bad_rate)
            if not base_form.has_frequency(r) and not (ch.get("rx") or ch.get("tx")) \
                    and any(k in ch for k in CELL_KEYS[2:]) and rng.random() < 0.8:
                # tone and list values need a frequency in their row: mostly give one
                ch["rx"] = gen_freq_cell(rng, band, cells[1], 0.0) or freq_text_for(
                    rng, rand_units_in(rng, *(BAND_RANGES[band] if band >= 0 else (6000000, 60000000))))
        channels.append(ch)
    if channels or rng.random() < 0.5:
        doc["channels"] = channels
    return base, doc, raw


# --------------------------------------------------------------------------
# Running the CLI
# --------------------------------------------------------------------------

def run(cli: str, args: list[str]) -> subprocess.CompletedProcess:
    return subprocess.run([cli] + args, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          stdin=subprocess.DEVNULL, timeout=CLI_TIMEOUT)


def hex_diff(want: bytes | None, got: bytes | None, limit: int = 24) -> str:
    if want is None or got is None:
        return "    expected %s, actual %s" % ("no file" if want is None else "%d bytes" % len(want),
                                                "no file" if got is None else "%d bytes" % len(got))
    lines = []
    if len(want) != len(got):
        lines.append("    length: expected %d, actual %d" % (len(want), len(got)))
    rows = sorted({k // 16 for k in range(min(len(want), len(got))) if want[k] != got[k]})
    for row in rows[:limit]:
        w = want[16 * row:16 * row + 16]
        g = got[16 * row:16 * row + 16]
        marks = "".join("^^ " if a != b else "   " for a, b in zip(w, g))
        lines.append("    row %2d (offset %4d) expected %s" % (row, 16 * row, w.hex(" ")))
        lines.append("                        actual   %s" % g.hex(" "))
        lines.append("                                 %s" % marks.rstrip())
    if len(rows) > limit:
        lines.append("    ... %d more rows differ" % (len(rows) - limit))
    return "\n".join(lines)


def json_diff(want: dict, got: dict) -> str:
    lines = []
    ws, gs = want.get("settings", {}), got.get("settings") if isinstance(got, dict) else None
    if not isinstance(gs, dict):
        return "    actual output has no settings object: %r" % (got,)
    for key in SETTING_KEYS:
        if ws.get(key) != gs.get(key):
            lines.append("    settings.%s: expected %s, actual %s" % (
                key, json.dumps(ws.get(key), ensure_ascii=False), json.dumps(gs.get(key), ensure_ascii=False)))
    extra = set(gs) - set(SETTING_KEYS)
    if extra:
        lines.append("    settings: unexpected keys %s" % sorted(extra))
    wc, gc = want.get("channels", []), got.get("channels")
    if not isinstance(gc, list) or len(gc) != len(wc):
        lines.append("    channels: expected a list of %d, actual %r" % (len(wc), type(gc).__name__ if not isinstance(gc, list) else len(gc)))
        return "\n".join(lines)
    for w, g in zip(wc, gc):
        if w != g:
            for key in ["channel"] + CELL_KEYS:
                if w.get(key) != g.get(key):
                    lines.append("    channel %s %s: expected %s, actual %s" % (
                        w["channel"], key, json.dumps(w.get(key), ensure_ascii=False),
                        json.dumps(g.get(key), ensure_ascii=False)))
            extra = set(g) - set(w)
            if extra:
                lines.append("    channel %s: unexpected keys %s" % (w["channel"], sorted(extra)))
    return "\n".join(lines)


def comparable_show(doc) -> dict | None:
    if not isinstance(doc, dict):
        return None
    return {k: v for k, v in doc.items() if k in ("settings", "channels")}


def read_file(path: str) -> bytes | None:
    try:
        with open(path, "rb") as f:
            return f.read()
    except FileNotFoundError:
        return None


def check_new(cli: str, work: str) -> list[str]:
    out = os.path.join(work, "new.sin")
    p = run(cli, ["new", "-o", out])
    img, form = oracle.new_document()
    want = oracle.save(img, form)
    got = read_file(out)
    if p.returncode != 0 or got != want:
        return ["case new: exit %d (expected 0)%s\n%s" % (p.returncode, _stderr(p), hex_diff(want, got))]
    return []


def _stderr(p: subprocess.CompletedProcess) -> str:
    e = p.stderr.decode("utf-8", "replace").strip()
    return ("; stderr: " + e[:300]) if e else ""


def check_image(cli: str, work: str, name: str, image: bytes) -> list[str]:
    base = os.path.join(work, name + ".sin")
    with open(base, "wb") as f:
        f.write(image)
    p = run(cli, ["show", base, "--json"])
    _, form = oracle.open_document(image)
    want = form.to_json()
    if p.returncode != 0:
        return ["case %s: show exit %d%s\n    image: %s" % (name, p.returncode, _stderr(p), image.hex())]
    try:
        got = json.loads(p.stdout.decode("utf-8"))
    except (UnicodeDecodeError, json.JSONDecodeError) as e:
        return ["case %s: show output is not JSON (%s)" % (name, e)]
    errs = []
    if comparable_show(got) != want:
        errs.append("case %s: show --json differs from the model's decoding\n%s\n    image: %s" % (
            name, json_diff(want, got), image.hex()))
    # Open + save through build --raw with show's own form.
    form_path = os.path.join(work, name + ".json")
    with open(form_path, "wb") as f:
        f.write(p.stdout)
    out = os.path.join(work, name + ".out.sin")
    q = run(cli, ["build", form_path, "--base", base, "-o", out, "--raw"])
    code, want_bytes = oracle.build(image, got if isinstance(got, dict) else {}, raw=True)
    got_bytes = read_file(out)
    if q.returncode != code or got_bytes != want_bytes:
        errs.append("case %s: build --raw of show's output: exit %d (expected %d)%s\n%s\n    image: %s" % (
            name, q.returncode, code, _stderr(q), hex_diff(want_bytes, got_bytes), image.hex()))
    return errs


def check_patch(cli: str, work: str, name: str, base: bytes | None, doc: dict, raw: bool) -> list[str]:
    args = ["build"]
    form_path = os.path.join(work, name + ".json")
    with open(form_path, "w", encoding="utf-8") as f:
        json.dump(doc, f, ensure_ascii=False, indent=1)
    args.append(form_path)
    if base is not None:
        base_path = os.path.join(work, name + ".sin")
        with open(base_path, "wb") as f:
            f.write(base)
        args += ["--base", base_path]
    out = os.path.join(work, name + ".out.sin")
    args += ["-o", out]
    if raw:
        args.append("--raw")
    p = run(cli, args)
    code, want = oracle.build(base, doc, raw)
    got = read_file(out)
    if p.returncode == code and got == want:
        return []
    return ["case %s: build%s exit %d (expected %d)%s\n%s\n    base: %s\n    form: %s" % (
        name, " --raw" if raw else "", p.returncode, code, _stderr(p), hex_diff(want, got),
        "new document" if base is None else base.hex(), json.dumps(doc, ensure_ascii=False))]


# --------------------------------------------------------------------------
# Main
# --------------------------------------------------------------------------

def case_rng(seed: int, kind: str, index: int) -> random.Random:
    return random.Random("%d:%s:%d" % (seed, kind, index))


def main(argv: list[str]) -> int:
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--cli", required=True, help="path of varnok-cli")
    ap.add_argument("--count", type=int,
                    default=int(os.environ.get("VARNOK_ORACLE_COUNT", DEFAULT_COUNT)),
                    help="random images, and random patches, to try (default %d)" % DEFAULT_COUNT)
    ap.add_argument("--seed", type=int, default=int(os.environ.get("VARNOK_ORACLE_SEED", DEFAULT_SEED)))
    ap.add_argument("--jobs", type=int, default=max(2, os.cpu_count() or 2))
    ap.add_argument("--only", help="run one case, e.g. image:17 or patch:250")
    ap.add_argument("--max-report", type=int, default=20, help="mismatches printed in full")
    ap.add_argument("--keep", help="keep the work files in this directory")
    args = ap.parse_args(argv)

    errs = self_check()
    if errs:
        print("\n".join(errs))
        print("differential: the reference model fails its own worked examples")
        return 1
    cli = os.path.abspath(args.cli)
    if not (os.path.isfile(cli) and os.access(cli, os.X_OK)):
        print("differential: no executable at %s" % cli)
        return 1

    started = time.monotonic()
    work = args.keep or tempfile.mkdtemp(prefix="varnok-oracle-")
    os.makedirs(work, exist_ok=True)
    try:
        if args.only:
            kind, _, idx = args.only.partition(":")
            kinds = [(kind, int(idx or 0))]
        else:
            kinds = [("new", 0)] + [("image", i) for i in range(args.count)] + \
                    [("patch", i) for i in range(args.count)]

        def one(kind: str, i: int) -> list[str]:
            name = "%s-%d" % (kind, i)
            rng = case_rng(args.seed, kind, i)
            try:
                if kind == "new":
                    return check_new(cli, work)
                if kind == "image":
                    return check_image(cli, work, name, gen_image(rng))
                if kind == "patch":
                    base, doc, raw = gen_patch(rng)
                    return check_patch(cli, work, name, base, doc, raw)
                return ["unknown case kind %r" % kind]
            except subprocess.TimeoutExpired:
                return ["case %s: the CLI did not finish within %d s" % (name, CLI_TIMEOUT)]
            except Exception:  # an output the model cannot even take in
                return ["case %s: %s" % (name, traceback.format_exc().strip())]
            finally:
                if not args.keep:
                    for suffix in (".sin", ".json", ".out.sin"):
                        try:
                            os.remove(os.path.join(work, name + suffix))
                        except FileNotFoundError:
                            pass

        with concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as pool:
            jobs = [(k, i, pool.submit(one, k, i)) for k, i in kinds]
            failures = []
            for k, i, fut in jobs:
                for e in fut.result():
                    failures.append(e)
    finally:
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)

    for e in failures[:args.max_report]:
        print(e)
        print()
    if len(failures) > args.max_report:
        print("... %d more mismatches not shown" % (len(failures) - args.max_report))
    elapsed = time.monotonic() - started
    print("differential: %d cases, %d mismatches (seed %d, %.1f s)" % (
        len(kinds), len(failures), args.seed, elapsed))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
