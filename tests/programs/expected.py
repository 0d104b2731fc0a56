"""What a handset's state file says the exported files must hold, worked out
from the state's own bytes: names, numbers in international form, caller
groups, message texts and time stamps (GSM 03.40), calendar notes."""
import datetime
import re

# The GSM 7-bit default alphabet and its extension table.
GSM = ("@£$¥èéùìòÇ\nØø\rÅåΔ_ΦΓΛΩΠΨΣΘΞ\x1bÆæßÉ !\"#¤%&'()*+,-./0123456789:;<=>?"
       "¡ABCDEFGHIJKLMNOPQRSTUVWXYZÄÖÑÜ§¿abcdefghijklmnopqrstuvwxyzäöñüà")
GSM_EXT = {0x0A: "\f", 0x14: "^", 0x28: "{", 0x29: "}", 0x2F: "\\", 0x3C: "[", 0x3D: "~", 0x3E: "]", 0x40: "|",
           0x65: "€"}
MARKERS = {"H": "HOME", "W": "WORK", "M": "CELL"}
BUSINESS_WORDS = {"pizza", "taxi", "bank", "pharmacy", "garage"}


def handset_text(data):
    """A name or note text as the handset keeps it: 04 FF and UCS-2, else 8-bit."""
    data = bytes(data)
    if data[:2] == b"\x04\xff":
        return data[2:].decode("utf-16-be")
    return data.decode("latin-1")


def entry_name(e):
    return handset_text(bytes.fromhex(e["name_hex"])) if "name_hex" in e else e.get("name", "")


def international(number, country_code="358"):
    """The E.164 form of a number dialled in the handset's country, or the
    number itself when it is a short code or holds a pause or wait (p/w)."""
    m = re.match(r"^([+0-9]*)(.*)$", number)
    head, tail = m.group(1), m.group(2)
    if tail:
        return number, ""  # *100#, 112#, 0401234p12: kept as typed
    if head.startswith("+"):
        return head, tail
    if head.startswith("00"):
        return "+" + head[2:], tail
    if head.startswith("0") and len(head) >= 7:
        return "+" + country_code + head[1:], tail
    return number, ""


# A few of the commonest Chinese family names: a name beginning with one is split after it.
HAN_FAMILY_NAMES = "王李張陳林黃吳劉蔡楊"


def is_cjk(text):
    return text and all(0x3400 <= ord(c) <= 0x9FFF for c in text)


def split_name(name):
    """(given, family) of a person's name: the last word is the family name,
    a one-word name is a given name; a Chinese name starts with the family;
    a shop's name stays whole."""
    words = name.split()
    if any(w.lower() in BUSINESS_WORDS for w in words):
        return name, ""  # a shop's name is no person's
    if len(words) == 1 and is_cjk(name) and 2 <= len(name) <= 3 and name[0] in HAN_FAMILY_NAMES:
        return name[1:], name[0]
    if len(words) <= 1:
        return name, ""
    return " ".join(words[:-1]), words[-1]


def group_names(state):
    names = []
    for g in state["phonebook"]["groups"]:
        names.append(handset_text(bytes.fromhex(g["name_hex"])) if "name_hex" in g else g.get("name", ""))
    return names


def contacts(state):
    """The contacts after merging: entries of the same name and number (in
    either memory, national or international) are one; "Bob H" and "Bob W"
    are one "Bob" with typed numbers. Each: given, family, numbers
    [(e164, tail, type)], categories."""
    groups = group_names(state)
    entries = []
    for memory in ("phone", "sim"):
        for e in state["phonebook"][memory]["entries"]:
            name, number = entry_name(e), e.get("number", "")
            if name and number:
                entries.append((name, number, e.get("group", 5)))
    bases = {}
    for name, _, _ in entries:
        m = re.match(r"^(.*\S) ([HWM])$", name)
        if m:
            bases.setdefault(m.group(1), []).append(name)
    people = {}
    order = []
    for name, number, group in entries:
        m = re.match(r"^(.*\S) ([HWM])$", name)
        marker = ""
        if m and len(bases.get(m.group(1), [])) >= 2:
            name, marker = m.group(1), MARKERS[m.group(2)]
        e164, tail = international(number)
        key = (name, None if marker else e164 + tail)
        if key not in people:
            people[key] = {"name": name, "numbers": [], "categories": set()}
            order.append(key)
        p = people[key]
        if (e164, tail) not in [(n, t) for n, t, _ in p["numbers"]]:
            p["numbers"].append((e164, tail, marker))
        if 0 <= group < 5 and groups[group]:
            p["categories"].add(groups[group])
    out = []
    for key in order:
        p = people[key]
        p["given"], p["family"] = split_name(p["name"])
        out.append(p)
    return out


