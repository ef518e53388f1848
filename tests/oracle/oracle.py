"""Reference model of the Varnok image <-> form rules, in plain Python.

This module is written separately from the C++ core so that the two can be
compared on random inputs (see differential_test.py).  It models:

* the 1024-byte radio memory image, the tone table and the tone codes,
* the default image of a new document,
* decoding the image into the form (settings selections + channel texts),
  including the model change that rewrites the auxiliary records,
* encoding the form back into the image,
* the frequency entry check, the tone-name rule and the frequency write,
* the `build` command of the CLI (checked and --raw).

Only the standard library is used.
"""

from __future__ import annotations

import math

IMAGE_SIZE = 1024

# --------------------------------------------------------------------------
# Image offsets
# --------------------------------------------------------------------------

CHANNEL_COUNT = 16
AUX_ROWS = range(17, 25)
OFF_FLAGS = 960
OFF_SQUELCH = 961
OFF_MONITOR = 962
OFF_TIME_LIMIT = 963
OFF_BAND = 978
OFF_MODEL = 982
CONSTANT_BLOCK = bytes([0x5E, 0x09, 0x2B, 0x69, 0xD8, 0xAA, 0x41, 0xAA, 0x60, 0x4B])

# --------------------------------------------------------------------------
# Tone table
# --------------------------------------------------------------------------

CTCSS_HZ = [
    "67.0", "69.3", "71.9", "74.4", "77.0", "79.7", "82.5", "85.4", "88.5", "91.5",
    "94.8", "97.4", "100.0", "103.5", "107.2", "110.9", "114.8", "118.8", "123.0", "127.3",
    "131.8", "136.5", "141.3", "146.2", "151.4", "156.7", "159.8", "162.2", "165.5", "167.9",
    "171.3", "173.8", "177.3", "179.9", "183.5", "186.2", "189.9", "192.8", "196.6", "199.5",
    "203.5", "206.5", "210.7", "218.1", "225.7", "229.1", "233.6", "241.8", "250.3", "254.1",
]

DCS_CODES = [
    "023", "025", "026", "031", "032", "036", "043", "047", "051", "053",
    "054", "065", "071", "072", "073", "074", "114", "115", "116", "122",
    "125", "131", "132", "134", "143", "145", "152", "155", "156", "162",
    "165", "172", "174", "205", "212", "223", "225", "226", "243", "244",
    "245", "246", "251", "252", "255", "261", "263", "265", "266", "271",
    "274", "306", "311", "315", "325", "331", "332", "343", "346", "351",
    "356", "364", "365", "371", "411", "412", "413", "423", "431", "432",
    "445", "446", "452", "454", "455", "462", "464", "465", "466", "503",
    "506", "516", "523", "526", "532", "546", "565", "606", "612", "624",
    "627", "631", "632", "645", "654", "662", "664", "703", "712", "723",
    "731", "732", "734", "743", "754",
]

NO_TONE = "无"
TONES = [NO_TONE] + CTCSS_HZ + ["D" + c + "N" for c in DCS_CODES] + ["D" + c + "I" for c in DCS_CODES]
assert len(TONES) == 261

# --------------------------------------------------------------------------
# Settings boxes and grid lists
# --------------------------------------------------------------------------

BAND_ENTRIES = ["136 - 174MHZ", "350 - 400MHZ", "400 - 470MHZ", "430 - 500MHZ"]

SETTING_LISTS = {
    "model": ["QX-100", "QX-200", "QX-300"],
    "band": BAND_ENTRIES,
    "tx_time_limit": ["关闭", "30s", "60s", "90s", "120s", "150s", "180s", "210s", "240s", "270s", "300s"],
    "key_beep": ["开", "关"],
    "squelch": [str(i) for i in range(10)],
    "monitor": ["关闭", "瞬时监听", "监听锁定", "SQ-Off 瞬时"],
    "scan": ["关", "开"],
    "voice": ["关闭", "英语", "中文"],
    "emergency": ["关闭", "本地报警", "本地发射报警", "发射报警"],
    "power_save": ["关闭", "打开"],
    "reject_alarm": ["开", "关"],
}
SETTING_KEYS = list(SETTING_LISTS)

