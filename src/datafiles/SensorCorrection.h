#pragma once
// Calibration point correction of the older loggers: up to three temperature and two humidity
// points, each a value and the correction measured there, smoothed into a natural cubic spline that
// corrects every reading (and the humidity alarm limits) when the points' check word agrees.

#include <array>
#include <cstdint>
#include <span>

#include "datafiles/LoggerDataSet.h"

namespace qvs {

enum class TCorrectedQuantity { Temperature, Humidity };

// A calibration point as the logger stores it: value and correction in hundredths of the unit.
struct TRawCalibrationPoint {
  std::int16_t Value = 0;
  std::int16_t Correction = 0;
};

// Whether a stored point counts for its quantity.
bool IsValidCalibrationPoint(TCorrectedQuantity q, const TRawCalibrationPoint& p);
// The signed 16-bit, wrapping sum of value + correction over every valid point of both quantities.
std::int16_t CalibrationCheckSum(std::span<const TRawCalibrationPoint> temperature,
                                 std::span<const TRawCalibrationPoint> humidity);

// A natural cubic spline of the correction over the point values, with anchor knots at both ends.
class TKV6CorrectionTable {
 public:
  static constexpr int kMaxKnots = 6;

  // Builds the table from the quantity's stored points (invalid ones are skipped). Without a valid
  // point the table is empty; with knots too close together (or out of order) every coefficient is 0.
  void Build(TCorrectedQuantity q, std::span<const TRawCalibrationPoint> points);
  // The correction at x, limited to -30..30 (temperature) or -20..20 (humidity); 0 with fewer than
  // three knots.
  double Evaluate(double x) const;

  int KnotCount() const { return Count; }
  int ValidPointCount() const { return Count >= 3 ? Count - 2 : 0; }
  bool Fitted() const { return IsFitted; }
  double KnotValue(int i) const { return X[static_cast<std::size_t>(i)]; }
  // Spline coefficients of interval i: a + t(b + t(c + t d)) with t = x - knot i.
  double A(int i) const { return CA[static_cast<std::size_t>(i)]; }
  double B(int i) const { return CB[static_cast<std::size_t>(i)]; }
  double C(int i) const { return CC[static_cast<std::size_t>(i)]; }
  double D(int i) const { return CD[static_cast<std::size_t>(i)]; }

 private:
  int Count = 0;
  bool IsFitted = false;
  double Limit = 30;
  std::array<double, kMaxKnots> X{}, CA{}, CB{}, CC{}, CD{};
};

// The correction state of one logger: both tables and the check word verdict.
class TKV6SensorCorrection {
 public:
  void Prepare(std::span<const TRawCalibrationPoint> temperature, std::span<const TRawCalibrationPoint> humidity,
               std::int16_t checkWord);

  // The value plus the temperature correction when it applies.
  double CorrectTemperature(double celsius) const {
    return TemperatureActive ? celsius + Temperature.Evaluate(celsius) : celsius;
  }
  // The value plus the humidity correction when it applies, then limited to -5..105 in every case.
  double CorrectHumidity(double rh) const {
    const double v = HumidityActive ? rh + Humidity.Evaluate(rh) : rh;
    return v < -5.0 ? -5.0 : (v > 105.0 ? 105.0 : v);
  }

  bool CheckPassed() const { return CheckOK; }
  bool TemperatureCorrectionActive() const { return TemperatureActive; }
  bool HumidityCorrectionActive() const { return HumidityActive; }
  const TKV6CorrectionTable& TemperatureTable() const { return Temperature; }
  const TKV6CorrectionTable& HumidityTable() const { return Humidity; }

  // The valid points of a quantity in stored order, in engineering units.
  static TKV6CalibrationPoints ValidPoints(TCorrectedQuantity q, std::span<const TRawCalibrationPoint> points);

 private:
  TKV6CorrectionTable Temperature, Humidity;
  bool CheckOK = false, TemperatureActive = false, HumidityActive = false;
};

}  // namespace qvs
