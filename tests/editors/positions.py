"""The positions that the editor tests check, read from positions.tsv beside this file.

Each row names a file of the source tree, a piece of text whose first occurrence there anchors the
position, an offset within that piece, and what Vim and a TextMate engine must call that byte.
"""
import os
from dataclasses import dataclass

HERE = os.path.dirname(os.path.abspath(__file__))


@dataclass
class Position:
    path: str  # from the top of the source tree
    anchor: str
    offset: int
    line: int  # 1-based
    column: int  # 1-based, in bytes
    vim_group: str
    textmate_scope: str

    def where(self):
        return f"{self.path}:{self.line}:{self.column} ({self.anchor!r}, offset {self.offset})"


def read_positions(source_dir):
    positions = []
    with open(os.path.join(HERE, "positions.tsv"), encoding="utf-8") as table:
        for row in table:
            row = row.rstrip("\n")
            if not row or row.startswith("#"):
                continue
            path, anchor, offset, vim_group, scope = row.split("\t")
            offset = int(offset)
            with open(os.path.join(source_dir, path), encoding="utf-8") as f:
                text = f.read()
            at = text.find(anchor)
            if at < 0 or not 0 <= offset < len(anchor):
                raise SystemExit(f"positions.tsv: {anchor!r} (offset {offset}) is not in {path}")
            at += offset
            line = text.count("\n", 0, at) + 1
            column = at - (text.rfind("\n", 0, at) + 1) + 1
            positions.append(Position(path, anchor, offset, line, column, vim_group, scope))
    return positions