# Selections made by the first initial update of a run; the four boxes not
# named keep no selection until the decoding sets them.
STARTING_SELECTIONS = {
    "tx_time_limit": 2, "model": 0, "key_beep": 1, "squelch": 4,
    "monitor": 3, "band": 2, "voice": 1,
}

# Band range table in 10 Hz units, inclusive bounds.
BAND_RANGES = [
    (13600000, 17400000),
    (35000000, 40000000),
    (40000000, 47000000),
    (43000000, 50000000),
]

# Channel grid columns 1..8 and their JSON names.
CELL_KEYS = ["rx", "tx", "decode", "encode", "busy_lock", "bandwidth", "scan", "power"]
COL_OF = {k: i + 1 for i, k in enumerate(CELL_KEYS)}

BUSY_ON, BUSY_OFF = "是", "否"
WIDE, NARROW = "宽带", "窄带"
SCAN_ADD, SCAN_DEL = "添加", "删除"
POWER_HIGH, POWER_MID, POWER_LOW = "高", "中", "低"

CELL_LISTS = {
    5: [BUSY_ON, BUSY_OFF],
    6: [WIDE, NARROW],
    7: [SCAN_ADD, SCAN_DEL],
    8: [POWER_HIGH, POWER_MID, POWER_LOW],
}

# Texts written into columns 3..8 when a first frequency goes into an empty row.
ROW_DEFAULTS = {3: NO_TONE, 4: NO_TONE, 5: BUSY_OFF, 6: WIDE, 7: SCAN_ADD, 8: POWER_HIGH}

FORMAT_LOW, FORMAT_HIGH = 6000000, 60000000

# --------------------------------------------------------------------------
# Integer helpers with C semantics
# --------------------------------------------------------------------------

INT32_MIN, INT32_MAX = -(2 ** 31), 2 ** 31 - 1


def c_div(a: int, b: int) -> int:
    """Integer division truncating toward zero."""
    q = abs(a) // abs(b)
    return q if (a >= 0) == (b >= 0) else -q


def c_rem(a: int, b: int) -> int:
    """Remainder whose sign follows the dividend."""
    return a - b * c_div(a, b)


def bcd(x: int) -> int:
    """Byte holding the two decimal digits of x; outside 0..99 the same
    arithmetic is applied and the low byte kept."""
    return (c_div(x, 10) * 16 + c_rem(x, 10)) & 0xFF


def bcd_value(b: int) -> int:
    """10 x high nibble + low nibble, whatever the nibbles hold."""
    return 10 * (b >> 4) + (b & 0x0F)


# --------------------------------------------------------------------------
# Reading numbers out of texts
# --------------------------------------------------------------------------

C_SPACE = " \t\n\v\f\r"
DIGITS = "0123456789"


def read_number(text: str) -> float:
    """Longest leading decimal number of `text` (after C white space):
    optional sign, digits with at most one point, optional exponent that
    counts only when digits follow it.  0 when nothing matches.  Too large
    gives +-inf, too small gives 0."""
    i, n = 0, len(text)
    while i < n and text[i] in C_SPACE:
        i += 1
    start = i
    if i < n and text[i] in "+-":
        i += 1
    mant_digits = 0
    while i < n and text[i] in DIGITS:
        i += 1
        mant_digits += 1
    if i < n and text[i] == ".":
        j = i + 1
        frac = 0
        while j < n and text[j] in DIGITS:
            j += 1
            frac += 1
        if mant_digits + frac > 0:
            i = j
            mant_digits += frac
    if mant_digits == 0:
        return 0.0
    end = i
    if i < n and text[i] in "eE":
        j = i + 1
        if j < n and text[j] in "+-":
            j += 1
        k = j
        while k < n and text[k] in DIGITS:
            k += 1
        if k > j:
            end = k
    return float(text[start:end])


