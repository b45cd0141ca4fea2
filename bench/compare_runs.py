"""Prints Google Benchmark runs (JSON) of the Linux and the Windows build
side by side: each benchmark's real time in milliseconds, as a multiple of
the same run's memcpy of the 24-bit picture (BM_Memcpy24), and the Windows
time over the Linux one. With several runs of each (alternated, so that a
slow spell of the machine falls on both), each figure is the median of its
runs; the last column is the ratio of the two builds' best runs, which a
single slow process (memory placed badly on a virtual machine) does not move.
    compare_runs.py LINUX.json[,LINUX2.json...] WINDOWS.json[,WINDOWS2.json...]"""
import json
import statistics
import sys


def load(path):
    with open(path) as f:
        runs = json.load(f)["benchmarks"]
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
    return {r["name"]: r["real_time"] * scale[r["time_unit"]] for r in runs
            if r.get("run_type", "iteration") == "iteration"}


def summary_of(paths):
    """Each benchmark's median and best time over the runs."""
    runs = [load(p) for p in paths.split(",")]
    names = list(runs[0])
    times = {n: [r[n] for r in runs if n in r] for n in names}
    return ({n: statistics.median(t) for n, t in times.items()},
            {n: min(t) for n, t in times.items()})


def main(first_paths, second_paths):
    (first, first_best), (second, second_best) = summary_of(first_paths), summary_of(second_paths)
    runs = len(first_paths.split(","))
    print(f"medians of {runs} runs each; the last column compares the best runs")
    base1, base2 = first.get("BM_Memcpy24"), second.get("BM_Memcpy24")
    print(f"{'benchmark':70} {'linux ms':>9} {'x memcpy':>9} {'wine ms':>9} {'x memcpy':>9} {'wine/linux':>10} {'best':>6}")
    for name, t1 in first.items():
        t2 = second.get(name)
        r1 = f"{t1 / base1:9.2f}" if base1 else f"{'':9}"
        if t2 is None:
            print(f"{name:70} {t1:9.3f} {r1}")
            continue
        r2 = f"{t2 / base2:9.2f}" if base2 else f"{'':9}"
        print(f"{name:70} {t1:9.3f} {r1} {t2:9.3f} {r2} {t2 / t1:10.2f} {second_best[name] / first_best[name]:6.2f}")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
