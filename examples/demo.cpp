// A short tour of what qmx can do; each section prints its results.
#include <cmath>
#include <cstdio>
#include <string>

#include "qmx/qmx.hpp"

namespace {

void Section(const char* title) { std::printf("\n== %s ==\n", title); }

void PrintArray(const char* label, const qmx::TDoubleArray& a) {
  std::printf("%s:", label);
  for (double x : a) {
    std::printf(" %g", x);
  }
  std::printf("\n");
}

void DemoFoundation() {
  Section("foundation: components, progress hooks, checksums");
  qmx::TComponent owner;
  auto* bits = new qmx::TBitFld(&owner);  // destroyed by its owner
  bits->SetName("Flags");
  bits->SetSize(99);
  for (int i = 0; i <= 99; i += 7) {
    bits->SetBit(i, true);
  }
  std::printf("bit field '%s': %d of %d bits set, first at %d\n", bits->Name().c_str(),
              bits->CountTrueBits(), bits->NumBits(), bits->FirstTrueBit());

  double lastReport = 0.0;
  qmx::MathFeedBackProc = [&](double units) { lastReport = units; };
  qmx::ProcStat = 0.0;
  qmx::TDoubleArray data{9, 4, 7, 1, 8, 2, 6, 3, 5};
  qmx::SortArray(data, /*Ascending=*/true);
  qmx::MathFeedBackProc = nullptr;
  PrintArray("comb-sorted", data);
  std::printf("progress units reported by the sort: %g\n", lastReport);
  std::printf("content checksum: %s\n", qmx::ContentCRC(data).c_str());
  std::printf("strff(pi, 10, 4) = '%s', ln(100!) = %.6f\n", qmx::strff(3.14159265358979L, 10, 4).c_str(),
              static_cast<double>(qmx::uc_LnFactorial[100]));
}

void DemoPrimitives() {
  Section("math1 primitives");
  qmx::TDoubleArray a{5.0, 3.0, 9.0, 1.0, 7.0};
  std::printf("median by QuickSelect: %g\n", qmx::QuickSelect(a, 2, 0, 4));
  qmx::TDoubleArray best{1.0, 3.0, 5.0};
  const int at = qmx::SortIntoArray(best, 4.0, true, false);
  std::printf("SortIntoArray(4) -> index %d, now %g %g %g\n", at, best[0], best[1], best[2]);

  qmx::TKahanSum kahan;
  double naive = 0.0;
  for (int i = 0; i < 1000000; ++i) {
    kahan.Add(0.1);
    naive += 0.1;
  }
  std::printf("10^6 x 0.1: Kahan %.10f, naive %.10f\n", kahan.Sum(), naive);
  const qmx::TDoubleArray coeffs{1.0, -3.0, 2.0};  // 1 - 3x + 2x^2
  std::printf("polynomial 1 - 3x + 2x^2 at x = 2: %g\n", qmx::Polynomial(coeffs, 2, 2.0));
  try {
    qmx::Polynomial(coeffs, 5, 1.0);
  } catch (const qmx::EQMXMath1Error& e) {
    std::printf("error as expected: %s\n", e.what());
  }
  qmx::SetRandSeed(42);
  std::printf("Gaussian deviates: %.4f %.4f %.4f\n", qmx::GRandom(), qmx::GRandom(), qmx::GRandom());
}

void DemoScalar() {
  Section("math1 scalar helpers");
  double start = 0.0, step = 0.0;
  std::int32_t minor = 0;
  qmx::CalcScalePars(5, 0.37, 9.81, start, step, minor);
  std::printf("axis for 0.37 .. 9.81 with 5 ticks: start %g, step %g\n", start, step);
  std::printf("Round125(0.0371) = %g, RoundPos125(7.2) = %g\n", qmx::Round125(0.0371), qmx::RoundPos125(7.2));
  qmx::TIntArray factors;
  qmx::FindPrimeFactors(360360, factors);
  std::printf("prime factors of 360360:");
  for (int f : factors) {
    std::printf(" %d", f);
  }
  std::printf("\n");
  qmx::TPointDouble nearest;
  const double d = qmx::DistFromEllipse({4.0, 3.0}, 2.0, 1.0, 0.0, 0.0, nearest);
  std::printf("distance of (4, 3) from the ellipse 2 x 1: %.6f at (%.4f, %.4f)\n", d, nearest.x, nearest.y);
}

void DemoFormatting() {
  Section("number formatting and conversion");
  std::printf("Hex(255, 4) = %s, Bin(10, 8) = %s, Roman(1994) = %s\n", qmx::Hex(255, 4).c_str(),
              qmx::Bin(10, 8).c_str(), qmx::Roman(1994).c_str());
  std::printf("EEngStr(0.0047, 2) = %s, EEngStr(-4700, -2) = %s, MakeEFormat(-1234.5, 12, 4) = '%s'\n",
              qmx::EEngStr(0.0047, 2).c_str(), qmx::EEngStr(-4700, -2).c_str(),
              qmx::MakeEFormat(-1234.5, 12, 4).c_str());
  const std::string bits = qmx::FPNumToHex(M_PI);
  std::printf("pi as IEEE bits: %s -> back: %.17g\n", bits.c_str(), qmx::HexToDouble(bits));
  std::printf("48.8566 degrees as D M S: %s\n",
              qmx::DegreeToStr(48.8566, qmx::TDegreeFormat::dfDegMinSec, 1).c_str());
  std::size_t pos = 0;
  const double eng = qmx::ScanFPNum("4k7 ohm", /*AllowEngPrefix=*/true, pos);
  std::printf("ScanFPNum(\"4k7 ohm\") = %g, stopped at %zu; IsValidHex(\"1G\") = %d\n", eng, pos,
              qmx::IsValidHex("1G"));
}

void DemoComplex() {
  Section("complex numbers");
  const qmx::TComplex a = qmx::Cpx(3, 4);
  const qmx::TComplex b = qmx::Cpx(1, -2);
  const qmx::TComplex q = qmx::CpxDiv(a, b);
  const qmx::TComplexPolar p = qmx::ConvertRectToPolar(a);
  std::printf("(3+4i)/(1-2i) = %g%+gi; |3+4i| = %g, arg = %.6f rad\n", static_cast<double>(q.re),
              static_cast<double>(q.im), static_cast<double>(p.r), static_cast<double>(p.phi));
  try {
    qmx::CpxDiv(a, qmx::COMPLEX_0);
  } catch (const qmx::EQMXComplexError& e) {
    std::printf("error as expected: %s\n", e.what());
  }
}

void DemoVectors() {
  Section("vectors");
  qmx::TVector v;
  v.SetName("Samples");
  int changes = 0, resizes = 0;
  v.OnChange = [&](qmx::TObject*) { ++changes; };
  v.OnResize = [&](qmx::TObject*) { ++resizes; };
  v.Resize(11);
  std::printf("Resize(11): %d change and %d resize event\n", changes, resizes);
  for (int i = 1; i <= 11; ++i) {
    const double x = i - 1;
    v.SetVal(i, x * x * x);  // samples of x^3 at x = 0..10
  }
  std::printf("integral of x^3 over 0..10 (exact 2500): simple %g, trapezoidal %g, Simpson %g\n",
              v.Integrate(1, 11, qmx::TIntegMethod::imSimple), v.Integrate(1, 11, qmx::TIntegMethod::imTrapezoidal),
              v.Integrate(1, 11, qmx::TIntegMethod::imSimpson));
  double q1 = 0, q2 = 0, q3 = 0, mean = 0, var = 0;
  v.Quartiles(0, 0, q1, q2, q3);
  v.MeanVar(0, 0, mean, var);
  std::printf("quartiles %g %g %g, mean %g, variance %g, 90th percentile %g\n", q1, q2, q3, mean, var,
              v.Percentile(90, 0, 0));

  const std::string file = "qmx_demo_vector.asc";
  const std::string before = v.CRCofData();
  v.ExportAsASC(file, 6, "cubes");
  qmx::TVector w;
  std::string comment;
  const int rc = w.ImportASC(file, comment);
  std::remove(file.c_str());
  std::printf("ASC round trip: code %d, comment '%s', checksum %s\n", rc, comment.c_str(),
              w.CRCofData() == before ? "unchanged" : "CHANGED");

  qmx::TIntVector histo;
  std::int32_t under = 0, over = 0, maxCnt = 0;
  v.Histogram(1, v.NrOfElem(), 0.0, 800.0, 200.0, &histo, under, over, maxCnt);
  std::printf("histogram of the cubes in bins of 200:");
  for (int i = 1; i <= histo.NrOfElem(); ++i) {
    std::printf(" %d", histo.GetVal(i));
  }
  std::printf(" (overflow %d)\n", over);
}

void DemoSignals() {
  Section("Fourier and wavelet transforms");
  // A 50 Hz sine sampled at 1 kHz, 1024 samples, Hamming window.
  qmx::TFastFourier fft;
  fft.SetNumData(1024);
  fft.SetWgtWin(qmx::TFastFourierWgtWin::fwHamming);
  const double dt = 0.001;
  for (int i = 0; i < 1024; ++i) {
    fft.SetRealVal(i, std::sin(2.0 * M_PI * 50.0 * i * dt));
    fft.SetImagVal(i, 0.0);
  }
  fft.Transform();
  int peak = 1;
  for (int k = 1; k < 512; ++k) {
    if (fft.GetPowerSpec(k) > fft.GetPowerSpec(peak)) {
      peak = k;
    }
  }
  std::printf("spectral peak at line %d = %.2f Hz (line of 50 Hz: %d)\n", peak, fft.FreqOfLine(peak, dt),
              fft.LineOfFreq(50.0, dt));

  qmx::TWavelet1D wl;
  wl.SetOrder(2);  // 4 filter coefficients
  wl.SetNumData(64);
  for (int i = 0; i < 64; ++i) {
    wl.SetDataVal(i, std::cos(0.3 * i) + 0.01 * i);
  }
  const double before = wl.GetDataVal(17);
  wl.Transform(6);
  wl.InverseTransform(6);
  std::printf("Daubechies order-2 round trip over 64 values: x[17] %.12f -> %.12f\n", before, wl.GetDataVal(17));
}

void DemoLines() {
  Section("straight lines");
  qmx::TSLine a;
  qmx::TSLine b;
  a.LineFromSlopeIcpt(2.0, 0.0);    // y = 2x
  b.LineFromSlopeIcpt(-1.0, 6.0);   // y = 6 - x
  double x = 0.0, y = 0.0;
  if (a.InterSection(&b, x, y)) {
    std::printf("y = 2x meets y = 6 - x at (%g, %g); angle %.4f rad\n", x, y, a.AngleBetweenLines(&b));
  }
  double x1, y1, x2, y2;
  a.ClipBox(0, 0, 10, 10, x1, y1, x2, y2);
  std::printf("y = 2x clipped to the box 0..10: (%g, %g) - (%g, %g); distance of (5, 0): %.4f\n", x1, y1, x2,
              y2, a.Distance(5, 0));
}

void DemoMatrices() {
  Section("matrices");
  qmx::TMatrix m;
  m.SetName("Data");
  m.Resize(4, 1000);  // 4 variables (columns), 1000 objects (rows)
  qmx::SetRandSeed(7);
  m.FillRandomGauss(10.0, 2.0);
  double mean = 0.0, var = 0.0;
  m.MeanVar(1, 1, 4, 1000, mean, var);
  std::printf("4 x 1000 Gaussian(10, 2): mean %.3f, variance %.3f, median of column 1 %.3f\n", mean, var,
              m.Percentile(50.0, 1, 1, 1, 1000));
  int exchanges = 0;
  m.OnSortExchange = [&](qmx::TObject*, std::uint8_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
    ++exchanges;
  };
  m.SortRows(1, true, 1, 1, 4, 1000);
  std::printf("rows sorted by column 1 with %d row exchanges; first %.3f, last %.3f\n", exchanges, m.Elem(1, 1),
              m.Elem(1, 1000));
  qmx::TVector means, sds;
  m.StandardizeColumns(&means, &sds);
  std::printf("column means before standardising: %.3f %.3f %.3f %.3f\n", means.GetVal(1), means.GetVal(2),
              means.GetVal(3), means.GetVal(4));

  const std::string file = "qmx_demo_matrix.bin";
  const std::string crc = m.CRCofData();
  m.SaveBinary(file, "standardised data");
  qmx::TMatrix back;
  const bool ok = back.LoadBinary(file);
  std::remove(file.c_str());
  qmx::TMatrix a, inv, prod;
  a.Resize(3, 3);
  const double cells[3][3] = {{4, 1, 2}, {1, 3, 0}, {2, 0, 5}};
  for (int c = 1; c <= 3; ++c) {
    for (int r = 1; r <= 3; ++r) {
      a.SetVal(c, r, cells[c - 1][r - 1]);
    }
  }
  inv.Assign(&a);
  inv.Invert();
  a.Multiply(&inv, &prod);
  std::printf("det %.4f, spectral norm %.4f, A x inverse(A) diagonal %.3f %.3f %.3f, corner %.1e\n",
              a.Determinant(), a.Norm(qmx::TNormType::ntSpectral), prod.Elem(1, 1), prod.Elem(2, 2), prod.Elem(3, 3),
              prod.Elem(3, 1));
  std::printf("binary round trip: %s, %d x %d, checksum %s\n", ok ? "ok" : "FAILED", back.NrOfColumns(),
              back.NrOfRows(), back.CRCofData() == crc ? "unchanged" : "CHANGED");
}

}  // namespace

int main() {
  std::printf("qmx demo\n");
  DemoFoundation();
  DemoPrimitives();
  DemoScalar();
  DemoFormatting();
  DemoComplex();
  DemoVectors();
  DemoMatrices();
  DemoSignals();
  DemoLines();
  return 0;
}
