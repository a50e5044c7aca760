#!/usr/bin/env python3
"""Writes user records laid out exactly as the program saves them, from a fixed seed.

usage: make_records.py heavy OUTPUT_PATH   the benchmark's record: ten years, four readings a day,
                                           every vital
       make_records.py demo FOLDER         a data folder's config.hma with two users: three years
                                           of every vital, and five weeks of a few
"""
import datetime
import math
import os
import random
import sys
import xml.etree.ElementTree as ET

LAST_DAY = datetime.date(2026, 11, 30)
SEED = 20261130
# Morning, noon, evening and late readings: (hour on the 24 h clock, minutes drawn from this span).
SLOTS = [(7, (0, 45)), (12, (5, 55)), (18, (0, 50)), (22, (0, 40))]
VITALS = ["Blood Pressure", "Heart Rate", "Temperature", "SpO2", "Blood Sugar", "Mood"]
TEMPLATE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "template_new.xml")



def info(first, last, dob, gender, weight, height, step):
    return [("name", [("first", first), ("last", last)]), ("dob", dob), ("gender", gender),
            ("weight", weight), ("height", height), ("stepSize", step), ("race", "")]


HEAVY = info("Edda", "Tallmoor", "05/21/1958", "Female", "154", "5 ft 6 in", "26")
DEMO_USERS = [
    (info("Edda", "Tallmoor", "05/21/1958", "Female", "154", "5 ft 6 in", "26"), 3 * 365, [0, 2], VITALS),
    (info("Pim", "Arvelo", "11/02/1990", "Male", "172", "5 ft 11 in", "29"), 35, [0, 2],
     ["Blood Pressure", "Heart Rate", "Temperature"]),
]


def element(out, depth, name, content=None):
    """Appends one element the way the program's printer lays it out: tab indent, one per line."""
    pad = "\t" * depth
    if content is None or content == "" or content == []:
        out.append(f"{pad}<{name}/>\n")
    elif isinstance(content, str):
        out.append(f"{pad}<{name}>{content}</{name}>\n")
    else:
        out.append(f"{pad}<{name}>\n")
        for child_name, child_content in content:
            element(out, depth + 1, child_name, child_content)
        out.append(f"{pad}</{name}>\n")


def tree(node):
    """An ElementTree node as nested (name, content) pairs."""
    children = list(node)
    return [(c.tag, tree(c)) for c in children] if children else (node.text or "").strip()


def ranges_from_template():
    root = ET.parse(TEMPLATE).getroot()
    return {v.get("name"): [(c.tag, tree(c)) for c in v] for v in root.findall("variable")}


def reading_times(rng, days, slots):
    """Per day and slot: (date text, time text, slot index), shared by all vitals as one sitting."""
    first = LAST_DAY - datetime.timedelta(days=days - 1)
    times = []
    for d in range(days):
        day = first + datetime.timedelta(days=d)
        for slot in slots:
            hour, (lo, hi) = SLOTS[slot]
            minute, second = rng.randint(lo, hi), rng.randint(0, 59)
            shown = hour % 12 or 12
            times.append((day.strftime("%m/%d/%Y"), f"{shown:02d}:{minute:02d}:{second:02d} "
                          f"{'AM' if hour < 12 else 'PM'}", slot, d))
    return times


def clamp(value, low, high):
    return max(low, min(high, value))


def values(name, rng, slot, day):
    """The measured fields of one reading: slow drift over the years, a daily rhythm and noise."""
    years = day / 365.25
    season = math.sin(2 * math.pi * day / 365.25)
    if name == "Blood Pressure":
        systolic = 121 + 1.2 * years + 3 * season + (4 if slot == 0 else 0) + rng.gauss(0, 8)
        diastolic = 77 + 0.6 * years + 0.45 * (systolic - 121) + rng.gauss(0, 4)
        return [("systolic", round(clamp(systolic, 85, 200))), ("diastolic", round(clamp(diastolic, 50, 120)))]
    if name == "Heart Rate":
        return [("value", round(clamp(70 + (6 if slot == 2 else 0) + rng.gauss(0, 7), 42, 140)))]
    if name == "Temperature":
        return [("value", round(clamp(98.1 + (0.4 if slot == 2 else 0) + rng.gauss(0, 0.35), 95.0, 103.5), 1))]
    if name == "SpO2":
        return [("value", round(clamp(97.5 + rng.gauss(0, 1.1), 88, 100)))]
    if name == "Blood Sugar":
        if slot == 0:
            return [("fasting", round(clamp(98 + 0.8 * years + rng.gauss(0, 12), 55, 220)))]
        return [("postprandial", round(clamp(138 + 1.2 * years + rng.gauss(0, 22), 70, 300)))]
    return [("value", round(clamp(7 + season + rng.gauss(0, 1.3), 1, 10)))]


def conditions(rng, slot):
    roll = rng.random()
    if roll < 0.6:
        return []
    pool = ["c0", "c1", "c2", "c3", "c4"] if slot else ["c2", "c4"]
    return [(c, None) for c in sorted(rng.sample(pool, 1 if roll < 0.9 else 2))]


def record(patient_id, person, days, slots, vitals, seed):
    """The text of one user record and its number of entries."""
    rng = random.Random(seed)
    ranges = ranges_from_template()
    times = reading_times(rng, days, slots)
    out = [f'<patient id="{patient_id}">\n']
    element(out, 1, "info", person)
    for name in VITALS:
        out.append(f'\t<variable name="{name}">\n')
        for bound in ranges[name]:
            element(out, 2, *bound)
        for entry_id, (date, time, slot, day) in enumerate(times if name in vitals else []):
            out.append(f'\t\t<entry id="{entry_id}">\n')
            for field, value in values(name, rng, slot, day):
                out.append(f"\t\t\t<{field}>{value:f}</{field}>\n")
            element(out, 3, "date", date)
            element(out, 3, "time", time)
            element(out, 3, "conditions", conditions(rng, slot))
            out.append("\t\t</entry>\n")
        out.append("\t</variable>\n")
    # The printer ends the document itself with a line break too.
    out.append("</patient>\n\n")
    return "".join(out), len(times) * len(vitals)


def write(path, text):
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write(text)


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("heavy", "demo"):
        sys.exit(__doc__)
    if sys.argv[1] == "heavy":
        path = sys.argv[2]
        text, entries = record(0, HEAVY, 3652, range(len(SLOTS)), VITALS, SEED)
        write(path, text)
        print(f"{path}: {entries} entries, {len(text) / 1e6:.1f} MB")
        return
    folder = sys.argv[2]
    config = ["<config>\n"]
    for patient_id, (person, days, slots, vitals) in enumerate(DEMO_USERS):
        text, _ = record(patient_id, person, days, slots, vitals, SEED + patient_id)
        write(os.path.join(folder, f"user{patient_id}.hma"), text)
        config.append(f'\t<patient id="{patient_id}">\n')
        element(config, 2, "name", person[0][1])
        element(config, 2, "file", f"user{patient_id}.hma")
        config.append("\t</patient>\n")
    config.append("</config>\n\n")
    write(os.path.join(folder, "config.hma"), "".join(config))


if __name__ == "__main__":
    main()
