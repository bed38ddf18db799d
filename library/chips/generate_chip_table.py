#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Turns the reviewed chip data (chips.json) into the library's constant chip table.

usage: generate_chip_table.py <in.json> <out.cpp>

The data file holds bilingual bit-option descriptions, shared option layouts and
the chip rows that reference them (see the comment at the top of chips.json).
Everything is checked before anything is written; on the first error the script
names the row (or layout) and key, prints the reason and exits with status 1,
leaving no output file behind. Python 3 standard library only.

Checked here:
- the shape of the file: unknown keys, missing keys, wrong types, numbers out of
  range, duplicate object keys, duplicate part names;
- references: every chip names an existing layout, every bit option has a
  description, every linkedItem names a used item slot;
- the invariants the option encodings rely on: defaultOptions has exactly
  optionByteCount tokens, every byteIndex and every bitMap index is below
  optionByteCount, a bitMap has at most seven pairs;
- the slot rules and the option vocabulary rules that the
  routines rely on (ISP_SIZE in slot 0, IAP_SIZE only in slot 1,
  Trim_Frequency exactly on the trim families, item slots 4-5 and bit slots
  12-13 empty, HWENW linked to the HWPSx slot, single-bit bit masks, no two
  descriptors sharing a bit, ISP codes inside their mask);
- row facts other parts rely on: a pair of rows sharing identity bytes or part
  code must be adjacent low-voltage / 5-volt variants.
