#!/usr/bin/env python3
"""Writes an ensemble of models of one structure for the cluster benchmark.

The models stand around a few centres: each centre is the structure with
its residues jiggled, each model a centre plus noise on every atom, moved
by a random rigid motion (which the superposition undoes), so that the
tree has real clusters.

    make_ensemble.py STRUCTURE.pdb[.gz] COUNT FOLDER [--chains AB] [--copies K]
                     [--centres C] [--seed S]

--chains keeps only those chains; --copies K repeats them K times side by
side under new chain letters, to reach the size wanted (three copies of a
23-nucleotide strand give 69 nucleotides).
"""
import argparse
import gzip
import math
import os
import random
import sys


def read_atoms(path):
    atoms = []
    with (gzip.open(path, "rt") if path.endswith(".gz") else open(path)) as f:
        for line in f:
            if line.startswith(("ATOM  ", "HETATM")) and len(line) >= 54:
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

    base = [l for l in read_atoms(args.structure) if not args.chains or l[21] in args.chains]
    if not base:
        sys.exit("%s holds no atom of chain %s" % (args.structure, " or ".join(args.chains) or "any"))
    chains = sorted(set(l[21] for l in base))
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


if __name__ == "__main__":
    main()
