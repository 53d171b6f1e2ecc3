#!/usr/bin/env python3
"""Reads the Group Policy template as XML: both files well-formed; one policy
for every key of the settings file's key table but the password and the
protection (and LockOptions beside them), each with the policy key, the
key's value name and its range; every string and presentation the ADMX
names defined in the ADML, every presentation's controls those of its
policy; each policy's class, its supportedOn a known definition, its texts
there, a folder written as REG_EXPAND_SZ. Faults made on purpose in copies
of the template must each be found.
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


# Products the Windows namespace's supportedOn definitions name, as used
# here; a name outside it would show as "not supported" in the editor.
KNOWN_SUPPORTED = {"SUPPORTED_Win2k", "SUPPORTED_WindowsXP", "SUPPORTED_WindowsVista",
                   "SUPPORTED_Windows7"}
# The settings that name a folder or a file: written as REG_EXPAND_SZ, so %NAME% works.
PATH_KEYS = {"Logfilepath", "Journalpath", "LicenseTool"}


def check(admx, adml, keys):
    """The template's faults, one text each."""
    failures = []
    strings = {s.get("id") for s in adml.iterfind(".//p:stringTable/p:string", NS)}
    presentations = {p.get("id"): p for p in adml.iterfind(".//p:presentationTable/p:presentation", NS)}
    prefixes = {u.get("prefix"): u.get("namespace")
                for u in admx.iterfind("p:policyNamespaces/p:using", NS)}
    own_supported = {d.get("name") for d in admx.iterfind(".//p:supportedOn/p:definitions/p:definition", NS)}
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
        if p.get("class") not in ("User", "Machine", "Both"):
            failures.append("%s: class %s, not User, Machine or Both" % (where, p.get("class")))
        supported = p.find("p:supportedOn", NS)
        category = p.find("p:parentCategory", NS)
        if supported is None or category is None or category.get("ref") != "Tarnel":
            failures.append("%s: no supportedOn or not in the Tarnel category" % where)
        else:
            ref = supported.get("ref", "")
            prefix, _, product = ref.rpartition(":")
            known = (prefixes.get(prefix) == "Microsoft.Policies.Windows" and
                     product in KNOWN_SUPPORTED) or (not prefix and product in own_supported)
            if not known:
                failures.append("%s: supportedOn %s is no known definition" % (where, ref))
        needed = ["displayName", "explainText"] + (["presentation"] if kind != "flag" else [])
        for attr in ("displayName", "explainText", "presentation"):
            ref = p.get(attr)
            if ref is None:
                if attr in needed:
                    failures.append("%s: no %s" % (where, attr))
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
        if name in PATH_KEYS and e.get("expandable") != "true":
            failures.append("%s: a folder not written as REG_EXPAND_SZ (expandable)" % where)
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
        pres = presentations.get((p.get("presentation") or "")[len("$(presentation."):-1])
        refs = [c.get("refId") for c in pres] if pres is not None else []
        if refs != [e.get("id")]:
            failures.append("%s: presentation controls %s, element %s" % (where, refs, e.get("id")))
    return failures


def policy(root, name):
    return next(p for p in root.iterfind(".//p:policies/p:policy", NS) if p.get("name") == name)


def without_explain(admx):
    del policy(admx, "TimeInactivity").attrib["explainText"]


def bad_class(admx):
    policy(admx, "Action").set("class", "Everyone")


def unknown_supported(admx):
    policy(admx, "DryRun").find("p:supportedOn", NS).set("ref", "windows:SUPPORTED_Win3000")


def path_not_expandable(admx):
    del policy(admx, "Journalpath").find("p:elements", NS)[0].attrib["expandable"]


# Faults the check must find: each one made in a copy of the template.
MUTATIONS = [without_explain, bad_class, unknown_supported, path_not_expandable]


def main():
    src = sys.argv[1]
    admx_path = os.path.join(src, "policy", "Tarnel.admx")
    adml = ET.parse(os.path.join(src, "policy", "en-US", "Tarnel.adml")).getroot()
    keys = key_table(src)
    admx = ET.parse(admx_path).getroot()
    failures = check(admx, adml, keys)
    for mutate in MUTATIONS:
        copy = ET.parse(admx_path).getroot()
        mutate(copy)
        if not check(copy, adml, keys):
            failures.append("the check does not see the template %s" % mutate.__name__.replace("_", " "))
    for f in failures:
        print("policy_template: FAILED: " + f)
    policies = list(admx.iterfind(".//p:policies/p:policy", NS))
    print("policy_template: %d policies, %d faults made and found, %s"
          % (len(policies), len(MUTATIONS), "ok" if not failures else "%d failures" % len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
