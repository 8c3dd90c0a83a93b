// Small scalar functions of the library.
#ifndef TESSEL_NUMERICS_H
#define TESSEL_NUMERICS_H

inline constexpr double kPi = 3.141592653589793;
inline constexpr double kZeroTolerance = 1e-10;

inline float minf(float a, float b) { return a < b ? a : b; }
inline float absf(float x) { return x > 0 ? x : -x; }
// True within 1e-10 of zero, both ends included; false for a NaN.
inline bool equal0(double x) { return x + kZeroTolerance >= 0 && x - kZeroTolerance <= 0; }

// Four-quadrant arc tangent in [-pi, pi): the negative x axis gives -pi.
double arctan2(double y, double x);

float DegToRadian(float degrees);
float RadToDegree(float radians);

#endif
