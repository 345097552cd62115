#!/usr/bin/env python3
"""Pairs the path finder benchmarks with their Boost graph peers in a benchmark JSON file and
prints a Markdown table of CPU-time medians: project time, peer times, ratios, routes found and
lengths. Several JSON files may be given; their runs are merged.

Usage: battlesim-bench --benchmark_filter='BM_(PathFinder|GridAStarPeer|GridAStarPeerNoInit)/' \
         --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
         --benchmark_out=peer.json --benchmark_out_format=json
       python3 bench/compare_peer.py peer.json
"""
import json
import sys


def medians(paths):
    runs = []
    for path in paths:
        with open(path) as f:
            runs += json.load(f)["benchmarks"]
    found = {}
    for run in runs:
        if run.get("aggregate_name", "median") != "median":
            continue
        family, _, query = run["run_name"].partition("/")
        found[(family, query)] = run
    return found


def micros(run):
    scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[run["time_unit"]]
    return run["real_time"] * scale, run["cpu_time"] * scale


def main():
    runs = medians(sys.argv[1:])
    queries = [q for (family, q) in runs if family == "BM_PathFinder" and ("BM_GridAStarPeer", q) in runs]
    print("| query | project µs | BGL µs | project/BGL | BGL no-init µs | project/no-init | found (project/BGL) "
          "| route cells (project/BGL) | examined (project/BGL) |")
    print("|---|---:|---:|---:|---:|---:|---|---|---|")
    for q in queries:
        mine = runs[("BM_PathFinder", q)]
        peer = runs[("BM_GridAStarPeer", q)]
        lazy = runs.get(("BM_GridAStarPeerNoInit", q))
        mine_us = micros(mine)[1]
        peer_us = micros(peer)[1]
        lazy_us = micros(lazy)[1] if lazy else float("nan")
        yes = lambda run: "yes" if run["found"] else "no"
        print(f"| {q} | {mine_us:.1f} | {peer_us:.1f} | {mine_us / peer_us:.2f} | {lazy_us:.1f} | "
              f"{mine_us / lazy_us:.2f} | {yes(mine)}/{yes(peer)} | {int(mine['route'])}/{int(peer['route'])} | "
              f"{int(mine['examined'])}/{int(peer['examined'])} |")


if __name__ == "__main__":
    main()