Counts over the whole table (rows per series and the like) are the tests' job.
"""

import json
import os
import re
import sys
import tempfile

ITEM_SLOTS = 6
BIT_SLOTS = 14
SERIES = ["Series " + chr(ord("A") + i) for i in range(14)]
ISP_IMAGE_IDS = frozenset([3006, 3010, 3011, 3012] + list(range(3014, 3033)) + list(range(3034, 3044)) + [3045])
TRIM_FAMILIES = {
    # family byte -> {option byte: bits the trim encoding writes}
    0xF8: {1: 0x62},
    0xF9: {1: 0x62},
    0xFA: {0: 0x03, 1: 0x08},
    0xFC: {1: 0x08},
}
FAMILY_CODES = (0, 1, 0x301)
MAX_ROWS = 256  # kMaxChipRows in chip_table.h
PAGE_SIZES = (512, 128, 64)
SPECIAL_ITEM_NAMES = ("NA", "ISP_SIZE", "IAP_SIZE", "Trim_Frequency")
LINKED_BIT = ("HWENW", 4)  # every HWENW enables item slot 3 ("HWPSx")

TOP_KEYS = {"comment": False, "bitDescriptions": True, "layouts": True, "chips": True}
LAYOUT_KEYS = {"comment": False, "optionByteCount": True, "defaultOptions": False, "items": True, "bits": True}
ITEM_KEYS = {"name": True, "byteIndex": True, "mask": True, "bias": False, "bitMap": False, "choices": True}
BIT_KEYS = {"name": True, "byteIndex": True, "mask": True, "linkedItem": False}
DESCRIPTION_KEYS = {"en": True, "zh": True}
CHIP_KEYS = {
    "comment": False,
    "partName": True,
    "series": True,
    "chipId": True,
    "partCode": True,
    "familyCode": True,
    "targetParams": True,
    "algorithm": True,
    "flashSize": True,
    "flashPageSize": True,
    "eepromSize": True,
    "eepromPageSize": True,
    "ispResourceId": True,
    "customerStringSupported": True,
    "chipChecksumSupported": True,
    "layout": True,
    "defaultOptions": False,
}


class DataError(Exception):
    pass


def fail(where, key, message):
    location = where if key is None else "%s, key '%s'" % (where, key)
    raise DataError("%s: %s" % (location, message))


# A key written twice in one JSON object is recorded under this key (which no
# JSON text can spell) and refused where the object is checked, so that the
# message can name the row or layout.
DUPLICATES = "\0duplicates"


def keep_duplicate_keys(pairs):
    obj = {}
    for key, value in pairs:
        if key in obj:
            obj.setdefault(DUPLICATES, []).append(key)
        obj[key] = value
    return obj


def check_unique_keys(obj, where, what="key"):
    if isinstance(obj, dict) and DUPLICATES in obj:
        fail(where, obj[DUPLICATES][0], "%s written twice in one object" % what)


def check_keys(obj, allowed, where):
    if not isinstance(obj, dict):
        fail(where, None, "expected an object")
    check_unique_keys(obj, where)
    for key in obj:
        if key not in allowed:
            fail(where, key, "unknown key")
    for key, required in allowed.items():
        if required and key not in obj:
            fail(where, key, "missing key")


def check_comment(obj, where):
    if "comment" in obj:
        c = obj["comment"]
        if not (isinstance(c, str) or (isinstance(c, list) and all(isinstance(x, str) for x in c))):
            fail(where, "comment", "a comment is a text or a list of texts")


def number(value, where, key, lo, hi):
    """An integer field: a JSON integer (decimal) or a "0x.." text."""
    if isinstance(value, bool):
        fail(where, key, "expected a number, got %r" % value)
    if isinstance(value, int):
        n = value
    elif isinstance(value, str) and re.fullmatch(r"0[xX][0-9A-Fa-f]+", value):
        n = int(value, 16)
    else:
        fail(where, key, "expected an integer or a \"0x..\" text, got %r" % (value,))
    if not lo <= n <= hi:
        fail(where, key, "%d is outside %d..%d" % (n, lo, hi))
    return n


def text(value, where, key, allow_empty=False):
    if not isinstance(value, str):
        fail(where, key, "expected a text, got %r" % (value,))
    if not allow_empty and value == "":
        fail(where, key, "empty text")
    if "\0" in value:
        fail(where, key, "NUL inside a text")
    return value


def pieces(list_text):
    """Split at every ',' and skip empty pieces."""
    return [p for p in list_text.split(",") if p != ""]


def hex_token(token, where, key, what):
    if not re.fullmatch(r"0[xX][0-9A-Fa-f]{1,2}", token):
        fail(where, key, "%s %r is not a hexadecimal byte such as 0xF8" % (what, token))
    return int(token, 16)


def parse_default_options(value, count, where, key):
    text(value, where, key)
    tokens = value.split(",")
    if any(t == "" for t in tokens):
        fail(where, key, "empty token in %r" % value)
    if len(tokens) != count:
        fail(where, key, "%d tokens but optionByteCount is %d" % (len(tokens), count))
    return [hex_token(t, where, key, "token") for t in tokens]


def parse_bitmap(value, count, where, key):
    if value == "NA":
        return []
    pairs = []
    for piece in pieces(value):
        m = re.fullmatch(r"([0-9]+)\|(0[xX][0-9A-Fa-f]{1,2})", piece)
        if not m:
            fail(where, key, "bitMap pair %r is not index|0xMASK" % piece)
        index, mask = int(m.group(1)), int(m.group(2), 16)
        if index >= count:
            fail(where, key, "bitMap index %d is not below optionByteCount %d" % (index, count))
        if mask == 0 or mask & (mask - 1):
            fail(where, key, "bitMap mask 0x%02X is not a single bit" % mask)
        pairs.append((index, mask))
    if not pairs:
        fail(where, key, "bitMap %r has no pair (write \"NA\" for a contiguous field)" % value)
    if len(pairs) > 7:
        fail(where, key, "bitMap has %d pairs; at most seven are allowed" % len(pairs))
    return pairs


def parse_isp_choices(value, mask, where, key):
    sizes, codes = [], []
    for piece in pieces(value):
        m = re.fullmatch(r"([0-9]+)\|(0[xX][0-9A-Fa-f]{1,2})", piece)
        if not m:
            fail(where, key, "ISP_SIZE pair %r is not size|0xCODE" % piece)
        size, code = int(m.group(1)), int(m.group(2), 16)
        if code & ~mask & 0xFF:
            fail(where, key, "ISP code 0x%02X has bits outside mask 0x%02X" % (code, mask))
        if code in codes:
            fail(where, key, "ISP code 0x%02X appears twice" % code)
        if sizes and size <= sizes[-1]:
            fail(where, key, "ISP sizes must increase (%d after %d)" % (size, sizes[-1]))
        if size % 512:
            fail(where, key, "ISP size %d is not a multiple of 512" % size)
        sizes.append(size)
        codes.append(code)
    if not sizes or sizes[0] != 0:
        fail(where, key, "the first ISP_SIZE pair must be the size 0")
    return sizes


def used_bits(claims, byte, mask, owner, where, key):
    """Records that owner uses the bits mask of option byte byte; refuses overlaps."""
    for bit in range(8):
        if mask & (1 << bit):
            other = claims.get((byte, bit))
            if other is not None:
                fail(where, key, "%s and %s both use bit %d of option byte %d" % (other, owner, bit, byte))
            claims[(byte, bit)] = owner


def check_layout(name, layout, descriptions):
    where = "layout '%s'" % name
    check_keys(layout, LAYOUT_KEYS, where)
    check_comment(layout, where)
    count = number(layout["optionByteCount"], where, "optionByteCount", 2, 9)
    defaults = None
    if "defaultOptions" in layout:
        defaults = parse_default_options(layout["defaultOptions"], count, where, "defaultOptions")

    items_in = layout["items"]
    if not isinstance(items_in, list) or len(items_in) != ITEM_SLOTS:
        fail(where, "items", "expected a list of %d item slots" % ITEM_SLOTS)
    bits_in = layout["bits"]
    if not isinstance(bits_in, list) or len(bits_in) != BIT_SLOTS:
        fail(where, "bits", "expected a list of %d bit slots" % BIT_SLOTS)

    claims = {}
    items = []
    isp_sizes = None
    for k, raw in enumerate(items_in):
        iwhere = "%s, item slot %d" % (where, k)
        if raw == "NA":
            items.append(None)
            continue
        check_keys(raw, ITEM_KEYS, iwhere)
        item_name = text(raw["name"], iwhere, "name")
        if item_name == "NA":
            fail(iwhere, "name", "write the string \"NA\" for an empty slot, not an object")
        byte = number(raw["byteIndex"], iwhere, "byteIndex", 0, 255)
        if byte >= count:
            fail(iwhere, "byteIndex", "%d is not below optionByteCount %d" % (byte, count))
        mask = number(raw["mask"], iwhere, "mask", 0, 0xFF)
        bias = number(raw.get("bias", 0), iwhere, "bias", -128, 127)
        bitmap_text = text(raw.get("bitMap", "NA"), iwhere, "bitMap")
        bitmap = parse_bitmap(bitmap_text, count, iwhere, "bitMap")
        choices = text(raw["choices"], iwhere, "choices")
        if len(choices) >= 256:
            fail(iwhere, "choices", "choice lists must stay below 256 characters")

        if item_name == "ISP_SIZE":
            if k != 0:
                fail(iwhere, "name", "ISP_SIZE belongs in item slot 0")
            if bitmap or bias:
                fail(iwhere, "bitMap", "ISP_SIZE takes neither bitMap nor bias")
            if mask == 0:
                fail(iwhere, "mask", "ISP_SIZE needs a mask")
            isp_sizes = parse_isp_choices(choices, mask, iwhere, "choices")
            used_bits(claims, byte, mask, "ISP_SIZE", iwhere, "mask")
        elif item_name == "IAP_SIZE":
            if k != 1:
                fail(iwhere, "name", "IAP_SIZE belongs in item slot 1")
            if bitmap or bias:
                fail(iwhere, "bitMap", "IAP_SIZE takes neither bitMap nor bias")
            if mask != 0xFE:
                fail(iwhere, "mask", "IAP_SIZE has mask 0xFE")
            if choices != "C8051-IAP":
                fail(iwhere, "choices", "IAP_SIZE choices are \"C8051-IAP\"")
            used_bits(claims, byte, mask, "IAP_SIZE", iwhere, "mask")
        elif item_name == "Trim_Frequency":
            if k != 2:
                fail(iwhere, "name", "Trim_Frequency belongs in item slot 2")
            if byte != 0 or mask != 0 or bitmap or bias:
                fail(iwhere, "mask", "Trim_Frequency has no bits: byteIndex 0, mask 0, no bitMap, no bias")
            labels = pieces(choices)
            frequency_list = ["External", "6M", "8M", "11.0592M", "12M", "20M", "22.1184M", "24M", "24.576M"]
            for label in labels:
                if label not in frequency_list:
                    fail(iwhere, "choices", "%r is not in the frequency list" % label)
            if labels[0] != "External":
                fail(iwhere, "choices", "the first frequency must be \"External\"")
        else:
            if k == 0:
                fail(iwhere, "name", "item slot 0 holds ISP_SIZE")
            if len(pieces(choices)) < 1:
                fail(iwhere, "choices", "no labels")
            if bitmap:
                if (1 << len(bitmap)) - 1 - bias < len(pieces(choices)) - 1:
                    fail(iwhere, "bitMap", "the field cannot hold every label")
                for idx, bmask in bitmap:
                    used_bits(claims, idx, bmask, "item '%s'" % item_name, iwhere, "bitMap")
            else:
                if mask == 0:
                    fail(iwhere, "mask", "a field item needs a mask")
                low = (mask & -mask).bit_length() - 1
                width_values = (mask >> low) + 1
                if width_values - bias < len(pieces(choices)):
                    fail(iwhere, "choices", "mask 0x%02X with bias %d cannot hold %d labels"
                         % (mask, bias, len(pieces(choices))))
                used_bits(claims, byte, mask, "item '%s'" % item_name, iwhere, "mask")
        if k >= 4:
            fail(iwhere, None, "item slots 4 and 5 are always \"NA\"")
        items.append(dict(name=item_name, byteIndex=byte, mask=mask, bias=bias, bitMap=bitmap_text, choices=choices,
                          pairs=bitmap))
    if items[0] is None:
        fail("%s, item slot 0" % where, None, "item slot 0 holds ISP_SIZE on every row")

    bits = []
    seen_bits = set()
    for j, raw in enumerate(bits_in):
        bwhere = "%s, bit slot %d" % (where, j)
        if raw == "NA":
            bits.append(None)
            continue
        if j >= 12:
            fail(bwhere, None, "bit slots 12 and 13 are always \"NA\"")
        check_keys(raw, BIT_KEYS, bwhere)
        bit_name = text(raw["name"], bwhere, "name")
        if bit_name == "NA":
            fail(bwhere, "name", "write the string \"NA\" for an empty slot, not an object")
        if bit_name not in descriptions:
            fail(bwhere, "name", "no description for bit option '%s' in bitDescriptions" % bit_name)
        if bit_name in seen_bits:
            fail(bwhere, "name", "bit option '%s' appears twice in this layout" % bit_name)
        seen_bits.add(bit_name)
        byte = number(raw["byteIndex"], bwhere, "byteIndex", 0, 255)
        if byte >= count:
            fail(bwhere, "byteIndex", "%d is not below optionByteCount %d" % (byte, count))
        mask = number(raw["mask"], bwhere, "mask", 1, 0xFF)
        if mask & (mask - 1):
            fail(bwhere, "mask", "0x%02X is not a single bit" % mask)
        linked = number(raw.get("linkedItem", 0), bwhere, "linkedItem", 0, ITEM_SLOTS)
        if linked and items[linked - 1] is None:
            fail(bwhere, "linkedItem", "links item slot %d, which is empty" % (linked - 1))
        if bit_name == LINKED_BIT[0]:
            if linked != LINKED_BIT[1]:
                fail(bwhere, "linkedItem", "HWENW is linked to item 4 (HWPSx in slot 3)")
            if items[3] is None or items[3]["name"] != "HWPSx":
                fail(bwhere, "linkedItem", "HWENW needs HWPSx in item slot 3")
        elif linked:
            fail(bwhere, "linkedItem", "only HWENW has a linked item")
        used_bits(claims, byte, mask, "bit '%s'" % bit_name, bwhere, "mask")
        bits.append(dict(name=bit_name, byteIndex=byte, mask=mask, linkedItem=linked))

    return dict(name=name, optionByteCount=count, defaults=defaults, defaultText=layout.get("defaultOptions"),
                items=items, bits=bits, claims=claims, isp_sizes=isp_sizes)


def check_description(name, raw):
    where = "bitDescriptions '%s'" % name
    check_keys(raw, DESCRIPTION_KEYS, where)
    return text(raw["en"], where, "en"), text(raw["zh"], where, "zh")


def check_chip(index, raw, layouts):
    name_hint = raw.get("partName") if isinstance(raw, dict) else None
    where = "chips[%d]%s" % (index, " (%s)" % name_hint if isinstance(name_hint, str) else "")
    check_keys(raw, CHIP_KEYS, where)
    check_comment(raw, where)
    chip = {}
    chip["partName"] = text(raw["partName"], where, "partName")
    if not re.fullmatch(r"[\x21-\x7E]{1,31}", chip["partName"]):
        fail(where, "partName", "part names are 1 to 31 printable ASCII characters without spaces")
    series = raw["series"]
    if series not in SERIES:
        fail(where, "series", "%r is not one of \"Series A\" .. \"Series N\"" % (series,))
    chip["seriesIndex"] = SERIES.index(series)

    chip_id = raw["chipId"]
    if not isinstance(chip_id, list) or len(chip_id) != 2:
        fail(where, "chipId", "expected [product byte, family byte]")
    chip["chipId"] = [number(b, where, "chipId", 0, 0xFF) for b in chip_id]
    chip["partCode"] = number(raw["partCode"], where, "partCode", 0, 0xFFFF)
    chip["familyCode"] = number(raw["familyCode"], where, "familyCode", 0, 0xFFFF)
    if chip["familyCode"] not in FAMILY_CODES:
        fail(where, "familyCode", "0x%X is not one of 0, 1, 0x301" % chip["familyCode"])
    params = raw["targetParams"]
    if not isinstance(params, list) or len(params) != 4:
        fail(where, "targetParams", "expected four bytes")
    chip["targetParams"] = [number(b, where, "targetParams", 0, 0xFF) for b in params]
    if chip["targetParams"][3] not in (1, 2):
        fail(where, "targetParams", "the last byte is 1 (low-voltage) or 2 (5-volt)")
    chip["algorithm"] = number(raw["algorithm"], where, "algorithm", 2, 12)
    chip["flashSize"] = number(raw["flashSize"], where, "flashSize", 8 * 1024, 64 * 1024)
    if chip["flashSize"] % 1024:
        fail(where, "flashSize", "not a whole number of kilobytes")
    chip["flashPageSize"] = number(raw["flashPageSize"], where, "flashPageSize", 0, 0xFFFF)
    if chip["flashPageSize"] not in PAGE_SIZES:
        fail(where, "flashPageSize", "%d is not one of 512, 128, 64" % chip["flashPageSize"])
    chip["eepromSize"] = number(raw["eepromSize"], where, "eepromSize", 0, 64 * 1024)
    chip["eepromPageSize"] = number(raw["eepromPageSize"], where, "eepromPageSize", 0, 0xFFFF)
    if chip["eepromPageSize"] != (16 if chip["eepromSize"] else 0):
        fail(where, "eepromPageSize", "16 where an EEPROM exists, else 0")
    chip["ispResourceId"] = number(raw["ispResourceId"], where, "ispResourceId", 0, 0xFFFF)
    if chip["ispResourceId"] not in ISP_IMAGE_IDS:
        fail(where, "ispResourceId", "%d is not one of the built-in ISP image ids" % chip["ispResourceId"])
    chip["customerStringSupported"] = number(raw["customerStringSupported"], where, "customerStringSupported", 0, 1)
    chip["chipChecksumSupported"] = number(raw["chipChecksumSupported"], where, "chipChecksumSupported", 0, 1)

    layout_name = text(raw["layout"], where, "layout")
    if layout_name not in layouts:
        fail(where, "layout", "no layout named '%s'" % layout_name)
    layout = layouts[layout_name]
    chip["layout"] = layout
    count = layout["optionByteCount"]
    if "defaultOptions" in raw:
        chip["defaults"] = parse_default_options(raw["defaultOptions"], count, where, "defaultOptions")
        chip["defaultText"] = raw["defaultOptions"]
    elif layout["defaults"] is not None:
        chip["defaults"] = layout["defaults"]
        chip["defaultText"] = layout["defaultText"]
    else:
        fail(where, "defaultOptions", "neither the row nor layout '%s' gives default options" % layout_name)
    if chip["chipChecksumSupported"] and not 6 <= count <= 9:
        fail(where, "chipChecksumSupported", "a chip keeping its checksum has 6 to 9 option bytes")

    # Trim handling follows the family byte.
    family = chip["chipId"][1]
    names = [it["name"] if it else "NA" for it in layout["items"]]
    if family in TRIM_FAMILIES:
        if names[2] != "Trim_Frequency":
            fail(where, "layout", "family byte 0x%02X needs a Trim_Frequency item in slot 2" % family)
        for byte, bits in TRIM_FAMILIES[family].items():
            for bit in range(8):
                owner = layout["claims"].get((byte, bit))
                if bits & (1 << bit) and owner is not None:
                    fail(where, "layout", "%s uses bit %d of option byte %d, which the trim encoding of "
                         "family 0x%02X writes" % (owner, bit, byte, family))
    elif "Trim_Frequency" in names:
        fail(where, "layout", "Trim_Frequency only on the families 0xF8, 0xF9, 0xFA, 0xFC")

    # The default bytes must decode to a real ISP pair.
    isp_item = layout["items"][0]
    code = chip["defaults"][isp_item["byteIndex"]] & isp_item["mask"]
    isp_codes = [int(p.split("|")[1], 16) for p in pieces(isp_item["choices"])]
    if code not in isp_codes:
        fail(where, "defaultOptions", "the default ISP_SIZE code 0x%02X matches no pair" % code)
    if layout["isp_sizes"][-1] >= chip["flashSize"]:
        fail(where, "flashSize", "the largest ISP area (%d) does not fit the Flash" % layout["isp_sizes"][-1])
    return chip


def check_rows(chips):
    names = {}
    for i, chip in enumerate(chips):
        where = "chips[%d] (%s)" % (i, chip["partName"])
        if chip["partName"] in names:
            fail(where, "partName", "duplicate part name (also chips[%d])" % names[chip["partName"]])
        names[chip["partName"]] = i

    def paired(i, j):
        """Rows i and j = i + 1 are one part's low-voltage and 5-volt variants."""
        a, b = chips[i], chips[j]
        same = all(a[k] == b[k] for k in ("seriesIndex", "chipId", "familyCode", "algorithm", "flashSize",
                                          "flashPageSize", "eepromSize", "eepromPageSize", "ispResourceId",
                                          "customerStringSupported", "chipChecksumSupported", "defaults"))
        return (j == i + 1 and same and a["layout"] is b["layout"]
                and {a["targetParams"][3], b["targetParams"][3]} == {1, 2})

    for key, what in ((lambda c: tuple(c["chipId"]), "identity bytes"), (lambda c: c["partCode"], "partCode")):
        first = {}
        for i, chip in enumerate(chips):
            k = key(chip)
            if k in first:
                j = first[k]
                if not (i == j + 1 and paired(j, i)):
                    fail("chips[%d] (%s)" % (i, chip["partName"]), "partCode" if what == "partCode" else "chipId",
                         "same %s as chips[%d]; only the two rows of one low-voltage / 5-volt pair may share them"
                         % (what, j))
            else:
                first[k] = i


