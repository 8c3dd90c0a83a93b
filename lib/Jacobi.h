// Eigen-decomposition of a small symmetric matrix, and singular value
// decomposition of a small square one, by cyclic Jacobi rotations in double
// precision.
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

// One-sided Jacobi on the row-major n x n matrix b: pairs of its columns
// are turned until every two are orthogonal. On return b holds (b as
// given).v, whose column lengths are the singular values, unordered; v
// (n x n, row-major) the product of the plane rotations, a proper rotation
// whose columns are the right singular vectors; *nrot the number of
// rotations done. Small singular values come out good to the rounding of
// the largest, not of its square as from the eigenvalues of b^T.b; a column
// below 1e-15 of b's Frobenius norm is left as it is. Stops after 50 sweeps
// with the columns reached when they are not orthogonal yet.
void jacobi_svd(double* b, int n, double* v, int* nrot);

#endif
