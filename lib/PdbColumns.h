// The numbers of PDB records' fixed columns, read and written in the C
// locale's notation whatever locale the process runs in: a GTK program
// takes the user's locale, and a decimal comma must not cut 12.345 to 12.
#ifndef TESSEL_PDBCOLUMNS_H
#define TESSEL_PDBCOLUMNS_H

// atoi of the text [first, last): leading white space, a sign, digits;
// 0 when there is no digit. Clamped to the int range.
int pdb_read_int(const char* first, const char* last);

// atof of the text [first, last), correctly rounded like strtod in the C
// locale: 0 when it holds no number.
double pdb_read_real(const char* first, const char* last);

// A fixed-point field as the format writes coordinates: blanks, a sign,
// digits with at most one decimal point, blanks. False for anything else
// (an empty field, exponents, inf, nan, hexadecimal, stray characters),
// so that a number read this way is always finite.
bool pdb_read_fixed(const char* first, const char* last, double& value);

// Writes value right-adjusted in width columns at out and returns the end.
// A value wider than the field keeps only its last width digits (its
// value modulo 10^width, never negative), so that the line never shifts.
char* pdb_put_int(char* out, long value, unsigned width);

// Writes value in fixed notation, right-adjusted in width columns, with
// `decimals` decimals or as many fewer as it takes to fit. Returns the end,
// or null when even no decimal at all fits, or the value is not finite.
char* pdb_put_fixed(char* out, double value, unsigned width, unsigned decimals);

#endif
