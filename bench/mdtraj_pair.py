#!/usr/bin/env python3
"""mdtraj's RMSD per pair on one thread, to stand beside tolva's kernel.

    mdtraj_pair.py FOLDER [COUNT]

Loads the first COUNT models (default 300) of an ensemble folder made by
make_ensemble.py, keeps the heavy atoms, centres them once, then times
mdtraj.rmsd of every model against all (its QCP kernel, parallel=False).
Prints one line; prints a note and exits 0 when mdtraj is not installed.
"""
import glob
import os
import sys
import time


def main():
    try:
        import mdtraj
    except ImportError:
        print("mdtraj: not installed, skipped")
        return 0
    folder = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 300
    files = sorted(glob.glob(os.path.join(folder, "*.pdb")))[:count]
    traj = mdtraj.join([mdtraj.load_pdb(f) for f in files])
    traj = traj.atom_slice(traj.topology.select("not element H"))
    traj.center_coordinates()
    mdtraj.rmsd(traj, traj, 0, precentered=True, parallel=False)
    runs = []
    for _ in range(5):
        start = time.perf_counter()
        for frame in range(traj.n_frames):
            mdtraj.rmsd(traj, traj, frame, precentered=True, parallel=False)
        runs.append(time.perf_counter() - start)
    runs.sort()
    pairs = traj.n_frames * traj.n_frames
    print("mdtraj: %d atoms, %.3f us a pair on one thread (median of 5)"
          % (traj.n_atoms, 1e6 * runs[len(runs) // 2] / pairs))
    return 0


if __name__ == "__main__":
    sys.exit(main())
