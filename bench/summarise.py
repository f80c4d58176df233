#!/usr/bin/env python3
"""Medians over the runs of bench/run.sh: prints a table, writes JSON."""
import json
import pathlib
import statistics
import sys

raw, out = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])


def load(effect, kind):
    return [json.loads(p.read_text()) for p in sorted(raw.glob(f"{effect}-{kind}-*.json"))]


def percentile(values, q):
    values = sorted(values)
    return values[min(len(values) - 1, int(q * (len(values) - 1) + 0.5))] if values else None


def ticks(trace, name):
    """Delivered rate and longest gap, leaving out the first second."""
    times = trace["timers"].get(name, {}).get("delivered_ms", [])
    if len(times) < 3:
        return None, None
    times = [t for t in times if t >= times[0] + 1000]
    if len(times) < 3:
        return None, None
    gaps = [b - a for a, b in zip(times, times[1:])]
    return (len(times) - 1) / ((times[-1] - times[0]) / 1000), max(gaps)


def med(values):
    values = [v for v in values if v is not None]
    return round(statistics.median(values), 3) if values else None


results = {}
for effect in ("confettii", "vantrel"):
    program, traced = load(effect, "program"), load(effect, "traced")
    row = {
        "runs": len(program),
        "program_cpu_percent": med(100 * r["app_ticks"] / r["hz"] / r["seconds"] for r in program),
        "x_server_cpu_percent": med(100 * r["x_ticks"] / r["hz"] / r["seconds"] for r in program),
        "peak_rss_mb": med(r["peak_kb"] / 1024 for r in program),
        "final_rss_mb": med(r["final_kb"] / 1024 for r in program),
        "start_to_label_drawn_ms": med(
            max(r["trace"]["exposed_after_ms"], r["trace"]["label_drawn_after_ms"]) for r in traced),
    }
    for name in ("Timer4", "Timer1"):
        rates = [ticks(r["trace"], name) for r in traced]
        calls = [r["trace"]["timers"].get(name, {}).get("call_us", []) for r in traced]
        row[f"{name}_ticks_per_s"] = med(rate for rate, _ in rates)
        row[f"{name}_longest_gap_ms"] = med(gap for _, gap in rates)
        # A timer the effect switches off has no figures of its own.
        running = row[f"{name}_ticks_per_s"] is not None
        row[f"{name}_call_median_us"] = med(percentile(c, 0.5) for c in calls) if running else None
        row[f"{name}_call_p99_us"] = med(percentile(c, 0.99) for c in calls) if running else None
    results[effect] = row

minimised = load("minimised", "program")
results["minimised"] = {
    "runs": len(minimised),
    "program_cpu_percent": med(100 * r["app_ticks"] / r["hz"] / r["seconds"] for r in minimised),
}

out.write_text(json.dumps(results, indent=2) + "\n")
keys = list(results["confettii"])
print(f"| {'figure':<28} | {'Confettii':>10} | {'Vantrel':>10} |")
print(f"|{'-' * 30}|{'-' * 12}|{'-' * 12}|")
for key in keys:
    cells = ["-" if results[e][key] is None else f"{results[e][key]:g}" for e in ("confettii", "vantrel")]
    print(f"| {key:<28} | {cells[0]:>10} | {cells[1]:>10} |")
print(f"| {'program_cpu_percent, minimised':<28} | {results['minimised']['program_cpu_percent']:>10} | {'-':>10} |")
print(f"\nwritten to {out}")
