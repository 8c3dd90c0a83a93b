#!/usr/bin/env python3
"""Writes an ensemble of models of one structure for the cluster benchmark.

The models stand around a few centres: each centre is the structure with
its residues jiggled, each model a centre plus noise on every atom, moved
by a random rigid motion (which the superposition undoes), so that the
tree has real clusters.

    make_ensemble.py STRUCTURE.pdb[.gz] COUNT FOLDER [--chains AB] [--copies K]
                     [--centres C] [--seed S]

--chains keeps only those chains, each of which the structure must hold;
--copies K repeats them K times side by side under new chain letters, to
reach the size wanted (three copies of a 23-nucleotide strand give 69
nucleotides). A structure refused stops it with one line, before it makes
anything.
"""
import argparse
import gzip
import math
import os
import random
import sys
import zlib


def read_atoms(path):
    # latin-1 reads any byte, so that a file that is no PDB file is refused
    # below with one line rather than a traceback.
    atoms = []
    with (gzip.open if path.endswith(".gz") else open)(path, "rt", encoding="latin-1") as f:
        for number, line in enumerate(f, 1):
            if line.startswith(("ATOM  ", "HETATM")) and len(line) >= 54:
                try:
                    xyz(line)
                except ValueError:
                    sys.exit("%s, line %d: no coordinates in this atom record" % (path, number))
                atoms.append(line.rstrip("\n"))
            elif line.startswith("ENDMDL"):
                break
    return atoms


def xyz(line):
    return float(line[30:38]), float(line[38:46]), float(line[46:54])


def with_xyz(line, p):
    return line[:30] + "%8.3f%8.3f%8.3f" % p + line[54:]


def rotation(rng):
    # A uniformly random rotation, from a random unit quaternion.
    u1, u2, u3 = rng.random(), rng.random(), rng.random()
    a, b = math.sqrt(1 - u1), math.sqrt(u1)
    w, x, y, z = a * math.sin(2 * math.pi * u2), a * math.cos(2 * math.pi * u2), \
        b * math.sin(2 * math.pi * u3), b * math.cos(2 * math.pi * u3)
    return [[1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)],
            [2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)],
            [2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)]]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("structure")
    parser.add_argument("count", type=int)
    parser.add_argument("folder")
    parser.add_argument("--chains", default="")
    parser.add_argument("--copies", type=int, default=1)
    parser.add_argument("--centres", type=int, default=5)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    rng = random.Random(args.seed)

    # Every refusal comes before the folder is made, so that it leaves nothing.
    try:
        held = read_atoms(args.structure)
    except (gzip.BadGzipFile, EOFError, zlib.error):
        sys.exit("%s is not a whole gzip file" % args.structure)
    except OSError as e:
        sys.exit("cannot read %s: %s" % (args.structure, e.strerror or e))
    if not held:
        sys.exit("%s holds no ATOM or HETATM record" % args.structure)
    missing = sorted(set(args.chains) - set(l[21] for l in held))
    if missing:
        sys.exit("%s holds no atom of chain %s" % (args.structure, ", ".join(missing)))
    base = [l for l in held if not args.chains or l[21] in args.chains]
    chains = sorted(set(l[21] for l in base))
    if len(chains) * args.copies > 26:
        sys.exit("%s: %d chains %d times over need more than 26 chain letters"
                 % (args.structure, len(chains), args.copies))
    letters = iter("ABCDEFGHIJKLMNOPQRSTUVWXYZ")
    atoms = []
    for copy in range(args.copies):
        renamed = {c: next(letters) for c in chains}
        for line in base:
            x, y, z = xyz(line)
            atoms.append(with_xyz(line[:21] + renamed[line[21]] + line[22:], (x + 40.0 * copy, y, z)))

    residue_of = [l[21:27] for l in atoms]
    centres = []
    for _ in range(args.centres):
        shift = {}
        for r in residue_of:
            if r not in shift:
                shift[r] = tuple(rng.gauss(0, 1.5) for _ in range(3))
        centres.append([tuple(c + d for c, d in zip(xyz(l), shift[r])) for l, r in zip(atoms, residue_of)])

    # A folder that cannot be made or written (a file on its path, a full
    # disk) stops it with one line too.
    try:
        os.makedirs(args.folder, exist_ok=True)
        for m in range(args.count):
            centre = centres[m % args.centres]
            R = rotation(rng)
            t = [rng.uniform(-50, 50) for _ in range(3)]
            lines = []
            for line, p in zip(atoms, centre):
                q = [c + rng.gauss(0, 0.3) for c in p]
                lines.append(with_xyz(line, tuple(sum(R[i][j] * q[j] for j in range(3)) + t[i] for i in range(3))))
            with open(os.path.join(args.folder, "model%05d.pdb" % m), "w") as f:
                f.write("\n".join(lines) + "\nEND\n")
    except OSError as e:
        sys.exit("cannot write %s: %s" % (e.filename or args.folder, e.strerror or e))


if __name__ == "__main__":
    main()
