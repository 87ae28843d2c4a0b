#pragma once
// Weighted least squares over a polynomial basis of two variables, and the
// smooth correction surfaces built on it. The blemish engine fits these over
// the ring around a patch to carry the colour difference measured there into
// the patched pixels.

#include <array>
#include <cstdint>
#include <vector>

// The polynomial terms of an order: 1; x, y; x·y; x², y²; y·x², x·y²; x³, y³,
// each group added at the next order (1, 3, 4, 6, 8, 10 terms for 0..5).
class TArgumentTransfer {
 public:
  static constexpr int32_t MaxOrder = 5;
  static constexpr int32_t MaxTerms = 10;

  // Orders outside 0..5 are clamped.
  explicit TArgumentTransfer(int32_t order);

  int32_t Order() const { return FOrder; }
  int32_t TermCount() const { return FTermCount; }
  // Writes TermCount values.
  void Transfer(double x, double y, double *terms) const;

  static int32_t TermCountOf(int32_t order);

 private:
  int32_t FOrder;
  int32_t FTermCount;
};

class TLSM2 {
 public:
  explicit TLSM2(int32_t order);

  const TArgumentTransfer &Basis() const { return FBasis; }
  int32_t SampleCount() const { return static_cast<int32_t>(Weights.size()); }
  void AddSample(double x, double y, double weight);
  void Clear();

  // Fits values (one per sample) and writes TermCount coefficients. Fails,
  // leaving every coefficient 0, with fewer samples than terms. A system
  // whose samples do not pin down every term (all on one line, say) gets
  // its minimum-norm solution.
  bool Solve(const std::vector<double> &values, std::vector<double> &coefficients) const;
  double Evaluate(const std::vector<double> &coefficients, double x, double y) const;

 private:
  TArgumentTransfer FBasis;
  std::vector<double> Rows;  // TermCount basis values per sample
  std::vector<double> Weights;
};

// Solves the symmetric positive semi-definite n x n system a·c = b (a row by
// row) for its minimum-norm least-squares solution, treating singular values
// up to n × largest × 5e-16 as zero. a is used as scratch.
void SolveSymmetricMinimumNorm(int32_t n, double *a, const double *b, double *c);

// One value per sample.
class TApproximation {
 public:
  explicit TApproximation(int32_t order) : Lsm(order) {}

  void AddSample(double x, double y, double value, double weight = 1.0);
  void Clear();
  bool Solve();
  double Evaluate(double x, double y) const { return Lsm.Evaluate(Coefficients, x, y); }
  const std::vector<double> &Coefficient() const { return Coefficients; }

 private:
  TLSM2 Lsm;
  std::vector<double> Values;
  std::vector<double> Coefficients;
};

// Blue, green and red values per sample over one shared basis.
class TApproximationBGR {
 public:
  explicit TApproximationBGR(int32_t order) : Lsm(order) {}

  void AddSample(double x, double y, double blue, double green, double red, double weight = 1.0);
  void Clear();
  bool Solve();
  // Blue, green, red.
  std::array<double, 3> Evaluate(double x, double y) const;
  int32_t SampleCount() const { return Lsm.SampleCount(); }

 private:
  TLSM2 Lsm;
  std::array<std::vector<double>, 3> Values;
  std::array<std::vector<double>, 3> Coefficients;
};
