#include "datafiles/SensorCorrection.h"

#include <algorithm>
#include <cmath>

namespace qvs {

bool IsValidCalibrationPoint(TCorrectedQuantity q, const TRawCalibrationPoint& p) {
  if (p.Value == -32768) return false;
  if (q == TCorrectedQuantity::Temperature)
    return p.Value >= -27315 && p.Correction >= -3000 && p.Correction <= 3000;
  return p.Value >= -500 && p.Value <= 10500 && p.Correction >= -2000 && p.Correction <= 2000;
}

std::int16_t CalibrationCheckSum(std::span<const TRawCalibrationPoint> temperature,
                                 std::span<const TRawCalibrationPoint> humidity) {
  std::uint16_t sum = 0;  // unsigned arithmetic wraps exactly as the logger's 16-bit sum does
  for (const auto& p : temperature)
    if (IsValidCalibrationPoint(TCorrectedQuantity::Temperature, p))
      sum = static_cast<std::uint16_t>(sum + static_cast<std::uint16_t>(p.Value) + static_cast<std::uint16_t>(p.Correction));
  for (const auto& p : humidity)
    if (IsValidCalibrationPoint(TCorrectedQuantity::Humidity, p))
      sum = static_cast<std::uint16_t>(sum + static_cast<std::uint16_t>(p.Value) + static_cast<std::uint16_t>(p.Correction));
  return static_cast<std::int16_t>(sum);
}

void TKV6CorrectionTable::Build(TCorrectedQuantity q, std::span<const TRawCalibrationPoint> points) {
  *this = TKV6CorrectionTable{};
  const bool temperature = q == TCorrectedQuantity::Temperature;
  Limit = temperature ? 30.0 : 20.0;

  std::array<TKV6CalibrationPoint, kMaxKnots> knots{};
  int n = 0;
  for (const auto& p : points) {
    if (n >= kMaxKnots - 2) break;
    if (IsValidCalibrationPoint(q, p)) knots[static_cast<std::size_t>(1 + n++)] = {p.Value / 100.0, p.Correction / 100.0};
  }
  if (n == 0) return;
  std::stable_sort(knots.begin() + 1, knots.begin() + 1 + n,
                   [](const TKV6CalibrationPoint& l, const TKV6CalibrationPoint& r) { return l.Value < r.Value; });
  knots[0] = {temperature ? -273.15 : -150.0, knots[1].Correction};
  knots[static_cast<std::size_t>(n + 1)] = {temperature ? 327.67 : 150.0, knots[static_cast<std::size_t>(n)].Correction};
  Count = n + 2;
  for (int i = 0; i < Count; ++i) X[static_cast<std::size_t>(i)] = knots[static_cast<std::size_t>(i)].Value;

  // Natural cubic spline: second derivative zero at both ends; tridiagonal system for c.
  const int last = Count - 1;
  std::array<double, kMaxKnots> h{}, alpha{}, l{}, mu{}, z{}, a{};
  for (int i = 0; i < Count; ++i) a[static_cast<std::size_t>(i)] = knots[static_cast<std::size_t>(i)].Correction;
  for (int i = 0; i < last; ++i) {
    h[static_cast<std::size_t>(i)] = X[static_cast<std::size_t>(i + 1)] - X[static_cast<std::size_t>(i)];
    if (!(h[static_cast<std::size_t>(i)] >= 1e-7)) return;  // too close, out of order: no fit
  }
  for (int i = 1; i < last; ++i) {
    const auto u = static_cast<std::size_t>(i);
    alpha[u] = 3.0 / h[u] * (a[u + 1] - a[u]) - 3.0 / h[u - 1] * (a[u] - a[u - 1]);
  }
  l[0] = 1;
  for (int i = 1; i < last; ++i) {
    const auto u = static_cast<std::size_t>(i);
    l[u] = 2.0 * (X[u + 1] - X[u - 1]) - h[u - 1] * mu[u - 1];
    mu[u] = h[u] / l[u];
    z[u] = (alpha[u] - h[u - 1] * z[u - 1]) / l[u];
  }
  CC[static_cast<std::size_t>(last)] = 0;
  for (int j = last - 1; j >= 0; --j) {
    const auto u = static_cast<std::size_t>(j);
    CC[u] = z[u] - mu[u] * CC[u + 1];
    CB[u] = (a[u + 1] - a[u]) / h[u] - h[u] * (CC[u + 1] + 2.0 * CC[u]) / 3.0;
    CD[u] = (CC[u + 1] - CC[u]) / (3.0 * h[u]);
  }
  CA = a;
  IsFitted = true;
}

double TKV6CorrectionTable::Evaluate(double x) const {
  if (Count < 3) return 0;
  int lo = 0, hi = Count - 1;
  while (hi - lo > 1) {
    const int mid = (lo + hi) / 2;
    if (x >= X[static_cast<std::size_t>(mid)]) lo = mid;
    else hi = mid;
  }
  const auto u = static_cast<std::size_t>(lo);
  const double t = x - X[u];
  const double r = CA[u] + t * (CB[u] + t * (CC[u] + t * CD[u]));
  return r < -Limit ? -Limit : (r > Limit ? Limit : r);
}

void TKV6SensorCorrection::Prepare(std::span<const TRawCalibrationPoint> temperature,
                                   std::span<const TRawCalibrationPoint> humidity, std::int16_t checkWord) {
  Temperature.Build(TCorrectedQuantity::Temperature, temperature);
  Humidity.Build(TCorrectedQuantity::Humidity, humidity);
  CheckOK = CalibrationCheckSum(temperature, humidity) == checkWord;
  TemperatureActive = CheckOK && Temperature.ValidPointCount() > 0;
  HumidityActive = CheckOK && Humidity.ValidPointCount() > 0;
}

TKV6CalibrationPoints TKV6SensorCorrection::ValidPoints(TCorrectedQuantity q,
                                                        std::span<const TRawCalibrationPoint> points) {
  TKV6CalibrationPoints out;
  for (const auto& p : points)
    if (IsValidCalibrationPoint(q, p)) out.push_back({p.Value / 100.0, p.Correction / 100.0});
  return out;
}

}  // namespace qvs
