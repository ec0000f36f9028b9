#!/usr/bin/env python3
"""Builds a reproducible developer home folder for the developer-scan benchmark.

    make-devhome.py HOME

300 projects under HOME/Projects and HOME/code (some one level deeper, inside
client folders): 200 Node projects, each with a node_modules folder of 200 to
2,000 files (a few with a Next.js build folder), and 100 others (Flutter,
Gradle, Rust, Python, Go, CocoaPods) with their build output. Beside them the
usual tool caches (npm, Gradle, Xcode derived data, pub) and a Documents folder.
Half of the projects were last touched 90 days ago.
"""
import os
import random
import sys
import time

rng = random.Random(20240612)
FLAGS = os.O_WRONLY | os.O_CREAT | os.O_TRUNC
CHUNK = b"j" * 65536
files_made = 0


def write(path, size=None, text=None):
    global files_made
    os.makedirs(os.path.dirname(path), exist_ok=True)
    fd = os.open(path, FLAGS, 0o644)
    try:
        if text is not None:
            os.write(fd, text.encode())
        else:
            os.write(fd, CHUNK[:size])
    finally:
        os.close(fd)
    files_made += 1


def small():
    roll = rng.random()
    if roll < 0.7:
        return rng.randint(100, 4000)
    if roll < 0.97:
        return rng.randint(4000, 30000)
    return rng.randint(30000, 65536)


def fill(folder, count, prefix="f", depth_names=("lib", "dist", "src")):
    """Spreads `count` files over `folder` and up to two levels below it."""
    for n in range(count):
        parts = [folder]
        roll = rng.random()
        if roll < 0.4:
            parts.append(rng.choice(depth_names))
        elif roll < 0.55:
            parts += [rng.choice(depth_names), "sub%d" % rng.randint(0, 3)]
        write(os.path.join(*parts, "%s%04d.js" % (prefix, n)), small())


def node_modules(folder, total):
    made = 0
    index = 0
    while made < total:
        count = min(total - made, rng.randint(4, 14))
        name = "pkg-%d" % index
        if index % 9 == 0:
            name = os.path.join("@scope%d" % (index % 5), name)
        package = os.path.join(folder, name)
        write(os.path.join(package, "package.json"), text='{"name": "%s", "version": "1.0.%d"}' % (name, index))
        fill(package, count - 1)
        made += count
        index += 1


def age(path, days):
    stamp = time.time() - days * 86400
    os.utime(path, (stamp, stamp))


def project_folder(home, i):
    top = "Projects" if i % 2 == 0 else "code"
    if i % 5 == 0:
        return os.path.join(home, top, "client%d" % (i % 7), "p%03d" % i)
    return os.path.join(home, top, "p%03d" % i)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    home = os.path.abspath(sys.argv[1])
    os.makedirs(home, exist_ok=True)

    for i in range(300):
        folder = project_folder(home, i)
        stale = i % 2 == 0
        write(os.path.join(folder, ".git", "HEAD"), text="ref: refs/heads/main\n")
        write(os.path.join(folder, "README.md"), text="# project %d\n" % i)
        fill(os.path.join(folder, "src"), rng.randint(5, 30), prefix="s")
        if i < 200:
            deps = '"react": "18"'
            if i % 10 == 1:
                deps += ', "next": "14"'
            if i % 10 == 2:
                deps += ', "react-native": "0.73", "expo": "50"'
            write(os.path.join(folder, "package.json"), text='{"dependencies": {%s}}' % deps)
            write(os.path.join(folder, ["package-lock.json", "yarn.lock", "pnpm-lock.yaml"][i % 3]), text="lock\n")
            node_modules(os.path.join(folder, "node_modules"), rng.randint(200, 2000))
            if i % 10 == 1:
                fill(os.path.join(folder, ".next"), 150, prefix="n")
            activity = ["package.json", os.path.join(".git", "HEAD")]
        else:
            kind = (i - 200) // 17
            if kind == 0:
                write(os.path.join(folder, "pubspec.yaml"), text="name: app\n")
                fill(os.path.join(folder, "build"), 200, prefix="b")
                fill(os.path.join(folder, ".dart_tool"), 80, prefix="d")
                activity = ["pubspec.yaml"]
            elif kind == 1:
                write(os.path.join(folder, "build.gradle"), text="plugins {}\n")
                write(os.path.join(folder, "settings.gradle"), text="\n")
                fill(os.path.join(folder, "build"), 300, prefix="b")
                fill(os.path.join(folder, ".gradle"), 60, prefix="g")
                activity = ["build.gradle"]
            elif kind == 2:
                write(os.path.join(folder, "Cargo.toml"), text="[package]\n")
                fill(os.path.join(folder, "target"), 400, prefix="t")
                activity = ["Cargo.toml"]
            elif kind == 3:
                write(os.path.join(folder, "requirements.txt"), text="requests\n")
                fill(os.path.join(folder, ".venv"), 300, prefix="v")
                activity = []
            elif kind == 4:
                write(os.path.join(folder, "go.mod"), text="module x\n")
                activity = ["go.mod"]
            else:
                write(os.path.join(folder, "Podfile"), text="platform :ios\n")
                write(os.path.join(folder, "Podfile.lock"), text="PODS:\n")
                fill(os.path.join(folder, "Pods"), 250, prefix="p")
                activity = ["Podfile.lock"]
            activity.append(os.path.join(".git", "HEAD"))
        if stale:
            for name in activity:
                age(os.path.join(folder, name), 90)

    fill(os.path.join(home, ".npm", "_cacache"), 3000, prefix="c")
    fill(os.path.join(home, ".gradle", "caches"), 2000, prefix="g")
    fill(os.path.join(home, ".pub-cache", "hosted"), 800, prefix="p")
    for n in range(6):
        fill(os.path.join(home, "Library", "Developer", "Xcode", "DerivedData", "App%d-abc%d" % (n, n)), 300,
             prefix="x")
    fill(os.path.join(home, "Documents"), 3000, prefix="doc")
    print("%d files under %s" % (files_made, home))


if __name__ == "__main__":
    main()
