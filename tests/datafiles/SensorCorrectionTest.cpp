#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "datafiles/SensorCorrection.h"

namespace qvs {
namespace {

// An independent natural cubic spline: the second derivatives M solve the full linear system
// (M0 = Mn = 0, h(i-1) M(i-1) + 2(h(i-1)+h(i)) M(i) + h(i) M(i+1) = 6 (slope(i) - slope(i-1))) by Gaussian
// elimination with pivoting, and the spline is evaluated in its second-derivative form.
class TReferenceSpline {
 public:
  TReferenceSpline(std::vector<double> x, std::vector<double> y) : X(std::move(x)), Y(std::move(y)) {
    const std::size_t n = X.size();
    std::vector<std::vector<double>> m(n, std::vector<double>(n + 1, 0.0));
    m[0][0] = 1;
    m[n - 1][n - 1] = 1;
    for (std::size_t i = 1; i + 1 < n; ++i) {
      const double h0 = X[i] - X[i - 1], h1 = X[i + 1] - X[i];
      m[i][i - 1] = h0;
      m[i][i] = 2 * (h0 + h1);
      m[i][i + 1] = h1;
      m[i][n] = 6 * ((Y[i + 1] - Y[i]) / h1 - (Y[i] - Y[i - 1]) / h0);
    }
    for (std::size_t c = 0; c < n; ++c) {
      std::size_t p = c;
      for (std::size_t r = c + 1; r < n; ++r)
        if (std::fabs(m[r][c]) > std::fabs(m[p][c])) p = r;
      std::swap(m[c], m[p]);
      for (std::size_t r = 0; r < n; ++r) {
        if (r == c) continue;
        const double f = m[r][c] / m[c][c];
        for (std::size_t k = c; k <= n; ++k) m[r][k] -= f * m[c][k];
      }
    }
    for (std::size_t i = 0; i < n; ++i) M.push_back(m[i][n] / m[i][i]);
  }

  double operator()(double x) const {
    std::size_t i = 0;
    while (i + 2 < X.size() && x >= X[i + 1]) ++i;
    const double h = X[i + 1] - X[i], l = X[i + 1] - x, r = x - X[i];
    return M[i] * l * l * l / (6 * h) + M[i + 1] * r * r * r / (6 * h) + (Y[i] / h - M[i] * h / 6) * l +
           (Y[i + 1] / h - M[i + 1] * h / 6) * r;
  }

