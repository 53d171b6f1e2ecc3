#!/usr/bin/env python3
"""Reads the Group Policy template as XML: both files well-formed; one policy
for every key of the settings file's key table but the password and the
protection (and LockOptions beside them), each with the policy key, the
key's value name and its range; every string and presentation the ADMX
names defined in the ADML, every presentation's controls those of its
policy.
    policy_template.py SOURCE_DIR"""
import os
import re
import sys
import xml.etree.ElementTree as ET

NS = {"p": "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"}
KEY = "Software\\Policies\\Tarnel"


def key_table(src):
    text = open(os.path.join(src, "settings", "settingsformat.cpp"), encoding="utf-8").read()
    table = text[text.index("const KeyInfo kKeys"):]
    table = table[:table.index("};")]
    keys = {}
    for kind, name, rest in re.findall(r'(number|flag|text)\("(\w+)"(.*?)\)', table):
        low, high = (0, 1) if kind == "flag" else (None, None)
        if kind == "number":
            low, high = [int(n) for n in re.findall(r"-?\d+", rest)[:2]]
        keys[name] = (kind, low, high)
    return keys


def main():
    src = sys.argv[1]
    failures = []
    admx = ET.parse(os.path.join(src, "policy", "Tarnel.admx")).getroot()
    adml = ET.parse(os.path.join(src, "policy", "en-US", "Tarnel.adml")).getroot()
    strings = {s.get("id") for s in adml.iterfind(".//p:stringTable/p:string", NS)}
    presentations = {p.get("id"): p for p in adml.iterfind(".//p:presentationTable/p:presentation", NS)}
    keys = key_table(src)
    expected = {n: k for n, k in keys.items() if n not in ("Password", "Protection")}
    expected["LockOptions"] = ("flag", 0, 1)
    policies = {p.get("name"): p for p in admx.iterfind(".//p:policies/p:policy", NS)}
    if set(policies) != set(expected):
        failures.append("policies %s, expected %s" % (sorted(policies), sorted(expected)))
    for name, (kind, low, high) in expected.items():
        p = policies.get(name)
        if p is None:
            continue
        where = "policy " + name
        if p.get("key") != KEY:
            failures.append("%s: key %s" % (where, p.get("key")))
        if p.find("p:supportedOn", NS) is None or p.find("p:parentCategory", NS).get("ref") != "Tarnel":
            failures.append("%s: no supportedOn or not in the Tarnel category" % where)
        for attr in ("displayName", "explainText", "presentation"):
            ref = p.get(attr)
            if ref is None:
                continue
            m = re.fullmatch(r"\$\((string|presentation)\.(\w+)\)", ref)
            if not m or (m.group(1) == "string" and m.group(2) not in strings) or \
                    (m.group(1) == "presentation" and m.group(2) not in presentations):
                failures.append("%s: %s %s not defined in the ADML" % (where, attr, ref))
        elements = list(p.find("p:elements", NS) or [])
        if kind == "flag":
            on = p.find("p:enabledValue/p:decimal", NS)
            off = p.find("p:disabledValue/p:decimal", NS)
            if p.get("valueName") != name or on is None or on.get("value") != "1" or \
                    off is None or off.get("value") != "0":
                failures.append("%s: not a switch of %s, 1 on and 0 off" % (where, name))
            continue
        if len(elements) != 1 or elements[0].get("valueName") != name:
            failures.append("%s: not one element writing %s" % (where, name))
            continue
        e = elements[0]
        tag = e.tag.split("}")[1]
        if kind == "text" and tag != "text":
            failures.append("%s: a %s, not a text box" % (where, tag))
        if kind == "number" and tag == "decimal":
            if (int(e.get("minValue")), int(e.get("maxValue"))) != (low, high):
                failures.append("%s: range %s-%s, the key table's %d-%d"
                                % (where, e.get("minValue"), e.get("maxValue"), low, high))
        elif kind == "number" and tag == "enum":
            values = [int(v.get("value")) for v in e.iterfind("p:item/p:value/p:decimal", NS)]
            if values != list(range(low, high + 1)):
                failures.append("%s: items %s, the key table's %d-%d" % (where, values, low, high))
            for item in e.iterfind("p:item", NS):
                if item.get("displayName")[len("$(string."):-1] not in strings:
                    failures.append("%s: item %s not defined" % (where, item.get("displayName")))
        elif kind == "number":
            failures.append("%s: a %s for a number" % (where, tag))
        pres = presentations.get(p.get("presentation", "")[len("$(presentation."):-1])
        refs = [c.get("refId") for c in pres] if pres is not None else []
        if refs != [e.get("id")]:
            failures.append("%s: presentation controls %s, element %s" % (where, refs, e.get("id")))
    for f in failures:
        print("policy_template: FAILED: " + f)
    print("policy_template: %d policies, %s" % (len(policies),
                                               "ok" if not failures else "%d failures" % len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
