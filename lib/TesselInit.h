// The library's entry: nothing else of it may be used before TesselInit.
#ifndef TESSEL_TESSELINIT_H
#define TESSEL_TESSELINIT_H

// Creates the 166 atom-type and 40 residue-type singletons, then fills the
// per-residue-type atom sets and the bond-length table. A second call finds
// the registry complete and does nothing.
void TesselInit();

// Writes the library's name and version, and two lines about it, on
// standard output.
void Tessel_version();

#endif
