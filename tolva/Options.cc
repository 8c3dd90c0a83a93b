#include "Options.h"

#include <iostream>

#include "TesselInit.h"

bool __compare = false;
bool __base_only = false;
bool __backbone_only = false;
bool __all_atoms = true;
bool __strand_eq = false;
bool __file_eq = false;
bool __verbose = false;
bool __very_verbose = false;
bool __residue_validation = true;
bool __root_only = false;
int __nb_threads = 0;
const char* __shortopts = "ncbBefRo:i:a:r:j:hH?vV";
int __current_option = 0;

const char* const kProgramName = "tolva";
const char* const kProgramVersion = "4.0";

void __usage()
{
  std::cout << "usage: " << kProgramName
            << " [-cbBefRhvV] [-a exp] [-r exp] [-o output] [-j [N]] [-i file] [file ...]" << std::endl;
}

void __help()
{
  static const char* const lines[] = {
    "  -c      compare   compare the first file with others",
    "  -b      base      uses only base atoms in the rmsd computation",
    "  -B      backbone  uses only backbone atoms in the rmsd computation",
    "  -n                turn off residue validation (in case residues are incomplete",
    "  -h      help      print this help",
    "  -e                suppose relative residue ordering equivalence regardless of resID",
    "  -f                use residue order in the files instead of residue ID (overrides -e)",
    "  -R      root-only only displays the clustering tree's root value",
    "",
    "  -o file           pdb file in which to write alignment",
    "  -i file           read pdb files from this file instead of command line",
    "  -a exp            residues to align (or all)",
    "  -r exp            residues to include in rmsd (or all)",
    "  -j [N]            Allow N jobs at once",
    "",
    "  -v      verbose   be verbose",
    "  -V      version   print the software version info",
    "",
    "* Please note that all hydrogens are removed before RMSD calculation",
  };
  for (const char* line : lines) std::cout << line << std::endl;
}

void __version()
{
  std::cout << kProgramName << " " << kProgramVersion << " (" << __DATE__ << ")" << std::endl;
  Tessel_version();
}
