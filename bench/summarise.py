#!/usr/bin/env python3
"""Medians over the runs of bench/run.sh: prints a table, writes JSON.

A CPU figure is a share of one core; one ending in _ns comes from the
scheduler's nanoseconds, the others from clock ticks. Wakes are the
program's context switches a second. Ratios to the baseline are taken run by
run, with the server's CPU where the key says so (the X server, or weston
under Wayland; Xvfb beneath weston is reported apart).
"""
import json
import pathlib
import statistics
import sys

raw, out = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])


def load(name):
    """The runs of one measure, by run number (not those of a longer name)."""
    runs = {}
    for p in raw.glob(f"{name}-*.json"):
        stem, run = p.stem.rsplit("-", 1)
        if stem == name:
            runs[int(run)] = json.loads(p.read_text())
    return runs


def med(values):
    values = [v for v in values if v is not None]
    return round(statistics.median(values), 3) if values else None


def percentile(values, q):
    values = sorted(values)
    return values[min(len(values) - 1, int(q * (len(values) - 1) + 0.5))] if values else None


def cpu(r, who="app"):
    return 100 * r[f"{who}_ticks"] / r["hz"] / r["seconds"]


def paired(a, b, share=cpu):
    """Median of the ratio a / b, run by run."""
    return med(share(a[k]) / share(b[k]) for k in a if k in b and share(b[k]) > 0)


def ns(r, who="app"):
    return 100 * r[f"{who}_ns"] / 1e9 / r["seconds"]


def server(r):
    """The display server's nanoseconds: weston's under Wayland, else Xvfb's."""
    return r["weston_ns"] if "weston_ns" in r else r["x_ns"]


def with_server(r):
    return 100 * (r["app_ns"] + server(r)) / 1e9 / r["seconds"]


def costs(runs, baseline, rss=False):
    """The program's and the server's CPU and the program's wakes, and the
    same of the baseline with the ratio of the two's sums."""
    row = {"program_cpu_percent_ns": med(ns(r) for r in runs.values())}
    if any("weston_ns" in r for r in runs.values()):
        row["weston_cpu_percent_ns"] = med(ns(r, "weston") for r in runs.values())
        row["xvfb_cpu_percent_ns"] = med(ns(r, "x") for r in runs.values())
    else:
        row["x_server_cpu_percent_ns"] = med(ns(r, "x") for r in runs.values())
    row["program_wakes_per_s"] = med(r["app_switches"] / r["seconds"] for r in runs.values())
    if rss:
        row["peak_rss_mb"] = med(r["peak_kb"] / 1024 for r in runs.values())
    if baseline:
        row["baseline_cpu_percent_ns"] = med(ns(r) for r in baseline.values())
        row["baseline_server_cpu_percent_ns"] = med(100 * server(r) / 1e9 / r["seconds"] for r in baseline.values())
        row["baseline_wakes_per_s"] = med(r["app_switches"] / r["seconds"] for r in baseline.values())
        row["cpu_with_server_to_baseline"] = paired(runs, baseline, with_server)
    return row


def ticks(trace, name):
    """Delivered rate and longest gap, leaving out the first second."""
    times = trace["timers"].get(name, {}).get("delivered_ms", [])
    times = [t for t in times if times and t >= times[0] + 1000]
    if len(times) < 3:
        return None, None
    return (len(times) - 1) / ((times[-1] - times[0]) / 1000), max(b - a for a, b in zip(times, times[1:]))


results = {}
for mode in ("confettii", "vantrel", "hidden", "minimised", "a11y-bus"):
    runs = load(f"brisora-{mode}")
    row = {"program_cpu_percent": med(cpu(r) for r in runs.values()),
           "x_server_cpu_percent": med(cpu(r, "x") for r in runs.values())}
    if mode in ("confettii", "vantrel"):
        row["peak_rss_mb"] = med(r["peak_kb"] / 1024 for r in runs.values())
        row["final_rss_mb"] = med(r["final_kb"] / 1024 for r in runs.values())
    baseline = load(f"baseline-{mode}")
    if baseline:
        row["baseline_cpu_percent"] = med(cpu(r) for r in baseline.values())
        row["cpu_to_baseline"] = paired(runs, baseline)
    if mode == "a11y-bus":
        row["cpu_to_confettii"] = paired(runs, load("brisora-confettii"))
    results[mode.replace("-", "_")] = row | costs(runs, baseline)

# At four times the pixels with a scale factor of 2, and under weston.
for name in ("confettii-3840x2160", "vantrel-3840x2160", "wayland-confettii", "wayland-vantrel", "wayland-unseen"):
    runs = load(f"brisora-{name}")
    if runs:
        results[name.replace("-3840x2160", "_3840x2160_scale2").replace("-", "_")] = costs(
            runs, load(f"baseline-{name}"), rss=not name.endswith("unseen"))

# The least X client that has the server fill the screen once a vblank.
for size in ("1920x1080", "3840x2160"):
    runs = load(f"fill-{size}")
    if runs:
        results[f"server_fill_{size}"] = costs(runs, {})

confettii = load("brisora-confettii")
for kind in ("plain", "fade"):
    minimal = load(f"minimal-{kind}")
    results[f"minimal_{kind}"] = {"program_cpu_percent": med(cpu(r) for r in minimal.values()),
                                  "brisora_confettii_to_it": paired(confettii, minimal)}

for mode in ("confettii", "vantrel"):
    traced = list(load(f"traced-{mode}").values())
    row = results[mode]
    row["start_to_label_drawn_ms"] = med(
        max(r["trace"]["exposed_after_ms"], r["trace"]["label_drawn_after_ms"]) for r in traced)
    for name in ("Timer4", "Timer1"):
        rates = [ticks(r["trace"], name) for r in traced]
        calls = [r["trace"]["timers"].get(name, {}).get("call_us", []) for r in traced]
        if all(rate is None for rate, _ in rates):
            continue   # the effect switches it off
        row[f"{name}_ticks_per_s"] = med(rate for rate, _ in rates)
        row[f"{name}_longest_gap_ms"] = med(gap for _, gap in rates)
        row[f"{name}_call_median_us"] = med(percentile(c, 0.5) for c in calls)
        row[f"{name}_call_p99_us"] = med(percentile(c, 0.99) for c in calls)

for mode in ("x11", "wayland"):
    counts = [r["frames_with_0_1_2_steps"] for r in load(f"pacing-{mode}").values()]
    frames = sum(sum(c) for c in counts)
    results[f"pacing_{mode}"] = {
        "frames": frames,
        "one_step_percent": round(100 * sum(c[1] for c in counts) / frames, 2) if frames else None,
        "two_or_more_percent": round(100 * sum(c[2] for c in counts) / frames, 2) if frames else None,
    }

out.write_text(json.dumps(results, indent=2) + "\n")
for group, row in results.items():
    print(f"{group}:")
    for key, value in row.items():
        print(f"    {key:<32} {value}")
print(f"\nwritten to {out}")
