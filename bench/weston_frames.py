#!/usr/bin/env python3
"""Counts from outside how many times a client's window changes in each frame
weston shows: from weston's timeline (weston-debug timeline), the commits of
the window's surface and of its sub-surfaces that carry damage between one
repaint of the output and the next; commits less than 2 ms apart are one
change (a tree of sub-surfaces commits together). A stretch where weston did
not repaint at all holds frames that showed no change.

    weston_frames.py TIMELINE TITLE_START

Prints one line like vblank_paints: frames, commits, frames with no, one and
more commits, and the share with exactly one.
"""
import json
import statistics
import sys

path, title = sys.argv[1], sys.argv[2]
surface, surfaces, repaints, commits = None, set(), [], []
for line in open(path, encoding="utf-8", errors="replace"):
    try:
        event = json.loads(line)
    except ValueError:
        continue
    if event.get("type") == "weston_surface" and f"top-level window '{title}" in event.get("desc", ""):
        surface = event["id"]
        surfaces.add(surface)
    if event.get("type") == "weston_surface" and surface is not None and event.get("main_surface") == surface:
        surfaces.add(event["id"])
    if "T" not in event:
        continue
    at = event["T"][0] + event["T"][1] / 1e9
    if event["N"] == "core_repaint_begin":
        repaints.append(at)
    elif event["N"] == "core_commit_damage" and event.get("ws") in surfaces and not (commits and at - commits[-1] < 0.002):
        commits.append(at)

if surface is None or len(repaints) < 3:
    sys.exit(f"weston_frames.py: no window '{title}...' or no frames in {path}")
period = statistics.median(b - a for a, b in zip(repaints, repaints[1:]))
counts = [0, 0, 0]
shown = 0
i = 0
while i < len(commits) and commits[i] <= repaints[0]:
    i += 1
for before, at in zip(repaints, repaints[1:]):
    n = 0
    while i < len(commits) and commits[i] <= at:
        n += 1
        i += 1
    counts[min(n, 2)] += 1
    shown += n
    # Frames weston skipped because nothing changed.
    counts[0] += max(0, round((at - before) / period) - 1)
frames = sum(counts)
print(f"frames {frames} commits {shown} period {1000 * period:.2f} ms frames with 0/1/2+ commits "
      f"{counts[0]} {counts[1]} {counts[2]} one {100 * counts[1] / frames:.1f}%")