def unpack_septets(data, start_bit, count):
    value = int.from_bytes(bytes(data), "little")
    return [(value >> (start_bit + 7 * i)) & 0x7F for i in range(count)]


def gsm_text(septets):
    out, escape = [], False
    for s in septets:
        if escape:
            out.append(GSM_EXT.get(s, " "))
            escape = False
        elif s == 0x1B:
            escape = True
        else:
            out.append(GSM[s])
    return "".join(out)


def stamp_instant(stamp_hex):
    """A service-centre time stamp: the local time, its zone (quarter hours,
    sign in bit 3 of the seventh byte) and the instant."""
    b = bytes.fromhex(stamp_hex)
    digit = [((x & 0x0F) * 10) + (x >> 4) for x in b[:6]]
    zone = b[6]
    quarters = ((zone & 0x07) * 10) + (zone >> 4)
    if zone & 0x08:
        quarters = -quarters
    tz = datetime.timezone(datetime.timedelta(minutes=15 * quarters))
    year = digit[0] + (2000 if digit[0] < 90 else 1900)
    return datetime.datetime(year, digit[1], digit[2], digit[3], digit[4], digit[5], tzinfo=tz)


def messages(state):
    """The messages, parts of one joined: folder, number, status, the present
    parts' texts, the whole text when no part is missing, the stamp."""
    singles, parts = [], {}
    for m in state["sms"]["messages"]:
        data = bytes.fromhex(m["data"])
        header, start = b"", 0
        if m.get("first_octet", -1) >= 0 and m["first_octet"] & 0x40:
            header = data[1:1 + data[0]]
            start = 1 + data[0]
        if m["coding"] & 0x0C == 0x08:
            text = data[start:].decode("utf-16-be")
        else:
            bits = start * 8
            first = (bits + 6) // 7
            text = gsm_text(unpack_septets(data, first * 7, m["length"] - first))
        msg = {"folder": "inbox" if m["status"] in (1, 3) else "outbox", "number": m["number"],
               "status": m["status"], "stamp": stamp_instant(m["stamp"]) if m.get("stamp") else None}
        ref = None
        i = 0
        while i + 1 < len(header):
            iei, length = header[i], header[i + 1]
            body = header[i + 2:i + 2 + length]
            if iei == 0x00 and length == 3:
                ref = (body[0], body[1], body[2])
            elif iei == 0x08 and length == 4:
                ref = ((body[0] << 8) | body[1], body[2], body[3])
            i += 2 + length
        if ref is None:
            msg.update(parts=[text], text=text)
            singles.append(msg)
            continue
        key = (msg["folder"], m["number"], ref[0], ref[1])
        parts.setdefault(key, (msg, {}))[1][ref[2]] = text
    out = singles
    for (_, _, _, total), (msg, texts) in parts.items():
        msg["parts"] = [texts[k] for k in sorted(texts)]
        msg["text"] = "".join(msg["parts"]) if len(texts) == total else None
        out.append(msg)
    return out


def notes(state):
    """Calendar notes: type (1 reminder, 2 call, 3 meeting, 4 birthday), text,
    when and alarm as naive local times, a call's number."""
    out = []
    for n in state["calendar"]["notes"]:
        text = handset_text(n["text_bytes"]) if "text_bytes" in n else n.get("text", "")
        when = datetime.datetime(*n["when"])
        alarm = datetime.datetime(*n["alarm"]) if "alarm" in n else None
        out.append({"type": n["type"], "text": text, "when": when, "alarm": alarm, "number": n.get("number", "")})
    return out