def c_string(value):
    """A C++ string literal in pure ASCII: UTF-8 bytes outside printable ASCII as 3-digit octal escapes."""
    out = ['"']
    for byte in value.encode("utf-8"):
        ch = chr(byte)
        if ch in '"\\':
            out.append("\\" + ch)
        elif 0x20 <= byte < 0x7F:
            out.append(ch)
        else:
            out.append("\\%03o" % byte)
    out.append('"')
    return "".join(out)


def emit(chips, descriptions, source_name):
    lines = []
    w = lines.append
    w("// Generated by library/chips/generate_chip_table.py from %s. Do not edit." % source_name)
    w("#include \"chips/chip_table.h\"")
    w("")
    w("#include <iterator>")
    w("")
    w("namespace scriba8 {")
    w("namespace {")
    w("")
    w("constexpr ChipRecord kChips[] = {")
    for i, chip in enumerate(chips):
        layout = chip["layout"]
        w("    // %d: %s, %s, layout %s" % (i, chip["partName"], SERIES[chip["seriesIndex"]], layout["name"]))
        w("    {%s, 0x%04Xu, {0x%02X, 0x%02X}, 0x%04X, 0x%03X, {0x%02X, 0x%02X, 0x%02X, 0x%02X}, %du, %du, %d, %du, %d,"
          % (c_string(chip["partName"]), 1 << chip["seriesIndex"], chip["chipId"][0], chip["chipId"][1],
             chip["partCode"], chip["familyCode"], *chip["targetParams"], chip["algorithm"], chip["flashSize"],
             chip["flashPageSize"], chip["eepromSize"], chip["eepromPageSize"]))
        w("     %d, %du, %du, %du, %s,"
          % (chip["ispResourceId"], chip["customerStringSupported"], chip["chipChecksumSupported"],
             layout["optionByteCount"], c_string(chip["defaultText"])))
        w("     {")
        for it in layout["items"]:
            if it is None:
                w('         {"NA", 0, 0x00, 0, "NA", "NA"},')
            else:
                w("         {%s, %d, 0x%02X, %d, %s, %s},"
                  % (c_string(it["name"]), it["byteIndex"], it["mask"], it["bias"], c_string(it["bitMap"]),
                     c_string(it["choices"])))
        w("     },")
        w("     {")
        for bit in layout["bits"]:
            if bit is None:
                w('         {"NA", 0, 0x00, 0u, "NA" "\\0" "NA"},')
            else:
                en, zh = descriptions[bit["name"]]
                w('         {%s, %d, 0x%02X, %du, %s "\\0" %s},'
                  % (c_string(bit["name"]), bit["byteIndex"], bit["mask"], bit["linkedItem"], c_string(en),
                     c_string(zh)))
        w("     }},")
    w("};")
    w("static_assert(std::size(kChips) <= kMaxChipRows);")
    w("")
    w("} // namespace")
    w("")
    w("std::span<const ChipRecord> chipTable() { return kChips; }")
    w("")
    w("const ChipRecord* chipAt(std::int32_t index) {")
    w("    if (index < 0 || static_cast<std::size_t>(index) >= std::size(kChips)) return nullptr;")
    w("    return &kChips[index];")
    w("}")
    w("")
    w("} // namespace scriba8")
    return "\n".join(lines) + "\n"


