"""Progress bars for long work (opening and saving large models) in interactive use."""

import contextlib
import sys


@contextlib.contextmanager
def progress_bar(description, stream=None):
    """A progress callback `(done, total)` drawing a bar on `stream` (default: stderr) for the
    length of the `with` block, when the stream is a terminal and tqdm is installed; None (no
    callback, no cost) otherwise.

        with zolmar.progress_bar("saving") as progress:
            model.save(path, progress=progress)
    """
    stream = sys.stderr if stream is None else stream
    tqdm = _tqdm() if stream.isatty() else None
    if tqdm is None:
        yield None
        return
    with tqdm(desc=description, total=0, file=stream, leave=False, unit="step") as bar:

        def update(done, total):
            if bar.total != total:
                bar.reset(total=total)
            bar.update(done - bar.n)

        yield update


def _tqdm():
    try:
        from tqdm import tqdm
    except ImportError:
        return None
    return tqdm