def read_long(text: str) -> int:
    """strtol(text, 10) with the result held to the 32-bit range."""
    i, n = 0, len(text)
    while i < n and text[i] in C_SPACE:
        i += 1
    neg = False
    if i < n and text[i] in "+-":
        neg = text[i] == "-"
        i += 1
    j = i
    while j < n and text[j] in DIGITS:
        j += 1
    if j == i:
        return 0
    v = int(text[i:j])
    if neg:
        v = -v
    return max(INT32_MIN, min(INT32_MAX, v))


def round_half_away(x: float) -> int:
    a = abs(x)
    fl = math.floor(a)
    if a - fl >= 0.5:
        fl += 1
    return int(fl) if x >= 0 else -int(fl)


def frequency_units(text: str) -> int:
    """Cell text -> frequency value in 10 Hz units, as an unsigned 32-bit number."""
    p = read_number(text) * 100000.0
    if math.isinf(p) or abs(p) >= 9.2e18:
        return 0
    return round_half_away(p) % (2 ** 32)


def frequency_text(units: int) -> str:
    return "%3.5f" % (units / 100000.0)


# --------------------------------------------------------------------------
# Frequency fields
# --------------------------------------------------------------------------

def field_empty(top: int) -> bool:
    return top in (0x00, 0xFF)


def field_value(b: bytes) -> int:
    """Four BCD bytes, lowest pair first -> value (any nibble counts)."""
    return ((bcd_value(b[3]) * 100 + bcd_value(b[2])) * 100 + bcd_value(b[1])) * 100 + bcd_value(b[0])