def generate(in_path):
    try:
        with open(in_path, encoding="utf-8") as f:
            doc = json.load(f, object_pairs_hook=keep_duplicate_keys)
    except (OSError, UnicodeDecodeError, json.JSONDecodeError) as e:
        raise DataError("%s: cannot read the data: %s" % (in_path, e))

    check_keys(doc, TOP_KEYS, "top level")
    check_comment(doc, "top level")
    if not isinstance(doc["bitDescriptions"], dict):
        fail("top level", "bitDescriptions", "expected an object")
    check_unique_keys(doc["bitDescriptions"], "bitDescriptions", "bit option")
    descriptions = {n: check_description(n, d) for n, d in doc["bitDescriptions"].items()}
    if not isinstance(doc["layouts"], dict) or not doc["layouts"]:
        fail("top level", "layouts", "expected a non-empty object")
    check_unique_keys(doc["layouts"], "layouts", "layout name")
    layouts = {n: check_layout(n, l, descriptions) for n, l in doc["layouts"].items()}
    if not isinstance(doc["chips"], list) or not doc["chips"]:
        fail("top level", "chips", "expected a non-empty list")
    if len(doc["chips"]) > MAX_ROWS:
        fail("top level", "chips", "%d rows; the library holds at most %d (kMaxChipRows)" % (len(doc["chips"]), MAX_ROWS))
    chips = [check_chip(i, c, layouts) for i, c in enumerate(doc["chips"])]
    check_rows(chips)
    return emit(chips, descriptions, os.path.basename(in_path))


def main(argv):
    if len(argv) != 3:
        print("usage: generate_chip_table.py <in.json> <out.cpp>", file=sys.stderr)
        return 2
    in_path, out_path = argv[1], argv[2]
    try:
        source = generate(in_path)
    except DataError as e:
        message = str(e)
        if not message.startswith(in_path):
            message = "%s: %s" % (in_path, message)
        print("generate_chip_table.py: error: %s" % message, file=sys.stderr)
        try:
            os.remove(out_path)
        except OSError:
            pass
        return 1
    out_dir = os.path.dirname(os.path.abspath(out_path))
    fd, tmp = tempfile.mkstemp(prefix=".chip_table.", dir=out_dir)
    with os.fdopen(fd, "w", encoding="ascii", newline="\n") as f:
        f.write(source)
    os.replace(tmp, out_path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
