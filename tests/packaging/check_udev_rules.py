#!/usr/bin/env python3
"""Checks the package's udev rules against a table of devices, as udevd would apply them.

udevd does not run here, so this reads the rule file's keys itself: every rule must consist
of keys this reader knows, each device of the table is matched the way udevd matches (ATTRS
keys all on one device of the chain from the device up through its parents), and the
properties and tags the matching rules set are compared with what the table expects.

    check_udev_rules.py RULES_FILE

Prints each difference and exits 1 when there is one.
"""
import fnmatch
import os
import re
import sys

# The rule that acts on TAG+="uaccess" (systemd's 73-seat-late.rules); ours must come first.
SEAT_LATE = 73

KEY = re.compile(r'\s*([A-Z_]+)(?:\{([^}]+)\})?\s*(==|!=|\+=|-=|:=|=)\s*"([^"]*)"\s*(,|$)')
MATCH_KEYS = {"SUBSYSTEM", "ATTRS", "KERNEL", "ACTION"}
ASSIGN_KEYS = {"ENV", "TAG"}


def read_rules(path):
    """The rules as lists of (key, attribute, operator, value), one list per rule."""
    rules = []
    problems = []
    text = open(path, encoding="utf-8").read().replace("\\\n", "")
    for number, line in enumerate(text.splitlines(), 1):
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        keys = []
        at = 0
        while at < len(line):
            key = KEY.match(line, at)
            if not key:
                problems.append(f"line {number}: cannot read from '{line[at:]}'")
                break
            name, attribute, operator, value, _ = key.groups()
            matching = operator in ("==", "!=")
            if name not in (MATCH_KEYS if matching else ASSIGN_KEYS):
                problems.append(f"line {number}: {name} {operator} is not a key this check knows")
            keys.append((name, attribute, operator, value))
            at = key.end()
        rules.append(keys)
    return rules, problems


def glob(pattern, value):
    return any(fnmatch.fnmatchcase(value, p) for p in pattern.split("|"))


def matches(rule, device):
    """True when every match key of the rule holds for the device."""
    chain = [device["attrs"]] + device["parents"]
    attrs = [(a, op, v) for k, a, op, v in rule if k == "ATTRS"]
    # udevd looks for one device in the chain on which all ATTRS keys hold together.
    if attrs and not any(
        all((glob(v, node.get(a, "")) if op == "==" else not glob(v, node.get(a, "")))
            and a in node for a, op, v in attrs)
        for node in chain):
        return False
    for key, _, operator, value in rule:
        if key in ("SUBSYSTEM", "KERNEL", "ACTION"):
            field = {"SUBSYSTEM": "subsystem", "KERNEL": "kernel", "ACTION": "action"}[key]
            if glob(value, device[field]) != (operator == "=="):
                return False
    return True


def apply(rules, device):
    env, tags = {}, set()
    for rule in rules:
        if not matches(rule, device):
            continue
        for key, attribute, operator, value in rule:
            if key == "ENV" and operator in ("=", ":="):
                env[attribute] = value
            elif key == "TAG" and operator == "+=":
                tags.add(value)
            elif key == "TAG" and operator == "-=":
                tags.discard(value)
    return env, tags


def usb_tty(kernel, vendor, product, serial=""):
    """A serial port of a USB chip: the tty, its interface, the USB device with the ids."""
    usb = {"idVendor": vendor, "idProduct": product}
    if serial:
        usb["serial"] = serial
    return {"subsystem": "tty", "kernel": kernel, "action": "add", "attrs": {},
            "parents": [{"bInterfaceNumber": "00"}, usb]}


def usb_device(vendor, product):
    """The USB device node of a chip, which has the ids itself."""
    return {"subsystem": "usb", "kernel": "1-1", "action": "add",
            "attrs": {"idVendor": vendor, "idProduct": product}, "parents": []}


CLAIMED = ({"ID_MM_DEVICE_IGNORE": "1"}, {"uaccess"})
UNTOUCHED = ({}, set())
# The chips the rules are for: (board, vendor, product, serial number or "" for none).
CHIPS = [
    ("Uno R3", "2341", "0043", "85734323430351F0E0D1"),
    ("first Uno", "2341", "0001", "6493633303735151D0A0"),
    ("Uno R3, arduino.org", "2a03", "0043", "5563931383535141A1B2"),
    ("first Uno, arduino.org", "2a03", "0001", "55639313835351C1D1E2"),
    ("CH340 clone, no serial number", "1a86", "7523", ""),
    ("FTDI Nano", "0403", "6001", "A9XYZ123"),
    ("CP210x", "10c4", "ea60", "0001"),
]
DEVICES = [(name, usb_tty("ttyUSB0", v, p, s), CLAIMED) for name, v, p, s in CHIPS] + [
    # The chip's USB device node: raw USB access is not what the panel needs.
    (name + ", its USB device", usb_device(v, p), UNTOUCHED) for name, v, p, _ in CHIPS] + [
    ("Leonardo: Arduino's vendor, another board", usb_tty("ttyACM2", "2341", "8036"), UNTOUCHED),
    ("CH9102: WCH's vendor, another chip", usb_tty("ttyACM3", "1a86", "55d4"), UNTOUCHED),
    ("Prolific PL2303", usb_tty("ttyUSB3", "067b", "2303"), UNTOUCHED),
    ("FTDI's vendor with the CP210x's product", usb_tty("ttyUSB4", "0403", "ea60"), UNTOUCHED),
    ("on-board UART",
     {"subsystem": "tty", "kernel": "ttyS0", "action": "add", "attrs": {}, "parents": [{}]},
     UNTOUCHED),
]


def main(path):
    problems = []
    number = re.match(r"(\d+)-", os.path.basename(path))
    if not number or int(number.group(1)) >= SEAT_LATE:
        problems.append(f"{os.path.basename(path)} does not sort before {SEAT_LATE}-seat-late.rules")
    rules, unread = read_rules(path)
    problems += unread
    if not rules:
        problems.append("no rules")
    for name, device, (env, tags) in DEVICES:
        got_env, got_tags = apply(rules, device)
        if (got_env, got_tags) != (env, tags):
            problems.append(f"{name}: got {got_env} {sorted(got_tags)}, expected {env} {sorted(tags)}")
    for problem in problems:
        print(problem)
    print(f"{len(DEVICES)} devices, {len(rules)} rules, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
