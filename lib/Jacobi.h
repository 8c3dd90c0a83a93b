// Eigen-decomposition of a small symmetric matrix by cyclic Jacobi rotations,
// in double precision.
#ifndef TESSEL_JACOBI_H
#define TESSEL_JACOBI_H

// a: the row-major n x n symmetric matrix; its elements above the diagonal
// are destroyed, the diagonal and lower triangle are kept. d receives the n
// eigenvalues, unordered; v (n x n, row-major) the eigenvectors, eigenvector
// k in column k; *nrot the number of rotations done. Stops after 50 sweeps
// with the estimates reached when it has not converged.
void jacobi(double* a, int n, double* d, double* v, int* nrot);

// One plane-rotation update of a[i][j] and a[k][l] in the n x n matrix a.
inline void jacobi_rotate(double* a, int i, int j, int k, int l, int n, double s, double tau)
{
  double g = a[i * n + j];
  double h = a[k * n + l];
  a[i * n + j] = g - s * (h + g * tau);
  a[k * n + l] = h + s * (g - h * tau);
}

#endif
