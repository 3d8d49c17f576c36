"""python -m zolmar: see `python -m zolmar --help`."""

from zolmar._cli import run

run()
