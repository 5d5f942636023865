#pragma once
// ASCII reference files: one reading per line, "t:" then the reading, a units letter (C, F or K)
// and the time of day; the date comes from the caller and day changes from the times.

#include <cstddef>
#include <string>
#include <string_view>

#include "core/DateTime.h"
#include "core/QVSContext.h"
#include "core/SampleRecord.h"

namespace qvs {

// The cubic correction A + B x + C x^2 + D x^3 with single-precision coefficients.
struct TReferenceCorrectionCoefficients {
  float A = 0, B = 0, C = 0, D = 0;
};
// The correction of reading x (the sum is formed in extended precision); the corrected reading is
// x + the correction.
double ReferenceCorrection(const TReferenceCorrectionCoefficients& k, double x);

// What the reader takes from the reference panel of its quantity.
struct TASCIIReferenceOptions {
  int TimeOffset = 0;  // whole minutes added to every time
  bool IgnoreMalformedLines = false;
  bool ApplyCorrection = false;
  TReferenceCorrectionCoefficients Correction;
};

// Scans a reading at text[pos] (pos is left after it): an optional sign (blanks may follow it),
// then decimal digits, optionally with a fraction and an exponent ("21.375", "1e2"); or an integer
// in another base: "$" or "0x" with hexadecimal digits, "%" with binary digits, or digits and
// letters ending in H (hexadecimal), B (binary) or Q (octal). Digits followed by any other letter
// ("21C") give the decimal digits, the letter left for the next field. False when the text does
// not begin with a number or the number is out of range.
bool ScanReading(std::string_view text, std::size_t& pos, double& value);

// Reads an ASCII reference file into the series, the first reading on startDate (a whole day).
// True when the file was read to its end without error and the run is not halted; every failure
// goes through ReportProcessingError.
bool ReadDataFromASCIIReferenceFile(TQVSContext& ctx, const std::string& path, TSampleRecord& series,
                                    TDateTime startDate, const TASCIIReferenceOptions& options);

}  // namespace qvs
