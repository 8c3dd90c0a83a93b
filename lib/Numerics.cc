#include "Numerics.h"

#include <cmath>

double arctan2(double y, double x)
{
  bool y0 = equal0(y);
  bool x0 = equal0(x);
  if (y0 && x0) return 0.0;
  if (y > 0 && x0) return kPi / 2;
  if (y < 0 && x0) return -kPi / 2;
  if (y > 0 && x > 0) return std::atan(y / x);
  if (y0 && x > 0) return 0.0;
  if (y0 && x < 0) return -kPi;
  if (y > 0 && x < 0) return kPi - std::atan(y / (-x));
  if (y < 0 && x < 0) return std::atan((-y) / (-x)) - kPi;
  if (y < 0) return -std::atan((-y) / x);
  return 1.0;  // a NaN operand
}

float DegToRadian(float degrees)
{
  return static_cast<float>((static_cast<double>(degrees) * kPi) / 180.0);
}

float RadToDegree(float radians)
{
  float scaled = radians * 180.0f;
  return static_cast<float>(static_cast<double>(scaled) / kPi);
}
