#!/usr/bin/python3
"""phondeck's export of the demo handset and of a full one, read by the
programs people import such files with: Radicale (the CardDAV and CalDAV
upload), khard and python3-vobject (contacts.vcf), python3-icalendar and khal
(calendar.ics), xml.etree (messages.xml) and the mailbox module
(messages.mbox). Every check reads what those programs print or return and
compares it with what the handset's state file holds. Run by Debian's
/usr/bin/python3, which has those modules."""
import argparse
import ast
import base64
import collections
import datetime
import email.utils
import json
import mailbox
import os
import re
import select
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.parse
import urllib.request
import xml.etree.ElementTree as ET
import zoneinfo

sys.dont_write_bytecode = True  # nothing written into the source tree
import expected  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
ZONE = "Europe/Helsinki"
USER, PASSWORD = "alice", "wonder land 7"
PRIVATE_FILES = ("contacts.vcf", "messages.xml", "messages.mbox", "calendar.ics")
failures = []
report = collections.OrderedDict()


def check(ok, what):
    if not ok:
        failures.append(what)
    return ok


def run(argv, env=None, timeout=60, cwd=None):
    p = subprocess.run(argv, env=env, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                       timeout=timeout)
    return p.returncode, p.stdout.decode("utf-8", "replace")


# --- Radicale ----------------------------------------------------------------

class Radicale:
    """Radicale on 127.0.0.1 on a free port, a temporary storage and one user."""

    def __init__(self, folder):
        with socket.socket() as s:
            s.bind(("127.0.0.1", 0))
            self.port = s.getsockname()[1]
        self.base = "http://127.0.0.1:%d" % self.port
        users = os.path.join(folder, "users")
        with open(users, "w") as f:
            f.write("%s:%s\n" % (USER, PASSWORD))
        config = os.path.join(folder, "radicale.conf")
        with open(config, "w") as f:
            f.write("[server]\nhosts = 127.0.0.1:%d\n[auth]\ntype = htpasswd\nhtpasswd_filename = %s\n"
                    "htpasswd_encryption = plain\n[storage]\nfilesystem_folder = %s\n[logging]\nlevel = warning\n"
                    % (self.port, users, os.path.join(folder, "storage")))
        self.log = open(os.path.join(folder, "radicale.log"), "w+")
        self.process = subprocess.Popen(["/usr/bin/python3", "-m", "radicale", "--config", config],
                                        stdout=self.log, stderr=subprocess.STDOUT)
        end = time.time() + 20
        while time.time() < end:
            try:
                with socket.create_connection(("127.0.0.1", self.port), timeout=0.5):
                    return
            except OSError:
                if self.process.poll() is not None:
                    break
                time.sleep(0.1)
        self.stop()
        raise RuntimeError("Radicale did not start: " + self.log_text())

    def log_text(self):
        self.log.seek(0)
        return self.log.read()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

    def request(self, method, path, body=None, headers=None):
        req = urllib.request.Request(self.base + path, data=body.encode() if body else None, method=method)
        token = base64.b64encode(("%s:%s" % (USER, PASSWORD)).encode()).decode()
        req.add_header("Authorization", "Basic " + token)
        for k, v in (headers or {}).items():
            req.add_header(k, v)
        try:
            with urllib.request.urlopen(req, timeout=10) as r:
                return r.status, r.read().decode("utf-8", "replace")
        except urllib.error.HTTPError as e:
            return e.code, e.read().decode("utf-8", "replace")

    def make_collections(self, name):
        book = ('<?xml version="1.0"?><mkcol xmlns="DAV:" xmlns:CR="urn:ietf:params:xml:ns:carddav"><set><prop>'
                '<resourcetype><collection/><CR:addressbook/></resourcetype></prop></set></mkcol>')
        status, _ = self.request("MKCOL", "/%s/%s-contacts/" % (USER, name), book,
                                 {"Content-Type": "application/xml"})
        status2, _ = self.request("MKCALENDAR", "/%s/%s-calendar/" % (USER, name))
        if status != 201 or status2 != 201:
            raise RuntimeError("Radicale did not make the collections: %d %d" % (status, status2))
        return self.base + "/%s/%s-contacts/" % (USER, name), self.base + "/%s/%s-calendar/" % (USER, name)

    def members(self, url):
        """{resource name: ETag} of a collection, from PROPFIND Depth 1."""
        path = urllib.parse.urlparse(url).path
        status, text = self.request("PROPFIND", path, '<?xml version="1.0"?><propfind xmlns="DAV:"><prop>'
                                    '<getetag/></prop></propfind>', {"Depth": "1"})
        if status != 207:
            return None
        out = {}
        for response in ET.fromstring(text).findall("{DAV:}response"):
            href = urllib.parse.unquote(response.findtext("{DAV:}href"))
            if href.rstrip("/") == path.rstrip("/"):
                continue
            out[href.rsplit("/", 1)[-1]] = response.findtext(".//{DAV:}getetag")
        return out


