"""What a call from Python costs: findValueForKey and a lone insertPair (each call its own undo
step) on a UUIDMap of N pairs, beside a dict doing the same, and the loop a Python user writes
first, N lone inserts one call at a time.

    PYTHONPATH=build/release/python:python ZOLMAR_LIBRARY=build/release/libarvex_utilities.so \\
        /usr/bin/python3 bench/python_calls_bench.py [N]

Times are the best of five repetitions (time.perf_counter), per call.
"""

import os
import random
import sys
import time
import uuid

import zolmar

REPEATS = 5


def best(function, calls):
    """The best time per call of `function()`, which makes `calls` calls."""
    times = []
    for _ in range(REPEATS):
        start = time.perf_counter()
        function()
        times.append((time.perf_counter() - start) / calls)
    return min(times)


def texts(count, seed):
    generator = random.Random(seed)
    return [str(uuid.UUID(int=generator.getrandbits(128), version=4)) for _ in range(count)]


def main():
    n = int(sys.argv[1]) if len(sys.argv) > 1 else 100_000
    zolmar.load(os.environ.get("ZOLMAR_LIBRARY", "arvex_utilities"))
    arvex, korm = zolmar.package("arvex.utilities"), zolmar.package("korm.zero")
    keys = texts(n, 1)
    fresh = texts(1000, 2)
    probes = keys[:: max(1, n // 1000)][:1000]

    model = korm.Model()
    umap = arvex.UUIDMap(model)
    start = time.perf_counter()
    for key in keys:
        umap.insertPair(key, key)
    loop = time.perf_counter() - start
    table = {key: key for key in keys}

    def find():
        for key in probes:
            umap.findValueForKey(key)

    def find_dict():
        for key in probes:
            table.get(key)

    def insert_lone():
        for key in fresh:
            umap.insertPair(key, key)
        for key in fresh:  # back to N pairs; counted too, then halved below
            umap.erasePairForKey(key)

    rows = [
        ("findValueForKey", best(find, len(probes)), best(find_dict, len(probes)), 2e-6),
        ("lone insertPair (with its erasure)", best(insert_lone, 2 * len(fresh)), None, 5e-6),
    ]
    print(f"UUIDMap of {n} pairs, per call")
    for name, ours, baseline, goal in rows:
        ratio = f"  {ours / baseline:6.0f}x dict" if baseline else ""
        print(f"  {name:38s} {ours * 1e6:8.2f} us{ratio}   goal <= {goal * 1e6:.0f} us: "
              f"{'met' if ours <= goal else 'missed'}")
    print(f"  {n} lone inserts in a loop: {loop:.2f} s   goal < 1 s: "
          f"{'met' if loop < 1 else 'missed'}")


if __name__ == "__main__":
    main()