 private:
  std::vector<double> X, Y, M;
};

using Q = TCorrectedQuantity;

std::vector<double> Grid(double from, double to, int steps) {
  std::vector<double> g;
  for (int i = 0; i <= steps; ++i) g.push_back(from + (to - from) * i / steps);
  return g;
}

TEST(CalibrationPoints, ValidityByQuantity) {
  struct Case {
    Q Quantity;
    TRawCalibrationPoint Point;
    bool Valid;
  };
  const Case cases[] = {
      {Q::Temperature, {2000, 30}, true},      {Q::Temperature, {-32768, 0}, false},
      {Q::Temperature, {-27315, 3000}, true},  {Q::Temperature, {-27316, 0}, false},
      {Q::Temperature, {32767, -3000}, true},  {Q::Temperature, {0, 3001}, false},
      {Q::Temperature, {0, -3001}, false},     {Q::Humidity, {-500, 2000}, true},
      {Q::Humidity, {-501, 0}, false},         {Q::Humidity, {10500, -2000}, true},
      {Q::Humidity, {10501, 0}, false},        {Q::Humidity, {5000, 2001}, false},
      {Q::Humidity, {-32768, 0}, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsValidCalibrationPoint(c.Quantity, c.Point), c.Valid) << c.Point.Value << " " << c.Point.Correction;
}

TEST(CalibrationPoints, CheckSumWrapsAndSkipsInvalidPoints) {
  const TRawCalibrationPoint t[] = {{30000, 2000}, {2000, 3001}, {-32768, 5}};
  const TRawCalibrationPoint h[] = {{5000, -100}};
  // 30000 + 2000 + 5000 - 100 = 36900, which wraps to 36900 - 65536.
  EXPECT_EQ(CalibrationCheckSum(t, h), static_cast<std::int16_t>(36900 - 65536));
}

TEST(CorrectionTable, NaturalSplineMatchesAnIndependentSolver) {
  struct Case {
    Q Quantity;
    std::vector<TRawCalibrationPoint> Points;
  };
  const Case cases[] = {
      {Q::Temperature, {{0, 10}, {5000, -20}}},
      {Q::Temperature, {{-2000, 15}, {2500, -5}, {7000, 40}}},
      {Q::Temperature, {{7000, 40}, {-2000, 15}, {2500, -5}}},  // stored out of order
      {Q::Temperature, {{12100, -250}, {-8000, 120}, {300, 0}}},
      {Q::Humidity, {{1000, 150}, {9000, -300}}},
      {Q::Humidity, {{3300, -75}}},
  };
  for (const auto& c : cases) {
    const bool temperature = c.Quantity == Q::Temperature;
    std::vector<std::pair<double, double>> knots;
    for (const auto& p : c.Points) knots.emplace_back(p.Value / 100.0, p.Correction / 100.0);
    std::sort(knots.begin(), knots.end());
    std::vector<double> x{temperature ? -273.15 : -150.0}, y{knots.front().second};
    for (const auto& k : knots) {
      x.push_back(k.first);
      y.push_back(k.second);
    }
    x.push_back(temperature ? 327.67 : 150.0);
    y.push_back(knots.back().second);
    const TReferenceSpline reference(x, y);

    TKV6CorrectionTable table;
    table.Build(c.Quantity, c.Points);
    ASSERT_EQ(table.KnotCount(), static_cast<int>(c.Points.size()) + 2);
    ASSERT_TRUE(table.Fitted());
    for (std::size_t i = 0; i < x.size(); ++i) EXPECT_NEAR(table.Evaluate(x[i]), y[i], 1e-12) << "knot " << i;
    for (double v : Grid(x.front() - 20, x.back() + 20, 997))
      EXPECT_NEAR(table.Evaluate(v), std::clamp(reference(v), temperature ? -30.0 : -20.0, temperature ? 30.0 : 20.0),
                  1e-9)
          << "at " << v;
  }
}

TEST(CorrectionTable, TwoPointsFollowTheSplineThroughTheirAnchors) {
  TKV6CorrectionTable table;
  const TRawCalibrationPoint points[] = {{0, 10}, {5000, -20}};
  table.Build(Q::Temperature, points);
  EXPECT_NEAR(table.Evaluate(0), 0.10, 1e-12);
  EXPECT_NEAR(table.Evaluate(50), -0.20, 1e-12);
  const TReferenceSpline reference({-273.15, 0, 50, 327.67}, {0.10, 0.10, -0.20, -0.20});
  for (double v : {-100.0, -1.0, 10.0, 25.0, 49.0, 200.0}) EXPECT_NEAR(table.Evaluate(v), reference(v), 1e-12) << v;
}

TEST(CorrectionTable, OnePointCorrectsEveryValueByItsCorrection) {
  TKV6CorrectionTable table;
  const TRawCalibrationPoint points[] = {{2000, 30}};
  table.Build(Q::Temperature, points);
  for (double v : {-273.15, -50.0, 0.0, 20.0, 150.0, 327.67, 400.0}) EXPECT_NEAR(table.Evaluate(v), 0.30, 1e-12) << v;
}

TEST(CorrectionTable, KnotsTooCloseOrOutOfOrderGiveNoCorrection) {
  const std::vector<std::vector<TRawCalibrationPoint>> cases = {
      {{2000, 30}, {2000, -30}},  // the same value twice
      {{32767, 30}},              // on the upper anchor
      {{-27315, 30}},             // on the lower anchor
  };
  for (const auto& points : cases) {
    TKV6CorrectionTable table;
    table.Build(Q::Temperature, points);
    EXPECT_FALSE(table.Fitted());
    for (double v : {-100.0, 0.0, 20.0, 100.0}) EXPECT_EQ(table.Evaluate(v), 0.0);
  }
}

TEST(CorrectionTable, FewerThanThreeKnotsGiveNoCorrection) {
  TKV6CorrectionTable table;
  const TRawCalibrationPoint invalid[] = {{-32768, 10}, {0, 3001}};
  table.Build(Q::Temperature, invalid);
  EXPECT_EQ(table.KnotCount(), 0);
  EXPECT_EQ(table.Evaluate(20), 0.0);
}

TEST(CorrectionTable, CurveValuesAreLimitedPerQuantity) {
  // Corrections that swing hard between close points make the spline overshoot its limit.
  const TRawCalibrationPoint t[] = {{0, 3000}, {100, -3000}, {200, 3000}};
  const TRawCalibrationPoint h[] = {{0, 2000}, {100, -2000}};
  for (const auto& [quantity, points, limit] :
       {std::tuple{Q::Temperature, std::span<const TRawCalibrationPoint>(t), 30.0},
        std::tuple{Q::Humidity, std::span<const TRawCalibrationPoint>(h), 20.0}}) {
    TKV6CorrectionTable table;
    table.Build(quantity, points);
    double highest = 0, lowest = 0;
    bool overshoots = false;
    for (double v : Grid(-150, 150, 30000)) {
      const double c = table.Evaluate(v);
      highest = std::max(highest, c);
      lowest = std::min(lowest, c);
    }
    // The spline's own polynomial goes beyond the limit; what comes out stops at it.
    for (int i = 0; i + 1 < table.KnotCount(); ++i) {
      for (double v : Grid(table.KnotValue(i), table.KnotValue(i + 1), 2000)) {
        const double t0 = v - table.KnotValue(i);
        const double raw = table.A(i) + t0 * (table.B(i) + t0 * (table.C(i) + t0 * table.D(i)));
        if (std::fabs(raw) > limit + 1) overshoots = true;
      }
    }
    EXPECT_TRUE(overshoots);
    EXPECT_EQ(highest, limit);
    EXPECT_EQ(lowest, -limit);
  }
}

TEST(SensorCorrection, AppliesWhenTheCheckWordAgrees) {
  const TRawCalibrationPoint t[] = {{2000, 30}, {-32768, 0}, {-32768, 0}};
  const TRawCalibrationPoint h[] = {{5000, -150}, {-32768, 0}};
  TKV6SensorCorrection c;
  c.Prepare(t, h, static_cast<std::int16_t>(2000 + 30 + 5000 - 150));
  EXPECT_TRUE(c.CheckPassed());
  EXPECT_NEAR(c.CorrectTemperature(25.0), 25.30, 1e-12);
  EXPECT_NEAR(c.CorrectHumidity(60.0), 58.50, 1e-12);
  EXPECT_EQ(c.CorrectHumidity(106.0), 104.5);
  EXPECT_EQ(c.CorrectHumidity(110.0), 105.0);
}

TEST(SensorCorrection, AWrongCheckWordDisablesBothButHumidityIsStillLimited) {
  const TRawCalibrationPoint t[] = {{2000, 30}};
  const TRawCalibrationPoint h[] = {{5000, -150}};
  TKV6SensorCorrection c;
  c.Prepare(t, h, 1234);
  EXPECT_FALSE(c.CheckPassed());
  EXPECT_EQ(c.CorrectTemperature(25.0), 25.0);
  EXPECT_EQ(c.CorrectHumidity(60.0), 60.0);
  EXPECT_EQ(c.CorrectHumidity(-7.0), -5.0);
  EXPECT_EQ(c.CorrectHumidity(120.0), 105.0);
}

TEST(SensorCorrection, AnIgnoredPointDoesNotEnterTheCheckSum) {
  const TRawCalibrationPoint t[] = {{2000, 30}, {3000, 3001}};
  TKV6SensorCorrection c;
  c.Prepare(t, {}, 2030);
  EXPECT_TRUE(c.CheckPassed());
  EXPECT_NEAR(c.CorrectTemperature(30.0), 30.30, 1e-12);
  EXPECT_EQ(TKV6SensorCorrection::ValidPoints(Q::Temperature, t).size(), 1u);
}

TEST(SensorCorrection, NoValidPointMeansNoCorrectionEvenWithAMatchingCheck) {
  const TRawCalibrationPoint none[] = {{-32768, 0}};
  TKV6SensorCorrection c;
  c.Prepare(none, none, 0);
  EXPECT_TRUE(c.CheckPassed());
  EXPECT_FALSE(c.TemperatureCorrectionActive());
  EXPECT_EQ(c.CorrectTemperature(21.5), 21.5);
}

}  // namespace
}  // namespace qvs
