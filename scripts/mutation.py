#!/usr/bin/env python3
"""A small mutation run over the portable code.

Each mutant of scripts/mutants.txt changes one text of src/ or components/
(found wherever it lives now), the native unit tests are built without the
sanitizers (build/mutation) and run, and the change is undone. A mutant is
caught when the tests fail. Prints one line a mutant and the count caught:

    python3 scripts/mutation.py [name ...]
"""
import os
import pathlib
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
BUILD = ROOT / "build" / "mutation"
TESTS = BUILD / "bin" / "velkor_unit_tests"


def mutants():
    for line in (ROOT / "scripts" / "mutants.txt").read_text().splitlines():
        if not line or line.startswith("#"):
            continue
        name, original, mutated = line.split("\t")
        yield name, original, mutated


def locate(original):
    """The one file that holds `original`, exactly once."""
    found = []
    for folder in ("src", "components"):
        for path in sorted((ROOT / folder).rglob("*")):
            if path.suffix in (".cpp", ".h"):
                found += [path] * path.read_text().count(original)
    if len(found) != 1:
        raise SystemExit(f"mutation: {original!r} occurs {len(found)} times")
    return found[0]


def build_and_test():
    build = subprocess.run(["cmake", "--build", str(BUILD), "--target", "velkor_unit_tests"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if build.returncode != 0:
        return "does not build"
    env = dict(os.environ, VELKOR_SOURCE_DIR=str(ROOT))
    try:
        run = subprocess.run([str(TESTS), "--gtest_brief=1"], env=env, timeout=300,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    except subprocess.TimeoutExpired:
        return "caught (time out)"
    return "survived" if run.returncode == 0 else "caught"


def main():
    wanted = set(sys.argv[1:])
    subprocess.run(["cmake", "-S", str(ROOT), "-B", str(BUILD), "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug",
                    "-DVELKOR_SANITIZE=OFF"], check=True, stdout=subprocess.DEVNULL)
    if build_and_test() != "survived":
        raise SystemExit("mutation: the unmutated tests do not pass")
    caught = total = 0
    for name, original, mutated in mutants():
        if wanted and name not in wanted:
            continue
        path = locate(original)
        text = path.read_text()
        try:
            path.write_text(text.replace(original, mutated))
            outcome = build_and_test()
        finally:
            path.write_text(text)
        total += 1
        caught += outcome.startswith("caught")
        print(f"{name:28} {path.relative_to(ROOT)}: {outcome}", flush=True)
    build_and_test()  # the build left as the sources are
    print(f"mutation: {caught} of {total} mutants caught")


if __name__ == "__main__":
    main()
