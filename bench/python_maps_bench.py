"""What the maps' Python protocol costs: iterating items() of a UUIDMap of N pairs (per pair),
and m[k] against findValueForKey(k) on the same keys in the same run, with keys given as text
and as uuid.UUID; beside them, a dict doing the same and uuid.UUID's own constructor.

    PYTHONPATH=build/release/python:python ZOLMAR_LIBRARY=build/release/libarvex_utilities.so \\
        /usr/bin/python3 bench/python_maps_bench.py [N]

Times are the best of five repetitions (time.perf_counter).
"""

import os
import random
import sys
import uuid

import zolmar
from python_calls_bench import best  # the best time per item of five repetitions



def iterate(pairs):
    for _key, _value in pairs:
        pass


def look_up(function, keys):
    def run():
        for key in keys:
            function(key)
    return run


def main():
    n = int(sys.argv[1]) if len(sys.argv) > 1 else 100_000
    zolmar.load(os.environ.get("ZOLMAR_LIBRARY", "arvex_utilities"))
    arvex, korm = zolmar.package("arvex.utilities"), zolmar.package("korm.zero")
    generator = random.Random(1)
    keys = [uuid.UUID(int=generator.getrandbits(128), version=4) for _ in range(n)]
    model = korm.Model()
    umap = arvex.UUIDMap(model)
    umap.update(zip(keys, keys))
    table = dict(zip(keys, keys))
    probes = keys[:: max(1, n // 1000)][:1000]
    texts = [str(key) for key in probes]

    items = best(lambda: iterate(umap.items()), n)
    goal = 1e-6
    print(f"UUIDMap of {n} pairs")
    print(f"  iterating items()               {items * 1e6:6.3f} us/pair   goal <= 1 us: "
          f"{'met' if items <= goal else 'missed'}")
    print(f"  iterating a dict's items()      {best(lambda: iterate(table.items()), n) * 1e6:6.3f}"
          " us/pair")
    print(f"  uuid.UUID(int=...) in Python    "
          f"{best(lambda: [uuid.UUID(int=k.int) for k in keys], n) * 1e6:6.3f} us/UUID")
    for form, given in (("text", texts), ("uuid.UUID", probes)):
        ours = best(look_up(umap.__getitem__, given), len(given))
        host = best(look_up(umap.findValueForKey, given), len(given))
        print(f"  keys as {form:9s}: m[k] {ours * 1e6:6.3f} us, findValueForKey {host * 1e6:6.3f}"
              f" us, ratio {ours / host:5.2f}   goal <= 1.5: {'met' if ours <= 1.5 * host else 'missed'}")


if __name__ == "__main__":
    main()
