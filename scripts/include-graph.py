#!/usr/bin/env python3
"""Prints which folders of the product include which (tests, fuzz and bench
left out), then every folder that reaches itself again: the layers allow only
the forms' crossing (README, Layout)."""
import collections
import re
import subprocess

files = subprocess.run(["git", "ls-files", "*.cpp", "*.h"], capture_output=True, text=True,
                       check=True).stdout.split()
edges = collections.defaultdict(set)
for name in files:
    if name.startswith(("tests/", "fuzz/", "bench/")):
        continue
    here = name.rsplit("/", 1)[0]
    with open(name, encoding="utf-8", errors="replace") as f:
        for line in f:
            m = re.match(r'\s*#include "([^"]+/)[^"/]+"', line)
            if m and m.group(1).rstrip("/") != here:
                edges[here].add(m.group(1).rstrip("/"))


def reaches(start):
    seen, todo = set(), [start]
    while todo:
        for b in edges.get(todo.pop(), ()):
            if b not in seen:
                seen.add(b)
                todo.append(b)
    return seen


for folder in sorted(edges):
    print(f"{folder} -> {' '.join(sorted(edges[folder]))}")
for folder in sorted(edges):
    if folder in reaches(folder):
        print(f"loop: {folder}")
