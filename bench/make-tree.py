#!/usr/bin/env python3
"""Builds a reproducible test tree for the sizer benchmark.

    make-tree.py ROOT [FILES]      (FILES defaults to 500000)

Folders nest two to four levels deep; a quarter of the files are empty, most
others small, with a tail of larger ones; about 1% of the files are extra hard
links, 1% are symbolic links (some to folders), and a few are sparse.
"""
import os
import random
import sys


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    root = sys.argv[1]
    total = int(sys.argv[2]) if len(sys.argv) > 2 else 500000
    rng = random.Random(20240611)
    os.makedirs(root, exist_ok=True)

    per_folder = 250
    folders = []
    index = 0
    while len(folders) * per_folder < total:
        top = "t%02d" % (index % 40)
        sub = "s%03d" % (index // 40)
        parts = [root, top, sub]
        if index % 3 == 0:
            parts.append("deep")
        if index % 7 == 0:
            parts.append("deeper")
        folder = os.path.join(*parts)
        os.makedirs(folder, exist_ok=True)
        folders.append(folder)
        index += 1

    chunk = b"k" * 65536
    made = 0
    plain = []
    flags = os.O_WRONLY | os.O_CREAT | os.O_TRUNC
    for folder in folders:
        for n in range(per_folder):
            if made >= total:
                break
            path = os.path.join(folder, "f%03d.dat" % n)
            roll = rng.random()
            if roll < 0.01 and plain:
                os.link(rng.choice(plain), path)
            elif roll < 0.02:
                target = folders[rng.randrange(len(folders))] if roll < 0.015 else "f000.dat"
                os.symlink(target, path)
            elif roll < 0.0205:
                fd = os.open(path, flags, 0o644)
                os.ftruncate(fd, 50 * 1024 * 1024)  # sparse: no blocks
                os.close(fd)
            else:
                if roll < 0.25:
                    size = 0
                elif roll < 0.90:
                    size = rng.randrange(1, 2048)
                elif roll < 0.995:
                    size = rng.randrange(2048, 16384)
                else:
                    size = rng.randrange(16384, 131072)
                fd = os.open(path, flags, 0o644)
                while size > 0:
                    size -= os.write(fd, chunk[: min(size, len(chunk))])
                os.close(fd)
                if len(plain) < 5000:
                    plain.append(path)
            made += 1
    print("made %d entries in %d folders under %s" % (made, len(folders), root))


if __name__ == "__main__":
    main()
