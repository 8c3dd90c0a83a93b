// The tool's command-line flags, global as every part of the tool reads
// them, and the usage, help and version texts.
#ifndef TOLVA_OPTIONS_H
#define TOLVA_OPTIONS_H

extern bool __compare;             // -c
extern bool __base_only;           // -b
extern bool __backbone_only;       // -B
extern bool __all_atoms;           // flipped by -b and -B
extern bool __strand_eq;           // -e
extern bool __file_eq;             // -f
extern bool __verbose;             // -v
extern bool __very_verbose;        // -v -v
extern bool __residue_validation;  // cleared by -n
extern bool __root_only;           // -R
extern int __nb_threads;           // -j
extern const char* __shortopts;
extern int __current_option;

extern const char* const kProgramName;
extern const char* const kProgramVersion;

void __usage();
void __help();
void __version();

#endif