# --- The handsets ------------------------------------------------------------

def demo_state(handset):
    """The demo handset's state: telvane-handset without a state file prints
    it when it stops."""
    p = subprocess.Popen([handset], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    p.stdout.readline()  # its terminal's path
    p.send_signal(signal.SIGTERM)
    out, _ = p.communicate(timeout=10)
    return json.loads(out)


class PtyHandset:
    """telvane-handset with a copy of a state file, on a pseudo-terminal."""

    def __init__(self, handset, state_file, folder):
        self.state = os.path.join(folder, "handset.json")
        shutil.copyfile(state_file, self.state)
        self.process = subprocess.Popen([handset, "--state", self.state], stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL)
        ready, _, _ = select.select([self.process.stdout], [], [], 10)
        self.path = self.process.stdout.readline().decode().strip() if ready else ""
        if not self.path.startswith("/dev/"):
            self.stop()
            raise RuntimeError("telvane-handset gave no terminal")

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


# --- The checks of each file -------------------------------------------------

def cards_of(text):
    """The cards of a file as they are, for khard, which reads one a file."""
    return re.findall(r"BEGIN:VCARD\r?\n.*?END:VCARD\r?\n?", text, re.S | re.I)


def check_contacts(label, folder, state, home, env):
    import vobject
    text = open(os.path.join(folder, "contacts.vcf"), encoding="utf-8").read()
    cards = cards_of(text)
    parsed = list(vobject.readComponents(text))
    want = expected.contacts(state)
    check(len(parsed) == len(cards), "%s: vobject read %d cards of %d" % (label, len(parsed), len(cards)))
    for card in parsed:
        check(all(hasattr(card, p) for p in ("uid", "fn", "n")), "%s: vobject: a card lacks UID, FN or N: %s"
              % (label, card.serialize()[:200]))

    book = os.path.join(home, "book-" + label)
    os.makedirs(book)
    for i, card in enumerate(cards):
        with open(os.path.join(book, "%03d.vcf" % i), "w", encoding="utf-8", newline="") as f:
            f.write(card)
    config = os.path.join(home, ".config", "khard", "khard.conf")
    os.makedirs(os.path.dirname(config), exist_ok=True)
    with open(config, "w") as f:
        f.write("[addressbooks]\n[[phone]]\npath = %s\n[general]\neditor = /bin/true\nmerge_editor = /bin/true\n"
                "[vcard]\nskip_unparsable = no\n" % book)
    rc, out = run(["khard", "list", "--parsable", "-F", "uid,first_name,last_name,phone_numbers,categories"],
                  env=env)
    check(rc == 0, "%s: khard list failed: %s" % (label, out[:400]))
    listed = []
    for line in out.splitlines():
        fields = line.split("\t")
        if len(fields) != 5:
            continue
        numbers = ast.literal_eval(fields[3]) if fields[3].startswith("{") else {}
        cats = fields[4]
        cats = ast.literal_eval(cats) if cats.startswith("[") else ([cats] if cats else [])
        listed.append({"given": fields[1], "family": fields[2], "numbers": numbers, "categories": set(cats)})
    report["%s: khard contacts" % label] = "%d listed, %d expected" % (len(listed), len(want))
    check(len(listed) == len(want), "%s: khard lists %d contacts, the handset makes %d"
          % (label, len(listed), len(want)))
    check(collections.Counter((c["given"], c["family"]) for c in listed)
          == collections.Counter((c["given"], c["family"]) for c in want),
          "%s: khard's first and last names differ: missing %s, unexpected %s" % (
              label, sorted(set((c["given"], c["family"]) for c in want)
                            - set((c["given"], c["family"]) for c in listed)),
              sorted(set((c["given"], c["family"]) for c in listed)
                     - set((c["given"], c["family"]) for c in want))))
    international = 0
    for w in want:
        # Of the contacts of this name, the one holding most of its numbers.
        found = [c for c in listed if (c["given"], c["family"]) == (w["given"], w["family"])]
        digits = lambda text: re.sub(r"[^0-9*#]", "", text)
        wanted = {digits(e164 + tail)[-8:] for e164, tail, _ in w["numbers"]}
        found = sorted(found, key=lambda c: -len(wanted & {digits(v)[-8:] for vs in c["numbers"].values()
                                                          for v in vs}))[:1]
        if not found:
            continue  # the names' check says so
        got = {}
        for c in found:
            for kind, values in c["numbers"].items():
                for v in values:
                    got.setdefault(v, set()).add(kind.upper())
        for e164, tail, kind in w["numbers"]:
            digits_tail = re.sub(r"\D", "", tail)
            match = [v for v in got if v == e164 + tail or (tail and v.startswith(e164)
                                                           and re.sub(r"\D", "", v[len(e164):]) == digits_tail)]
            if check(match, "%s: khard shows %s %s without %s (it has %s)"
                     % (label, w["given"], w["family"], e164 + tail, sorted(got))):
                international += e164.startswith("+")
                if kind:
                    check(kind in got[match[0]], "%s: %s %s: %s is not of type %s (%s)"
                          % (label, w["given"], w["family"], e164, kind, got[match[0]]))
        for c in found:
            check(c["categories"] == w["categories"], "%s: %s %s: categories %s, the groups are %s"
                  % (label, w["given"], w["family"], sorted(c["categories"]), sorted(w["categories"])))
    report["%s: khard international numbers" % label] = international
    return {str(card.uid.value) + ".vcf" for card in parsed if hasattr(card, "uid")}


def check_messages(label, folder, state):
    want = expected.messages(state)
    path = os.path.join(folder, "messages.xml")
    try:
        root = ET.parse(path).getroot()
    except ET.ParseError as e:
        check(False, "%s: messages.xml is not well-formed: %s" % (label, e))
        return
    sms = root.findall("sms")
    check(root.tag == "smses", "%s: messages.xml's root is <%s>" % (label, root.tag))
    check(root.get("count") == str(len(sms)), "%s: messages.xml count=%s with %d <sms>"
          % (label, root.get("count"), len(sms)))
    check(len(sms) == len(want), "%s: messages.xml holds %d messages, the handset %d" % (label, len(sms), len(want)))
    report["%s: messages.xml" % label] = "count=%s, %d <sms>" % (root.get("count"), len(sms))

    boxes = list(mailbox.mbox(os.path.join(folder, "messages.mbox")))
    check(len(boxes) == len(want), "%s: mailbox.mbox reads %d messages, the handset holds %d"
          % (label, len(boxes), len(want)))
    report["%s: mailbox.mbox" % label] = "%d messages" % len(boxes)
    mails = []
    for m in boxes:
        part = next((p for p in m.walk() if p.get_content_type() == "text/plain"), m)
        body = (part.get_payload(decode=True) or b"").decode(part.get_content_charset() or "utf-8", "replace")
        mails.append((m, body))

    for w in want:
        number = expected.international(w["number"])[0] if w["number"] else ""
        first = w["parts"][0]
        found = [s for s in sms if first in (s.get("body") or "")
                 and expected.international(s.get("address") or "")[0] == number]
        if not check(found, "%s: messages.xml lacks the message from/to %r: %r" % (label, w["number"], first)):
            continue
        s = found[0]
        body = s.get("body")
        if w["text"] is not None:
            check(body == w["text"], "%s: messages.xml body %r, the handset's %r" % (label, body, w["text"]))
        else:
            check(all(p in body for p in w["parts"]), "%s: messages.xml %r lacks a part of %r"
                  % (label, body, w["parts"]))
        types = {1: ("1",), 3: ("1",), 5: ("2",), 7: ("4", "3")}[w["status"]]
        check(s.get("type") in types, "%s: messages.xml type=%s for handset status %d"
              % (label, s.get("type"), w["status"]))
        if w["folder"] == "inbox":
            check(s.get("read") == ("1" if w["status"] == 1 else "0"), "%s: messages.xml read=%s for status %d"
                  % (label, s.get("read"), w["status"]))
        for attr in ("address", "date", "type", "body", "read", "status", "readable_date"):
            check(s.get(attr) is not None, "%s: messages.xml <sms> without %s: %r" % (label, attr, first))
        if w["stamp"] is not None:
            ms = int(w["stamp"].timestamp() * 1000)
            check(s.get("date") == str(ms), "%s: messages.xml date=%s for the stamp %s (%d)"
                  % (label, s.get("date"), w["stamp"].isoformat(), ms))
        mail = [(m, b) for m, b in mails if first in b]
        if not check(mail, "%s: mailbox.mbox lacks %r" % (label, first)):
            continue
        m = mail[0][0]
        if w["stamp"] is not None and check(m["Date"], "%s: mbox message without Date: %r" % (label, first)):
            date = email.utils.parsedate_to_datetime(m["Date"])
            check(date.utcoffset() == w["stamp"].utcoffset() and date == w["stamp"],
                  "%s: mbox Date %r for the stamp %s" % (label, m["Date"], w["stamp"].isoformat()))


def titled(title, note):
    """Whether an event's title is the note's: its text (a call's names whom
    to call, with the text in it)."""
    return title == note["text"] or (note["type"] == 2 and note["text"] in title)


def check_calendar(label, folder, state, home, env):
    import icalendar
    want = expected.notes(state)
    raw = open(os.path.join(folder, "calendar.ics"), "rb").read()
    try:
        cal = icalendar.Calendar.from_ical(raw)
    except ValueError as e:
        check(False, "%s: python3-icalendar cannot read calendar.ics: %s" % (label, e))
        return set()
    events = cal.walk("VEVENT")
    zones = {str(z["TZID"]) for z in cal.walk("VTIMEZONE")}
    report["%s: icalendar events" % label] = len(events)
    check(len(events) == len(want), "%s: calendar.ics holds %d events, the handset %d notes"
          % (label, len(events), len(want)))
    for w in want:
        found = [e for e in events if titled(str(e.get("SUMMARY", "")), w)]
        if not check(found, "%s: calendar.ics has no event %r" % (label, w["text"])):
            continue
        e = found[0]
        start = e["DTSTART"].dt
        tzid = e["DTSTART"].params.get("TZID")
        check(tzid is None or tzid in zones, "%s: %r names TZID %s without its VTIMEZONE" % (label, w["text"], tzid))
        all_day = w["type"] in (1, 4)
        check(isinstance(start, datetime.datetime) != all_day, "%s: %r starts %r (all-day: %s)"
              % (label, w["text"], start, all_day))
        if w["type"] == 4:
            check("RRULE" in e and str(e["RRULE"].get("FREQ", [""])[0]) == "YEARLY",
                  "%s: birthday %r does not repeat yearly" % (label, w["text"]))
        if w["type"] in (2, 3):
            check("DTEND" in e or "DURATION" in e, "%s: %r has no DTEND" % (label, w["text"]))
        alarms = e.walk("VALARM")
        check(bool(alarms) == (w["alarm"] is not None), "%s: %r has %d alarms, the note %s"
              % (label, w["text"], len(alarms), "one" if w["alarm"] else "none"))
        if not alarms or w["alarm"] is None:
            continue
        trigger = alarms[0]["TRIGGER"].dt
        if w["type"] == 4:
            check(isinstance(trigger, datetime.timedelta) and datetime.timedelta(0) <= trigger
                  < datetime.timedelta(days=1), "%s: birthday %r: TRIGGER %r is not within its day"
                  % (label, w["text"], trigger))
            check(trigger == datetime.timedelta(hours=w["alarm"].hour, minutes=w["alarm"].minute),
                  "%s: birthday %r: TRIGGER %r, the alarm is at %s" % (label, w["text"], trigger, w["alarm"].time()))
            continue
        begin = start if isinstance(start, datetime.datetime) else datetime.datetime.combine(start, datetime.time())
        at = begin + trigger if isinstance(trigger, datetime.timedelta) else trigger
        if at.tzinfo is not None:
            at = at.astimezone(zoneinfo.ZoneInfo(ZONE)).replace(tzinfo=None)
        check(at == w["alarm"], "%s: %r: the alarm comes at %s, the note's at %s" % (label, w["text"], at, w["alarm"]))

    config = os.path.join(home, ".config", "khal", "config")
    os.makedirs(os.path.dirname(config), exist_ok=True)
    vdir = os.path.join(home, "calendar-" + label)
    os.makedirs(vdir)
    with open(config, "w") as f:
        f.write("[calendars]\n[[phone]]\npath = %s\ntype = calendar\n[locale]\ntimeformat = %%H:%%M\n"
                "dateformat = %%Y-%%m-%%d\nlongdateformat = %%Y-%%m-%%d\ndatetimeformat = %%Y-%%m-%%d %%H:%%M\n"
                "longdatetimeformat = %%Y-%%m-%%d %%H:%%M\nlocal_timezone = %s\ndefault_timezone = %s\n"
                "[default]\ndefault_calendar = phone\n" % (vdir, ZONE, ZONE))
    shutil.rmtree(os.path.join(home, ".local", "share", "khal"), ignore_errors=True)
    rc, out = run(["khal", "import", "--batch", "-a", "phone", os.path.join(folder, "calendar.ics")], env=env)
    check(rc == 0, "%s: khal import failed: %s" % (label, out[:400]))
    first_year = min(w["when"].year for w in want)
    last_year = max(w["when"].year for w in want) + 4
    rc, out = run(["khal", "list", "--day-format", "", "--format",
                   "{start-date}|{start-time}|{title}|{alarm-symbol}", "%d-01-01" % first_year,
                   "%d-12-31" % last_year], env=env)
    check(rc == 0, "%s: khal list failed: %s" % (label, out[:400]))
    lines = [l.split("|") for l in out.splitlines() if l.count("|") == 3]
    report["%s: khal lines %d..%d" % (label, first_year, last_year)] = len(lines)
    for w in want:
        days = [w["when"].date()]
        if w["type"] == 4:
            days = [w["when"].date().replace(year=y) for y in range(w["when"].year, last_year + 1)]
        for day in days:
            hits = [l for l in lines if l[0] == day.isoformat() and titled(l[2], w)]
            if not check(hits, "%s: khal lists no %r on %s" % (label, w["text"], day)):
                break
            if w["type"] in (2, 3):
                check(hits[0][1] == w["when"].strftime("%H:%M"), "%s: khal shows %r at %s, the note at %s"
                      % (label, w["text"], hits[0][1], w["when"].strftime("%H:%M")))
            check(bool(hits[0][3].strip()) == (w["alarm"] is not None), "%s: khal shows %r on %s %s an alarm"
                  % (label, w["text"], day, "without" if w["alarm"] else "with"))
    return {str(e["UID"]) + ".ics" for e in events if "UID" in e}


def check_modes(label, folder):
    for name in PRIVATE_FILES:
        path = os.path.join(folder, name)
        mode = os.stat(path).st_mode & 0o777 if os.path.exists(path) else None
        check(mode == 0o600, "%s: %s has mode %s, not 0600" % (label, name, oct(mode) if mode else "missing"))


def export(label, phondeck, device, folder, env, books, extra=()):
    """phondeck export, with the upload when books are given; its exit and output."""
    argv = [phondeck, "--device", device, "export", folder, "--country", "FI", "--merge"] + list(extra)
    if books:
        argv += ["--carddav", books[0], "--caldav", books[1], "--user", USER, "--password-file",
                 os.path.join(env["HOME"], "password")]
    rc, out = run(argv, env=env, timeout=120, cwd=env["HOME"])
    return rc, out


def one_handset(label, phondeck, device, state, radicale, home, env):
    folder = os.path.join(home, "export-" + label)
    books = radicale.make_collections(label)
    rc, out = export(label, phondeck, device, folder, env, books)
    report["%s: export" % label] = "exit %d: %s" % (rc, " / ".join(out.strip().splitlines()[-7:]))
    if not check(rc == 0, "%s: phondeck export exited %d: %s" % (label, rc, out)):
        if not os.path.exists(os.path.join(folder, "contacts.vcf")):
            return
    check_modes(label, folder)
    cards = check_contacts(label, folder, state, home, env)
    check_messages(label, folder, state)
    events = check_calendar(label, folder, state, home, env)

    book, calendar = radicale.members(books[0]), radicale.members(books[1])
    report["%s: Radicale after the export" % label] = "%s contacts, %s events" % (
        None if book is None else len(book), None if calendar is None else len(calendar))
    check(book is not None and set(book) == cards, "%s: Radicale holds %s, the file's cards are %s"
          % (label, sorted(book or {}), sorted(cards)))
    check(calendar is not None and set(calendar) == events, "%s: Radicale holds %s, the file's events are %s"
          % (label, sorted(calendar or {}), sorted(events)))

    # A second export leaves every resource as it was.
    rc, out = export(label, phondeck, device, folder + "-again", env, books)
    report["%s: second export" % label] = "exit %d: %s" % (rc, " / ".join(out.strip().splitlines()[-2:]))
    check(rc == 0, "%s: the second export exited %d: %s" % (label, rc, out))
    for kind, count in (("CardDAV", len(cards)), ("CalDAV", len(events))):
        said = re.search(kind + r": (\d+) created, (\d+) already there", out)
        check(said and said.groups() == ("0", str(count)), "%s: the second export says %r, not 0 created and %d "
              "already there" % (label, said.group(0) if said else out, count))
    check(radicale.members(books[0]) == book and radicale.members(books[1]) == calendar,
          "%s: the second export changed Radicale's collections" % label)
    report["%s: Radicale after the second" % label] = "%d contacts, %d events" % (
        len(radicale.members(books[0]) or {}), len(radicale.members(books[1]) or {}))


def refusals(phondeck, radicale, home, env):
    """A wrong password and an address book that is not there: one error each,
    a failed exit, nothing written to the server."""
    books = radicale.make_collections("refused")
    with open(os.path.join(home, "wrong"), "w") as f:
        f.write("not the password\n")
    os.chmod(os.path.join(home, "wrong"), 0o600)
    argv = [phondeck, "--device", "virtual", "--quiet", "export", os.path.join(home, "refused"), "--country", "FI",
            "--carddav", books[0], "--caldav", books[1], "--user", USER, "--password-file",
            os.path.join(home, "wrong")]
    rc, out = run(argv, env=env, cwd=home)
    check(rc != 0 and "401" in out, "wrong password: exit %d, output %r" % (rc, out))
    check(not radicale.members(books[0]) and not radicale.members(books[1]),
          "wrong password: something reached the server")
    argv[argv.index(books[0])] = radicale.base + "/%s/no-such-book/" % USER
    argv[-1] = os.path.join(home, "password")
    rc, out = run(argv, env=env, cwd=home)
    check(rc != 0 and "not found" in out, "missing address book: exit %d, output %r" % (rc, out))
    report["refusals"] = "wrong password and missing address book: exit %d, %r" % (rc, out.strip()[-120:])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--phondeck", required=True)
    parser.add_argument("--handset", required=True)
    parser.add_argument("--state", default=os.path.join(HERE, "full_handset.json"))
    args = parser.parse_args()
    args.phondeck, args.handset, args.state = (os.path.abspath(p) for p in (args.phondeck, args.handset, args.state))
    for program in ("khard", "khal"):
        if shutil.which(program) is None:
            print("%s is not installed (scripts/install-deps.sh installs it)" % program)
            return 1

    started = time.time()
    home = tempfile.mkdtemp(prefix="phondeck-programs-")
    env = {"HOME": home, "PATH": "/usr/bin:/bin", "TZ": ZONE, "LANG": "C.UTF-8", "LC_ALL": "C.UTF-8",
           "XDG_CONFIG_HOME": os.path.join(home, ".config"), "XDG_DATA_HOME": os.path.join(home, ".local", "share")}
    for k in ("ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"):
        if k in os.environ:
            env[k] = os.environ[k]
    os.environ["TZ"] = ZONE
    time.tzset()
    with open(os.path.join(home, "password"), "w") as f:
        f.write(PASSWORD + "\n")
    os.chmod(os.path.join(home, "password"), 0o600)
    radicale = None
    handset = None
    try:
        radicale = Radicale(home)
        one_handset("demo", args.phondeck, "virtual", demo_state(args.handset), radicale, home, env)
        handset = PtyHandset(args.handset, args.state, home)
        full = json.load(open(args.state, encoding="utf-8"))
        report["full: the handset"] = "%d entries, %d contacts after merging, %d messages, %d notes" % (
            len(full["phonebook"]["phone"]["entries"]) + len(full["phonebook"]["sim"]["entries"]),
            len(expected.contacts(full)), len(expected.messages(full)), len(expected.notes(full)))
        one_handset("full", args.phondeck, handset.path, full, radicale, home, env)
        handset.stop()
        refusals(args.phondeck, radicale, home, env)
    except Exception as e:  # the report below says what failed
        failures.append("stopped: %r" % e)
    finally:
        if handset:
            handset.stop()
        if radicale:
            radicale.stop()
        if failures and radicale:
            print("Radicale's log:\n" + radicale.log_text()[-3000:])
        shutil.rmtree(home, ignore_errors=True)

    print("Report (%.1f s):" % (time.time() - started))
    for k, v in report.items():
        print("  %s: %s" % (k, v))
    for f in failures:
        print("FAILED " + f)
    print("%d checks failed" % len(failures) if failures else "every check held")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
