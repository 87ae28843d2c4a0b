#include "retouch/VxLeastSquares.h"

#include <algorithm>
#include <cmath>

// --- TArgumentTransfer -------------------------------------------------------

int32_t TArgumentTransfer::TermCountOf(int32_t order) {
  static constexpr int32_t counts[MaxOrder + 1] = {1, 3, 4, 6, 8, 10};
  return counts[std::clamp(order, 0, MaxOrder)];
}

TArgumentTransfer::TArgumentTransfer(int32_t order)
    : FOrder(std::clamp(order, 0, MaxOrder)), FTermCount(TermCountOf(order)) {}

void TArgumentTransfer::Transfer(double x, double y, double *terms) const {
  const double all[MaxTerms] = {1.0,   x,         y,         x * y,     x * x,
                                y * y, y * x * x, x * y * y, x * x * x, y * y * y};
  std::copy_n(all, FTermCount, terms);
}

// --- symmetric solve ---------------------------------------------------------

namespace {

// Cyclic Jacobi rotations: a becomes diagonal (its eigenvalues), v collects
// the eigenvectors as columns. For a symmetric positive semi-definite matrix
// this is its singular value decomposition.
void JacobiEigen(int32_t n, double *a, double *v) {
  auto at = [n](double *m, int32_t i, int32_t j) -> double & { return m[i * n + j]; };
  for (int32_t i = 0; i < n; ++i)
    for (int32_t j = 0; j < n; ++j) at(v, i, j) = i == j ? 1.0 : 0.0;
  for (int32_t sweep = 0; sweep < 100; ++sweep) {
    double off = 0.0, diagonal = 0.0;
    for (int32_t i = 0; i < n; ++i) {
      diagonal += at(a, i, i) * at(a, i, i);
      for (int32_t j = i + 1; j < n; ++j) off += at(a, i, j) * at(a, i, j);
    }
    if (off <= diagonal * 1e-34 || off == 0.0) return;
    for (int32_t p = 0; p < n; ++p) {
      for (int32_t q = p + 1; q < n; ++q) {
        const double apq = at(a, p, q);
        if (apq == 0.0) continue;
        const double theta = (at(a, q, q) - at(a, p, p)) / (2.0 * apq);
        const double t = std::copysign(1.0, theta) / (std::fabs(theta) + std::hypot(theta, 1.0));
        const double c = 1.0 / std::sqrt(t * t + 1.0), s = t * c;
        for (int32_t k = 0; k < n; ++k) {
          const double akp = at(a, k, p), akq = at(a, k, q);
          at(a, k, p) = c * akp - s * akq;
          at(a, k, q) = s * akp + c * akq;
        }
        for (int32_t k = 0; k < n; ++k) {
          const double apk = at(a, p, k), aqk = at(a, q, k);
          at(a, p, k) = c * apk - s * aqk;
          at(a, q, k) = s * apk + c * aqk;
        }
        for (int32_t k = 0; k < n; ++k) {
          const double vkp = at(v, k, p), vkq = at(v, k, q);
          at(v, k, p) = c * vkp - s * vkq;
          at(v, k, q) = s * vkp + c * vkq;
        }
      }
    }
  }
}

}  // namespace

void SolveSymmetricMinimumNorm(int32_t n, double *a, const double *b, double *c) {
  double v[TArgumentTransfer::MaxTerms * TArgumentTransfer::MaxTerms];
  JacobiEigen(n, a, v);
  double largest = 0.0;
  for (int32_t k = 0; k < n; ++k) largest = std::max(largest, std::fabs(a[k * n + k]));
  // Directions the samples do not determine get no share of the solution.
  const double zero = n * largest * 5e-16;
  std::fill_n(c, n, 0.0);
  for (int32_t k = 0; k < n; ++k) {
    const double sigma = a[k * n + k];
    if (std::fabs(sigma) <= zero) continue;
    double projection = 0.0;
    for (int32_t i = 0; i < n; ++i) projection += v[i * n + k] * b[i];
    const double factor = projection / sigma;
    for (int32_t i = 0; i < n; ++i) c[i] += factor * v[i * n + k];
  }
}

// --- TLSM2 -------------------------------------------------------------------

TLSM2::TLSM2(int32_t order) : FBasis(order) {}

void TLSM2::AddSample(double x, double y, double weight) {
  const size_t at = Rows.size();
  Rows.resize(at + static_cast<size_t>(FBasis.TermCount()));
  FBasis.Transfer(x, y, Rows.data() + at);
  Weights.push_back(weight);
}

void TLSM2::Clear() {
  Rows.clear();
  Weights.clear();
}

bool TLSM2::Solve(const std::vector<double> &values, std::vector<double> &coefficients) const {
  const int32_t n = FBasis.TermCount();
  coefficients.assign(static_cast<size_t>(n), 0.0);
  const size_t samples = Weights.size();
  if (samples < static_cast<size_t>(n) || values.size() < samples) return false;
  double a[TArgumentTransfer::MaxTerms * TArgumentTransfer::MaxTerms] = {};
  double b[TArgumentTransfer::MaxTerms] = {};
  for (size_t s = 0; s < samples; ++s) {
    const double *phi = Rows.data() + s * static_cast<size_t>(n);
    const double w2 = Weights[s] * Weights[s];
    for (int32_t i = 0; i < n; ++i) {
      b[i] += w2 * values[s] * phi[i];
      for (int32_t j = i; j < n; ++j) a[i * n + j] += w2 * phi[i] * phi[j];
    }
  }
  for (int32_t i = 0; i < n; ++i)
    for (int32_t j = 0; j < i; ++j) a[i * n + j] = a[j * n + i];
  SolveSymmetricMinimumNorm(n, a, b, coefficients.data());
  return true;
}

double TLSM2::Evaluate(const std::vector<double> &coefficients, double x, double y) const {
  double terms[TArgumentTransfer::MaxTerms];
  FBasis.Transfer(x, y, terms);
  double sum = 0.0;
  const size_t n = std::min(coefficients.size(), static_cast<size_t>(FBasis.TermCount()));
  for (size_t i = 0; i < n; ++i) sum += coefficients[i] * terms[i];
  return sum;
}

// --- TApproximation ----------------------------------------------------------

void TApproximation::AddSample(double x, double y, double value, double weight) {
  Lsm.AddSample(x, y, weight);
  Values.push_back(value);
}

void TApproximation::Clear() {
  Lsm.Clear();
  Values.clear();
  Coefficients.clear();
}

bool TApproximation::Solve() { return Lsm.Solve(Values, Coefficients); }

// --- TApproximationBGR -------------------------------------------------------

void TApproximationBGR::AddSample(double x, double y, double blue, double green, double red,
                                  double weight) {
  Lsm.AddSample(x, y, weight);
  Values[0].push_back(blue);
  Values[1].push_back(green);
  Values[2].push_back(red);
}

void TApproximationBGR::Clear() {
  Lsm.Clear();
  for (auto &values : Values) values.clear();
  for (auto &coefficients : Coefficients) coefficients.clear();
}

bool TApproximationBGR::Solve() {
  bool solved = true;
  for (size_t c = 0; c < 3; ++c) solved = Lsm.Solve(Values[c], Coefficients[c]) && solved;
  return solved;
}

std::array<double, 3> TApproximationBGR::Evaluate(double x, double y) const {
  return {Lsm.Evaluate(Coefficients[0], x, y), Lsm.Evaluate(Coefficients[1], x, y),
          Lsm.Evaluate(Coefficients[2], x, y)};
}
