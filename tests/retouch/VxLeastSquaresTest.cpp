#include "retouch/VxLeastSquares.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Every term of the basis of each order, with coefficients 1.5, -2, 2.5, ...
// on a grid of samples: the fit gives them back.
TEST(LeastSquares, ExactPolynomialsOfEveryOrderComeBack) {
  for (int32_t order = 0; order <= TArgumentTransfer::MaxOrder; ++order) {
    TLSM2 lsm(order);
    const int32_t n = lsm.Basis().TermCount();
    std::vector<double> truth;
    for (int32_t i = 0; i < n; ++i) truth.push_back((i % 2 ? -1.0 : 1.0) * (1.5 + 0.5 * i));
    std::vector<double> values;
    for (int32_t x = 0; x < 7; ++x) {
      for (int32_t y = 0; y < 7; ++y) {
        lsm.AddSample(x, y, 1.0);
        values.push_back(lsm.Evaluate(truth, x, y));
      }
    }
    std::vector<double> found;
    ASSERT_TRUE(lsm.Solve(values, found)) << "order " << order;
    ASSERT_EQ(found.size(), static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) EXPECT_NEAR(found[i], truth[i], 1e-7) << order << "/" << i;
  }
}

TEST(LeastSquares, BasisTermsComeInTheirOrder) {
  TArgumentTransfer basis(5);
  double terms[TArgumentTransfer::MaxTerms];
  basis.Transfer(2, 3, terms);
  const double expected[] = {1, 2, 3, 6, 4, 9, 12, 18, 8, 27};
  for (int i = 0; i < TArgumentTransfer::MaxTerms; ++i) EXPECT_EQ(terms[i], expected[i]) << i;
  const int32_t counts[] = {1, 3, 4, 6, 8, 10};
  for (int32_t order = 0; order <= 5; ++order)
    EXPECT_EQ(TArgumentTransfer::TermCountOf(order), counts[order]);
}

TEST(LeastSquares, BilinearSurfaceIsRecoveredToRoundingAccuracy) {
  // The engine's use: order 2 over the local coordinates of a ring.
  TApproximation fit(2);
  auto surface = [](double x, double y) { return 3.25 - 0.5 * x + 1.75 * y + 0.125 * x * y; };
  for (int32_t x = 0; x < 100; x += 3)
    for (int32_t y : {0, 99}) fit.AddSample(x, y, surface(x, y));
  ASSERT_TRUE(fit.Solve());
  const double expected[] = {3.25, -0.5, 1.75, 0.125};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(fit.Coefficient()[i], expected[i], 1e-12) << i;
  EXPECT_NEAR(fit.Evaluate(50, 50), surface(50, 50), 1e-10);
}

TEST(LeastSquares, FewerSamplesThanTermsGiveZeroCoefficients) {
  TApproximationBGR fit(2);
  fit.AddSample(0, 0, 10, 20, 30);
  fit.AddSample(1, 0, 11, 21, 31);
  fit.AddSample(0, 1, 12, 22, 32);
  EXPECT_FALSE(fit.Solve());
  const auto at = fit.Evaluate(5, 5);
  EXPECT_EQ(at[0], 0.0);
  EXPECT_EQ(at[1], 0.0);
  EXPECT_EQ(at[2], 0.0);
}

TEST(LeastSquares, SamplesOnOneLineGiveTheMinimumNormSolution) {
  // On y = x the terms x and y cannot be told apart: 1 + 2x is fitted by
  // every c0 = 1, c1 + c2 = 2, c3 = 0; the shortest splits the 2 evenly.
  TApproximation fit(2);
  for (int32_t t = 0; t < 10; ++t) fit.AddSample(t, t, 1.0 + 2.0 * t);
  ASSERT_TRUE(fit.Solve());
  const double expected[] = {1.0, 1.0, 1.0, 0.0};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(fit.Coefficient()[i], expected[i], 1e-8) << i;
}

TEST(LeastSquares, AllZeroSystemGivesZero) {
  // A ring of samples that all lie outside the image: zero differences.
  TApproximationBGR fit(2);
  for (int32_t x = 0; x < 5; ++x) fit.AddSample(x, x * x, 0, 0, 0);
  EXPECT_TRUE(fit.Solve());
  const auto at = fit.Evaluate(3, 4);
  EXPECT_EQ(at[0], 0.0);
  EXPECT_EQ(at[2], 0.0);
}

}  // namespace
