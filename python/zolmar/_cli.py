"""The command line of `python -m zolmar`: load the library, then run code, run a script, or
open an interactive session (on a model file when one is given)."""

import argparse
import code
import runpy
import sys

import zolmar

_DESCRIPTION = """\
Runs Python with the library loaded and `zolmar`, `arvex` (the package arvex.utilities) and
`korm` (the package korm.zero) defined. Without CODE or FILE it opens an interactive session.
FILE is a script when its name ends in .py (run as __main__, with ARGS as its sys.argv[1:]),
otherwise a model file, opened as `model` into an interactive session."""


def _parser():
    parser = argparse.ArgumentParser(prog="python -m zolmar", description=_DESCRIPTION)
    parser.add_argument("--version", action="version", version=f"zolmar {zolmar.__version__}")
    parser.add_argument("--library", metavar="PATH", default=zolmar.DEFAULT_LIBRARY,
                        help="the library to load: a name (lib<name>.so) or a path "
                             f"(default: {zolmar.DEFAULT_LIBRARY})")
    parser.add_argument("-c", metavar="CODE", dest="code", help="run CODE and exit")
    parser.add_argument("file", metavar="FILE", nargs="?", help="a script (.py) or a model file")
    parser.add_argument("args", metavar="ARGS", nargs=argparse.REMAINDER,
                        help="arguments for CODE or the script")
    return parser


def _namespace():
    return {
        "__name__": "__main__",
        "zolmar": zolmar,
        "arvex": zolmar.package("arvex.utilities"),
        "korm": zolmar.package("korm.zero"),
    }


def _interact(namespace, opened):
    names = ", ".join(n for n in namespace if not n.startswith("_"))
    banner = f"zolmar {zolmar.__version__}{opened}; {names} are defined."
    code.interact(banner=banner, local=namespace, exitmsg="")


def main(argv=None):
    parser = _parser()
    options = parser.parse_args(argv)
    if options.code is not None and options.file is not None:
        options.args.insert(0, options.file)  # with -c, everything after CODE is its arguments
        options.file = None
    try:
        zolmar.load(options.library)
        namespace = _namespace()
    except zolmar.Error as e:
        print(f"zolmar: {e.args[0]}", file=sys.stderr)
        return 1
    if options.code is not None:
        sys.argv = ["-c"] + options.args
        exec(compile(options.code, "<string>", "exec"), namespace)
    elif options.file is not None and options.file.endswith(".py"):
        sys.argv = [options.file] + options.args
        runpy.run_path(options.file, run_name="__main__")
    elif options.file is not None:
        try:
            with zolmar.progress_bar(f"opening {options.file}") as progress:
                namespace["model"] = namespace["korm"].Model.open(options.file, progress=progress)
        except zolmar.Error as e:
            print(f"zolmar: cannot open {options.file}: {e}", file=sys.stderr)
            return 1
        _interact(namespace, f", model {options.file!r} open as `model`")
    else:
        _interact(namespace, f", {options.library} loaded")
    return 0


def run():
    """The entry point of the `zolmar` command."""
    sys.exit(main())