def field_bytes(f: int) -> bytes:
    out = [0, 0, 0, 0]
    q = 1000000
    for k in (3, 2, 1, 0):
        out[k] = bcd(f // q)
        f = f % q
        q //= 100
    return bytes(out)


def step_flag(f: int) -> int:
    return 0 if (f < 30000000 and f % 625 != 0) else 1


# --------------------------------------------------------------------------
# Tone codes
# --------------------------------------------------------------------------

def tone_name(low: int, high: int, present: bool) -> str:
    if high in (0x00, 0xFF):
        return NO_TONE if present else ""
    if high >= 0x80:
        d = high - (0xC0 if high >= 0xC0 else 0x80)
        suffix = "I" if high >= 0xC0 else "N"
        v = 100 * d + bcd_value(low)
        return ("D0" if d == 0 else "D") + "%d" % v + suffix
    v = 100 * bcd_value(high) + bcd_value(low)
    return "%3.1f" % (v / 10.0)


def tone_code(text: str) -> tuple[int, int]:
    """Cell text -> (L, H)."""
    if "D" in text:
        # The first character goes as one byte: a multi-byte character
        # leaves its trailing bytes in front of the digits (so reads 0),
        # as it does with a double-byte code page.
        rest = text.encode("utf-8")[1:].decode("latin-1")
        n = read_long(rest)
        high = (c_div(n, 100) + (0x80 if "N" in rest else 0xC0)) & 0xFF
        low = bcd(c_rem(n, 100))
        return low, high
    p = read_number(text) * 10.0
    if p >= 2 ** 31:
        v = INT32_MAX
    elif p <= -(2 ** 31):
        v = INT32_MIN
    else:
        v = math.trunc(p)
    if v == 0:
        return 0xFF, 0xFF
    return bcd(c_rem(v, 100)), bcd(c_div(v, 100))


def ascii_fold(s: str) -> str:
    return "".join(chr(ord(ch) + 32) if "A" <= ch <= "Z" else ch for ch in s)


def tone_table_entry(text: str) -> str | None:
    """Table spelling of a tone name typed in any letter case, or None."""
    folded = ascii_fold(text)
    for t in TONES:
        if ascii_fold(t) == folded:
            return t
    return None


def tone_name_rule(text: str) -> str:
    """What the tone box commits: the table's spelling, or "OFF"."""
    t = tone_table_entry(text)
    return "OFF" if t is None else t


# --------------------------------------------------------------------------
# Form
# --------------------------------------------------------------------------

class Form:
    """Selections of the eleven settings boxes (-1 = none) and the texts of
    grid rows 1..16, columns 1..8."""

    def __init__(self) -> None:
        self.sel = {k: -1 for k in SETTING_KEYS}
        self.cells = [["" for _ in range(9)] for _ in range(CHANNEL_COUNT + 1)]

    def copy(self) -> "Form":
        f = Form()
        f.sel = dict(self.sel)
        f.cells = [list(r) for r in self.cells]
        return f

    def has_frequency(self, r: int) -> bool:
        return self.cells[r][1] != "" or self.cells[r][2] != ""

    def to_json(self) -> dict:
        settings = {}
        for k in SETTING_KEYS:
            i = self.sel[k]
            settings[k] = {"index": i, "text": SETTING_LISTS[k][i] if i >= 0 else ""}
        channels = []
        for r in range(1, CHANNEL_COUNT + 1):
            ch = {"channel": r}
            for c, key in enumerate(CELL_KEYS, start=1):
                ch[key] = self.cells[r][c]
            channels.append(ch)
        return {"settings": settings, "channels": channels}


def starting_form() -> Form:
    f = Form()
    for k, v in STARTING_SELECTIONS.items():
        f.sel[k] = v
    return f


def select(form: Form, key: str, index: int) -> None:
    """SetCurSel: an index beyond the list leaves the box without a selection."""
    form.sel[key] = index if 0 <= index < len(SETTING_LISTS[key]) else -1


# --------------------------------------------------------------------------
# Default image
# --------------------------------------------------------------------------

PRESETS_UHF = [
    ("460.10000", "460.00000"), ("450.10000", "450.00000"), ("469.90000", "469.97500"),
    ("460.30000", "460.30000"), ("460.35000", "460.35000"), ("460.40000", "460.40000"),
    ("460.35000", "460.35000"), ("460.45000", "460.45000"),
]
PRESETS_VHF = [
    ("162.10000", "162.00000"), ("150.10000", "150.00000"), ("173.90000", "173.97500"),
    ("162.50000", "162.50000"), ("162.55000", "162.55000"), ("162.60000", "162.60000"),
    ("162.55000", "162.55000"), ("162.65000", "162.65000"),
]


def default_image(vhf: bool = False) -> bytearray:
    img = bytearray([0xFF] * IMAGE_SIZE)
    for k in range(16):
        img[640 + k] = k + 1
    img[18] = 0xFE
    presets = PRESETS_VHF if vhf else PRESETS_UHF
    for i, row in enumerate(AUX_ROWS):
        base = 16 * row
        img[base:base + 8] = bytes(8)
        img[base + 13] = img[base + 14] = 0x00 if vhf else 0x01
        rx, tx = presets[i]
        img[base:base + 4] = field_bytes(frequency_units(rx))
        img[base + 4:base + 8] = field_bytes(frequency_units(tx))
    img[OFF_BAND] = 0xF0
    img[OFF_MODEL] = 0x32
    img[OFF_SQUELCH] = 9
    img[OFF_MONITOR] = 3
    img[OFF_TIME_LIMIT] = 6
    img[976] = img[977] = 0x00
    img[979:982] = b"\x37\x30\x31"
    img[983] = 0x50
    img[28] = 0xFB
    img[1008:1018] = CONSTANT_BLOCK
    return img


# --------------------------------------------------------------------------
# Model change, decoding, encoding
# --------------------------------------------------------------------------

def model_change(img: bytearray, form: Form) -> None:
    model = form.sel["model"]
    form.sel["band"] = 0
    for row in AUX_ROWS:
        base = 16 * row
        img[base:base + 8] = bytes(8)
        img[base + 13] = img[base + 14] = 1 if model == 0 else 0


def power_text(b12: int) -> str:
    p = b12 & 0x60
    if p == 0x00:
        return POWER_LOW
    if p == 0x20:
        return POWER_MID
    return POWER_HIGH  # 0x40, and 0x60 which encoding never writes


def decode(img: bytearray, form: Form) -> None:
    """ImageToForm: fills the form from the image and runs the model change."""
    for n in range(1, CHANNEL_COUNT + 1):
        b = img[16 * n:16 * n + 16]
        present = not field_empty(b[3]) or not field_empty(b[7])
        cells = form.cells[n]
        cells[1] = "" if field_empty(b[3]) else frequency_text(field_value(b[0:4]))
        cells[2] = "" if field_empty(b[7]) else frequency_text(field_value(b[4:8]))
        cells[3] = tone_name(b[8], b[9], present)
        cells[4] = tone_name(b[10], b[11], present)
        if present:
            cells[5] = BUSY_OFF if b[12] & 0x01 else BUSY_ON
            cells[6] = NARROW if b[12] & 0x04 else WIDE
            cells[7] = SCAN_ADD if b[12] & 0x10 else SCAN_DEL
            cells[8] = power_text(b[12])
        else:
            cells[5] = cells[6] = cells[7] = cells[8] = ""

    f = img[OFF_FLAGS]
    select(form, "key_beep", 0 if f & 0x01 else 1)
    select(form, "scan", 1 if f & 0x04 else 0)
    v = f & 0x30
    select(form, "voice", 2 if v == 0x30 else (1 if v == 0x10 else 0))
    select(form, "power_save", 1 if f & 0x02 else 0)
    select(form, "emergency", (f >> 6) & 3)
    sq = img[OFF_SQUELCH]
    select(form, "squelch", sq if sq <= 10 else 0)
    tl = img[OFF_TIME_LIMIT]
    select(form, "tx_time_limit", tl if tl <= 10 else 0)
    mo = img[OFF_MONITOR]
    select(form, "monitor", mo if mo <= 3 else 3)
    select(form, "reject_alarm", 1 if f & 0x08 else 0)
    if img[OFF_MODEL] == 0x32:
        select(form, "model", 0)
    elif img[OFF_MODEL] == 0x33:
        select(form, "model", 1)
    model_change(img, form)
    k = img[OFF_BAND] - 0xF0
    select(form, "band", k if 0 <= k <= 4 else 0)


def _set_bit(v: int, mask: int, on: bool) -> int:
    return (v | mask) if on else (v & ~mask & 0xFF)


def encode(form: Form, img: bytearray) -> None:
    """FormToImage: writes the form into the image; a box without a
    selection leaves its byte (or its bits of the flags byte) unchanged."""
    for n in range(1, CHANNEL_COUNT + 1):
        base = 16 * n
        cells = form.cells[n]
        for col, off, flag in ((1, 0, 13), (2, 4, 14)):
            f = frequency_units(cells[col])
            if f == 0:
                img[base + off:base + off + 4] = b"\xFF\xFF\xFF\xFF"
            else:
                img[base + flag] = step_flag(f)
                img[base + off:base + off + 4] = field_bytes(f)
        low, high = tone_code(cells[3])
        img[base + 8], img[base + 9] = low, high
        low, high = tone_code(cells[4])
        img[base + 10], img[base + 11] = low, high
        b12 = img[base + 12]
        b12 = _set_bit(b12, 0x01, cells[5] != BUSY_ON)
        b12 = _set_bit(b12, 0x04, cells[6] != WIDE)
        b12 = _set_bit(b12, 0x10, cells[7] == SCAN_ADD)
        if cells[8] == POWER_LOW:
            b12 &= ~0x60 & 0xFF
        elif cells[8] == POWER_MID:
            b12 = (b12 | 0x20) & ~0x40 & 0xFF
        else:
            b12 = (b12 | 0x40) & ~0x20 & 0xFF
        img[base + 12] = b12

    s = form.sel
    f = img[OFF_FLAGS]
    if s["key_beep"] != -1:
        f = _set_bit(f, 0x01, s["key_beep"] != 1)
    if s["scan"] != -1:
        f = _set_bit(f, 0x04, s["scan"] != 0)
    if s["voice"] != -1:
        if s["voice"] == 0:
            f &= ~0x30 & 0xFF
        elif s["voice"] == 1:
            f = (f | 0x10) & ~0x20 & 0xFF
        else:
            f |= 0x30
    if s["power_save"] != -1:
        f = _set_bit(f, 0x02, s["power_save"] == 1)
    if s["emergency"] != -1:
        e = s["emergency"]
        if e == 0:
            f &= 0x3F
        elif e == 3:
            f |= 0xC0
        elif e == 1:
            f = (f | 0x40) & 0x7F
        else:
            f = (f | 0x80) & 0xBF
    if s["squelch"] != -1:
        img[OFF_SQUELCH] = s["squelch"] & 0xFF
    if s["tx_time_limit"] != -1:
        img[OFF_TIME_LIMIT] = s["tx_time_limit"] & 0xFF
    if s["monitor"] != -1:
        img[OFF_MONITOR] = s["monitor"] & 0xFF
    if s["reject_alarm"] != -1:
        f = _set_bit(f, 0x08, s["reject_alarm"] != 0)
    img[OFF_FLAGS] = f
    if s["model"] != -1:
        img[OFF_MODEL] = 0x33 if s["model"] != 0 else 0x32
    if s["band"] != -1:
        img[OFF_BAND] = (s["band"] + 0xF0) & 0xFF


# --------------------------------------------------------------------------
# Documents
# --------------------------------------------------------------------------

def open_document(data: bytes) -> tuple[bytearray, Form]:
    """A fresh run opening `data`: starting selections, then decoding."""
    img = bytearray(data[:IMAGE_SIZE])
    form = starting_form()
    decode(img, form)
    return img, form


def new_document() -> tuple[bytearray, Form]:
    """A fresh run's new document (UHF presets), decoded."""
    return open_document(default_image(vhf=False))


def save(img: bytearray, form: Form) -> bytes:
    out = bytearray(img)
    encode(form, out)
    return bytes(out)


# --------------------------------------------------------------------------
# Entry checks and the frequency write
# --------------------------------------------------------------------------

def check_frequency(text: str, band: int) -> tuple[str, str]:
    """Leave-mode check.  Returns (result, detail): ("empty", ""),
    ("accepted", cell text) or ("refused", "format" | "range" | "step")."""
    if text == "":
        return "empty", ""
    v = read_number(text)
    if v < 0 or math.isinf(v):
        return "refused", "format"
    u = round_half_away(v * 100000.0)
    if u > INT32_MAX or u < FORMAT_LOW or u > FORMAT_HIGH:
        return "refused", "format"
    if band != -1:
        lo, hi = BAND_RANGES[band]
        if u < lo or u > hi:
            return "refused", "range"
    if u % 625 != 0 and u % 500 != 0:
        return "refused", "step"
    # The cell shows the value that was checked, so what is stored is on the
    # step grid even when more than five decimals were typed.
    return "accepted", "%3.5f" % (u / 100000.0)


def frequency_write(form: Form, r: int, c: int, text: str) -> None:
    cells = form.cells[r]
    if text != "":
        if all(cells[k] == "" for k in range(1, 6)):
            for k, v in ROW_DEFAULTS.items():
                cells[k] = v
            if c == 1:
                cells[2] = text
        cells[c] = text
    else:
        cells[3 if c == 1 else 4] = ""
        cells[c] = ""
        if all(cells[k] == "" for k in range(1, 5)):
            for k in range(5, 9):
                cells[k] = ""


# --------------------------------------------------------------------------
# The build command
# --------------------------------------------------------------------------

class BuildRefused(Exception):
    """A checked build that the entry rules refuse (exit code 2)."""


def _setting_index(key: str, box: dict) -> int:
    if "index" in box:
        return int(box["index"])
    return SETTING_LISTS[key].index(box["text"])


def _select_box(form: Form, key: str, index: int) -> None:
    # The model and the band need a selection, unless the box has none yet.
    if index < 0 and form.sel[key] >= 0 and key in ("model", "band"):
        raise BuildRefused("settings.%s: a selection is needed" % key)
    select(form, key, index)


def apply_settings(img: bytearray, form: Form, settings: dict) -> None:
    """Raises BuildRefused for no selection in the model or band box."""
    if "model" in settings:
        m = _setting_index("model", settings["model"])
        if m != form.sel["model"]:
            _select_box(form, "model", m)
            model_change(img, form)
    for key in SETTING_KEYS:
        if key == "model" or key not in settings:
            continue
        _select_box(form, key, _setting_index(key, settings[key]))


def build(base: bytes | None, doc: dict, raw: bool) -> tuple[int, bytes | None]:
    """Model of `varnok-cli build`.  Returns (exit code, output bytes or None)."""
    if base is None:
        img, form = new_document()
    else:
        img, form = open_document(base)
    base_form = form.copy()
    try:
        apply_settings(img, form, doc.get("settings", {}))
        for ch in doc.get("channels", []):
            r = int(ch["channel"])
            if raw:
                for key in CELL_KEYS:
                    if key in ch:
                        form.cells[r][COL_OF[key]] = ch[key]
            else:
                apply_checked_row(form, base_form, r, ch)
        if not raw:
            for r in range(1, CHANNEL_COUNT + 1):
                if form.has_frequency(r):
                    continue
                for c in range(3, 9):
                    t = form.cells[r][c]
                    if t != "" and t != base_form.cells[r][c]:
                        raise BuildRefused("row %d column %d needs a frequency" % (r, c))
    except BuildRefused:
        return 2, None
    return 0, save(img, form)


def apply_checked_row(form: Form, base_form: Form, r: int, ch: dict) -> None:
    base_cells = base_form.cells[r]
    for key in ("rx", "tx"):
        c = COL_OF[key]
        if key not in ch or ch[key] == base_cells[c]:
            continue
        result, detail = check_frequency(ch[key], form.sel["band"])
        if result == "refused":
            raise BuildRefused("channel %d %s: %s" % (r, key, detail))
        frequency_write(form, r, c, detail)
    for key in ("decode", "encode"):
        c = COL_OF[key]
        if key not in ch or ch[key] == base_cells[c]:
            continue
        text = ch[key]
        if text == "":
            _empty_value(form, r, key)
            continue
        entry = tone_table_entry(text)
        if entry is None:
            raise BuildRefused("channel %d %s: not a tone name" % (r, key))
        form.cells[r][c] = entry
    for key in ("busy_lock", "bandwidth", "scan", "power"):
        c = COL_OF[key]
        if key not in ch or ch[key] == base_cells[c]:
            continue
        text = ch[key]
        if text == "":
            _empty_value(form, r, key)
            continue
        if text not in CELL_LISTS[c]:
            raise BuildRefused("channel %d %s: not in the list" % (r, key))
        form.cells[r][c] = text


def _empty_value(form: Form, r: int, key: str) -> None:
    """An empty tone or list value is what a row without a frequency holds;
    in a row with one, no editor can produce it."""
    if form.has_frequency(r):
        raise BuildRefused("channel %d %s: empty in a row with a frequency" % (r, key))
    form.cells[r][COL_OF[key]] = ""
