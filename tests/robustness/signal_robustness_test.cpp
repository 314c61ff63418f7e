// Robustness of the signal and line units: every numeric operation of
// TFastFourier, TWavelet1D and TSLine is called with NaN, the infinities, both
// zeros, the largest, smallest and denormal doubles, as whole signals, mixed
// among ordinary values and as scalar arguments, at the smallest sizes and a
// moderate one.  Each call must return (the watchdog ends a hang), raise only
// its documented error, and keep its contract where the contract is clear.
// Cheap calls are grouped under one watchdog scope; expected errors are caught
// inside the group by their class, anything else escapes to `Survives`.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "qmx/fourier/fourier.hpp"
#include "qmx/sline/sline.hpp"
#include "qmx/wavelet/wavelet.hpp"
#include "robustness/robustness_util.hpp"

namespace qmx {
namespace {

using test::NamedArray;
using test::SpecialArrays;
using test::SpecialDoubles;
using test::Survives;
using L = std::numeric_limits<double>;

constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr double kPi = std::numbers::pi;
constexpr double kMark = 12345.25;  // output value that a failing call must leave alone

/// Contract violations of one test: the first few are reported in full, then
/// only their number, so that a systematic fault does not flood the log.
class Findings {
 public:
  template <class F>
  void Check(bool ok, F&& what) {
    if (!ok && ++count_ <= kShown) ADD_FAILURE() << what();
  }
  ~Findings() {
    if (count_ > kShown) ADD_FAILURE() << count_ << " contract violations in all";
  }

 private:
  static constexpr int kShown = 25;
  int count_ = 0;
};

/// Equal bit for bit, or both NaN.
bool Same(double a, double b) {
  return (std::isnan(a) && std::isnan(b)) || std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

/// Every value finite and at most `limit` in magnitude.
bool Tame(const std::vector<double>& v, double limit = 1e100) {
  return std::all_of(v.begin(), v.end(), [limit](double x) { return std::fabs(x) <= limit; });
}

std::vector<double> Specials() {
  std::vector<double> v;
  for (const auto& s : SpecialDoubles()) v.push_back(s.value);
  return v;
}

std::string Num(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

/// Calls `f` and reports whether it raised `E`; other exceptions pass through.
template <class E, class F>
bool Raises(F&& f) {
  try {
    f();
  } catch (const E&) {
    return true;
  }
  return false;
}

/// Indexes around the valid range 1..n, 0..n/2 and at the ends of the type.
std::vector<std::int32_t> IndexArgs(std::int32_t n) { return {kIntMin, -1, 0, 1, n / 2, n / 2 + 1, n, n + 1, kIntMax}; }

void Report(const char* what, std::size_t calls) { std::printf("[ signal robustness ] %s: %zu calls\n", what, calls); }

// ---------------------------------------------------------------------------
// TFastFourier
// ---------------------------------------------------------------------------

void LoadBlock(TFastFourier& f, const std::vector<double>& re, const std::vector<double>& im) {
  f.SetWgtWin(TFastFourierWgtWin::fwRectangle);
  for (std::int32_t i = 1; i <= f.SpectrumSize(); ++i) {
    f.SetRealVal(i, re[static_cast<std::size_t>(i - 1)]);
    f.SetImagVal(i, im[static_cast<std::size_t>(i - 1)]);
  }
}

/// The block interleaved (real, imaginary).
std::vector<double> Block(const TFastFourier& f) {
  std::vector<double> b;
  b.reserve(2 * static_cast<std::size_t>(f.SpectrumSize()));
  for (std::int32_t i = 1; i <= f.SpectrumSize(); ++i) {
    b.push_back(f.GetRealVal(i));
    b.push_back(f.GetImagVal(i));
  }
  return b;
}

bool SameBlocks(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), Same);
}

/// Calls every read-out at indexes in and around its range and checks the
/// documented ranges; returns the number of calls.
std::size_t CheckReadOuts(const TFastFourier& f, Findings& findings, const std::string& where) {
  const std::int32_t n = f.SpectrumSize();
  const std::int32_t top = n / 2;
  const std::vector<double> block = Block(f);
  std::size_t calls = 2 * static_cast<std::size_t>(n);
  const bool tame = Tame(block, 1e100);
  const bool hasNaN = std::any_of(block.begin(), block.end(), [](double v) { return std::isnan(v); });
  const auto nonNegative = [](double v) { return v >= 0.0 || std::isnan(v); };
  double maxPower = 0.0, maxMagni = 0.0, sumPower = 0.0;
  for (std::int32_t k : IndexArgs(n)) {
    const double p = f.GetPowerSpec(k), m = f.GetMagnitude(k), ph = f.GetPhase(k);
    const double s = f.GetFSerSin(k), c = f.GetFSerCos(k);
    calls += 5;
    const auto at = [&] { return where + " k=" + std::to_string(k); };
    if (k < 0 || k > top) {
      findings.Check(Same(p, 0.0) && Same(m, 0.0) && Same(c, 0.0),
                     [&] { return at() + ": read-out outside 0..n/2 not 0"; });
    }
    if (k < 1 || k > top) {
      findings.Check(Same(ph, 0.0) && Same(s, 0.0), [&] { return at() + ": phase/sine outside 1..n/2 not 0"; });
    }
    findings.Check(nonNegative(p) && nonNegative(m), [&] { return at() + ": negative power or magnitude"; });
    findings.Check(std::isnan(ph) || (ph >= -kPi / 2 && ph <= kPi / 2), [&] { return at() + ": phase " + Num(ph); });
    if (tame) {
      findings.Check(std::isfinite(p) && std::isfinite(m) && std::isfinite(ph) && std::isfinite(s) && std::isfinite(c),
                     [&] { return at() + ": read-out of a finite block not finite"; });
    }
  }
  for (std::int32_t k = 0; k <= top; ++k) {
    const double p = f.GetPowerSpec(k);
    sumPower += p;
    if (k >= 1 && k < top) {
      maxPower = std::max(maxPower, p);
      maxMagni = std::max(maxMagni, f.GetMagnitude(k));
      ++calls;
    }
    ++calls;
  }
  const std::vector<std::int32_t> bounds = {kIntMin, -1, 0, 1, top, top + 1, kIntMax};
  for (std::int32_t lo : bounds) {
    for (std::int32_t hi : bounds) {
      const double r = f.RMS(lo, hi);
      calls += 2;
      findings.Check(nonNegative(r) && Same(r, f.RMS(hi, lo)),
                     [&] { return where + " RMS(" + std::to_string(lo) + "," + std::to_string(hi) + ") = " + Num(r); });
      if (tame) findings.Check(std::isfinite(r), [&] { return where + ": RMS of a finite block not finite"; });
    }
  }
  if (tame) {
    // RMS over every line against the power spectrum: S = n·Σ P(k).
    const double expect = std::sqrt(n * sumPower) / n;
    const double rms = f.RMS(0, top);
    ++calls;
    findings.Check(std::fabs(rms - expect) <= 1e-12 * expect + 1e-300,
                   [&] { return where + ": RMS " + Num(rms) + " vs power spectrum " + Num(expect); });
  }
  f.CalcMaxValues();
  const double mxR = f.GetMaxReal(), mnR = f.GetMinReal(), mxI = f.GetMaxImag(), mnI = f.GetMinImag();
  const double mxP = f.GetMaxPower(), mxM = f.GetMaxMagni();
  calls += 7;
  findings.Check(mxP >= 0.0 && mxM >= 0.0, [&] { return where + ": negative or NaN maximum power/magnitude"; });
  if (!hasNaN) {
    double r0 = L::infinity(), r1 = -L::infinity(), i0 = L::infinity(), i1 = -L::infinity();
    for (std::size_t k = 0; k < block.size(); k += 2) {
      r0 = std::min(r0, block[k]);
      r1 = std::max(r1, block[k]);
      i0 = std::min(i0, block[k + 1]);
      i1 = std::max(i1, block[k + 1]);
    }
    // The maxima start at −max, the minima at +max.
    const auto hiOf = [](double v) { return std::max(v, -L::max()); };
    const auto loOf = [](double v) { return std::min(v, L::max()); };
    findings.Check(mxR == hiOf(r1) && mnR == loOf(r0) && mxI == hiOf(i1) && mnI == loOf(i0),
                   [&] { return where + ": extremes of the real/imaginary parts"; });
  }
  if (tame) {
    findings.Check(mxP == maxPower && mxM == maxMagni, [&] { return where + ": maximum power/magnitude"; });
  }
  return calls;
}

/// One operation on a loaded block.  `like` names the operation whose result
/// this one must reproduce bit for bit ("" for none).
struct FourierOp {
  std::string name;
  bool forward;  // a forward transform: finite for a finite block of moderate values
  std::string like;
  std::function<void(TFastFourier&, const std::vector<double>& weights)> run;
};

std::vector<FourierOp> FourierOps() {
  std::vector<FourierOp> ops;
  const auto window = [&ops](std::string name, TFastFourierWgtWin w, double alpha, std::string like = "") {
    ops.push_back({std::move(name), true, std::move(like), [w, alpha](TFastFourier& f, const std::vector<double>& wgt) {
                     f.SetWgtWin(w);
                     f.SetTukAlpha(alpha);
                     for (std::int32_t i = 1; i <= f.SpectrumSize(); ++i)
                       f.SetWgtVal(i, wgt[static_cast<std::size_t>(i - 1)]);
                     f.Transform();
                   }});
  };
  using W = TFastFourierWgtWin;
  window("Transform rectangle", W::fwRectangle, 0.5);
  window("Transform triangle", W::fwTriangle, 0.5);
  window("Transform cos2", W::fwCos2, 0.5);
  window("Transform gauss", W::fwGauss, 0.5);
  window("Transform hamming", W::fwHamming, 0.5);
  window("Transform blackman", W::fwBlackman, 0.5);
  window("Transform harris", W::fwBlkmHarris, 0.5);
  window("Transform nuttall", W::fwBlkmNuttall, 0.5);
  window("Transform tukey 0", W::fwTukey, 0.0, "Transform rectangle");
  window("Transform tukey NaN", W::fwTukey, L::quiet_NaN(), "Transform rectangle");
  window("Transform tukey denorm", W::fwTukey, L::denorm_min(), "Transform rectangle");
  window("Transform tukey 0.3", W::fwTukey, 0.3);
  window("Transform tukey 1", W::fwTukey, 1.0);
  window("Transform tukey +inf", W::fwTukey, L::infinity(), "Transform tukey 1");
  window("Transform user", W::fwUserDef, 0.5);
  window("Transform window 10", static_cast<W>(10), 0.5, "Transform rectangle");
  window("Transform window 255", static_cast<W>(255), 0.5, "Transform rectangle");
  ops.push_back(
      {"InverseTransform", false, "", [](TFastFourier& f, const std::vector<double>&) { f.InverseTransform(); }});
  ops.push_back(
      {"DoFFT(1)", true, "Transform rectangle", [](TFastFourier& f, const std::vector<double>&) { f.DoFFT(1); }});
  for (std::int32_t sign : {0, 2, -3, kIntMin, kIntMax}) {
    ops.push_back({"DoFFT(" + std::to_string(sign) + ")", false, "",
                   [sign](TFastFourier& f, const std::vector<double>&) { f.DoFFT(sign); }});
  }
  ops.push_back({"Clear", false, "", [](TFastFourier& f, const std::vector<double>&) { f.Clear(); }});
  ops.push_back({"ClearReal", false, "", [](TFastFourier& f, const std::vector<double>&) { f.ClearReal(); }});
  ops.push_back({"ClearImag", false, "", [](TFastFourier& f, const std::vector<double>&) { f.ClearImag(); }});
  return ops;
}

/// Runs every operation on every special signal of size n (as real parts, and
/// as a complex block) and checks sizes, finiteness, the operations that must
/// agree, the round trip, the cleared parts and the read-outs afterwards.
std::size_t FourierBlocks(std::int32_t n, bool large, Findings& findings) {
  std::vector<FourierOp> ops = FourierOps();
  if (large) {
    // Large blocks: the transforms only, one window of each kind.
    const std::vector<std::string> kept = {"Transform rectangle",
                                           "Transform hamming",
                                           "Transform tukey 0.3",
                                           "Transform user",
                                           "InverseTransform",
                                           "DoFFT(1)",
                                           "DoFFT(2)"};
    std::erase_if(ops, [&](const FourierOp& op) { return std::find(kept.begin(), kept.end(), op.name) == kept.end(); });
  }
  std::size_t calls = 0;
  TFastFourier f;
  f.SetNumData(n);
  for (const NamedArray& arr : SpecialArrays(static_cast<std::size_t>(n))) {
    const std::vector<double> rev(arr.values.rbegin(), arr.values.rend());
    for (bool complexBlock : {false, true}) {
      const std::vector<double> im = complexBlock ? rev : std::vector<double>(arr.values.size(), 0.0);
      const std::string where = "n=" + std::to_string(n) + " " + arr.name + (complexBlock ? " (complex)" : " (real)");
      const bool tame = Tame(arr.values);
      std::vector<std::pair<std::string, std::vector<double>>> results;
      for (const FourierOp& op : ops) {
        LoadBlock(f, arr.values, im);
        const std::vector<double> before = Block(f);
        const std::string what = where + " " + op.name;
        if (!Survives(what, [&] { op.run(f, arr.values); })) continue;
        ++calls;
        const std::vector<double> after = Block(f);
        findings.Check(f.SpectrumSize() == n, [&] { return what + ": size changed"; });
        if (op.forward && tame) {
          findings.Check(Tame(after, L::max()), [&] { return what + ": finite block gave a non-finite spectrum"; });
        }
        if (!op.like.empty()) {
          const auto ref =
              std::find_if(results.begin(), results.end(), [&](const auto& r) { return r.first == op.like; });
          if (ref != results.end()) {
            findings.Check(SameBlocks(after, ref->second), [&] { return what + ": differs from " + op.like; });
          }
        }
        if (op.name.rfind("Clear", 0) == 0) {
          bool ok = true;
          for (std::size_t k = 0; k < after.size(); ++k) {
            const bool cleared = op.name == "Clear" || (op.name == "ClearReal") == (k % 2 == 0);
            ok = ok && Same(after[k], cleared ? 0.0 : before[k]);
          }
          findings.Check(ok, [&] { return what + ": wrong parts cleared"; });
        }
        if (op.name == "Transform rectangle" && tame) {
          // The inverse restores what was transformed.
          Survives(what + " then InverseTransform", [&] { f.InverseTransform(); });
          ++calls;
          const std::vector<double> back = Block(f);
          double scale = 0.0;
          for (double v : before) scale = std::max(scale, std::fabs(v));
          bool ok = true;
          for (std::size_t k = 0; k < back.size(); ++k)
            ok = ok && std::fabs(back[k] - before[k]) <= 1e-12 * scale + 1e-300;
          findings.Check(ok, [&] { return what + ": round trip does not restore the block"; });
          LoadBlock(f, arr.values, im);
          f.Transform();
        }
        results.emplace_back(op.name, after);
        // The read-outs on the loaded block and on a few kinds of results.
        static const std::vector<std::string> readOutOps = {"Transform rectangle", "Transform user", "InverseTransform",
                                                            "DoFFT(-3)", "ClearReal"};
        if (!large && std::find(readOutOps.begin(), readOutOps.end(), op.name) != readOutOps.end()) {
          Survives(what + " read-outs", [&] { calls += CheckReadOuts(f, findings, what); });
          if (op.name == "ClearReal") {
            LoadBlock(f, arr.values, im);
            Survives(where + " read-outs", [&] { calls += CheckReadOuts(f, findings, where); });
          }
        }
      }
    }
  }
  return calls;
}

TEST(SignalRobustness, FourierBlocksOfSpecialValues) {
  Findings findings;
  std::size_t calls = 0;
  for (std::int32_t n : {1, 2, 4, 8, 64}) calls += FourierBlocks(n, false, findings);
  // Larger sizes take the tiled reordering and the cache-blocked stages.
  calls += FourierBlocks(16384, true, findings);
  Report("TFastFourier blocks", calls);
}

TEST(SignalRobustness, FourierScalarArguments) {
  Findings findings;
  std::size_t calls = 0;
  const std::vector<double> values = Specials();
  for (std::int32_t n : {1, 2, 64}) {
    TFastFourier f;
    f.SetNumData(n);
    const std::string where = "n=" + std::to_string(n);
    Survives(where + " FreqOfLine/LineOfFreq", [&] {
      for (std::int32_t line : IndexArgs(n)) {
        for (double dt : values) {
          const double fr = f.FreqOfLine(line, dt);
          ++calls;
          if (line < 1 || line > n / 2) {
            findings.Check(Same(fr, 0.0), [&] { return where + " FreqOfLine(" + std::to_string(line) + ") not 0"; });
          }
        }
      }
      std::vector<double> args = values;
      for (double v : {0.5, 1.0 / n, 0.25 * n, 1e10, -1e10, 2147483648.0, 1e19}) args.push_back(v);
      for (double fr : args) {
        for (double dt : args) {
          const std::int32_t line = f.LineOfFreq(fr, dt);
          ++calls;
          findings.Check(line >= 0 && line <= n / 2, [&] {
            return where + " LineOfFreq(" + Num(fr) + ", " + Num(dt) + ") = " + std::to_string(line);
          });
        }
      }
    });
    // Tukey's alpha is clamped to 0..1 (NaN counts as 0); every alpha gives a finite window.
    std::vector<double> ordinary = SpecialArrays(static_cast<std::size_t>(n)).back().values;
    for (double a : values) {
      Survives(where + " SetTukAlpha(" + Num(a) + ")", [&] {
        f.SetTukAlpha(a);
        const double got = f.TukeyAlpha();
        const double expect = std::isnan(a) ? 0.0 : std::clamp(a, 0.0, 1.0);
        findings.Check(got >= 0.0 && got <= 1.0 && got == expect, [&] { return where + " TukeyAlpha " + Num(got); });
        f.SetWgtWin(TFastFourierWgtWin::fwTukey);
        for (std::int32_t i = 1; i <= n; ++i) f.SetRealVal(i, ordinary[static_cast<std::size_t>(i - 1)]);
        f.Transform();
        calls += 3;
        findings.Check(Tame(Block(f), L::max()),
                       [&] { return where + " Tukey window with alpha " + Num(a) + " not finite"; });
      });
    }
    // Values and weights: stored as given inside 1..n, ignored outside.
    Survives(where + " Set/Get values and weights", [&] {
      f.Clear();
      f.SetRealVal(1, 7.5);
      for (std::int32_t i : IndexArgs(n)) {
        const bool inside = i >= 1 && i <= n;
        for (double v : values) {
          f.SetWgtVal(i, v);
          f.SetRealVal(i, v);
          f.SetImagVal(i, -v);
          const double w = f.GetWgtVal(i), r = f.GetRealVal(i), m = f.GetImagVal(i);
          calls += 6;
          findings.Check(
              inside ? Same(w, v) && Same(r, v) && Same(m, -v) : Same(w, 0.0) && Same(r, 0.0) && Same(m, 0.0),
              [&] { return where + " value/weight " + std::to_string(i) + " = " + Num(v); });
        }
        if (inside) f.SetRealVal(i, i == 1 ? 7.5 : 0.0);
      }
      findings.Check(f.GetRealVal(1) == 7.5, [&] { return where + ": a write outside 1..n changed line 1"; });
    });
    // Sizes that are no power of two up to 2^23 raise and change nothing.
    for (std::int32_t bad : {0, -1, 3, 6, 100, 3 << 20, 1 << 24, 1 << 30, -(1 << 30), kIntMin, kIntMax}) {
      Survives(where + " SetNumData(" + std::to_string(bad) + ")", [&] {
        f.SetRealVal(1, 7.5);
        bool raised = false;
        try {
          f.SetNumData(bad);
        } catch (const EQMXFourierError& e) {
          raised = std::string(e.what()).ends_with("data length must be power of 2");
        }
        ++calls;
        findings.Check(raised && f.SpectrumSize() == n && f.GetRealVal(1) == 7.5,
                       [&] { return where + " SetNumData(" + std::to_string(bad) + ") not refused cleanly"; });
      });
    }
    for (int w : {10, 128, 255}) {
      f.SetWgtWin(static_cast<TFastFourierWgtWin>(w));
      ++calls;
      findings.Check(f.WeightingWindow() == static_cast<TFastFourierWgtWin>(w),
                     [&] { return where + ": window not stored"; });
    }
  }
  Report("TFastFourier scalars", calls);
}

// ---------------------------------------------------------------------------
// TWavelet1D
// ---------------------------------------------------------------------------

void LoadSignal(TWavelet1D& w, const std::vector<double>& x) {
  for (std::int32_t i = 1; i <= w.Size(); ++i) w.SetDataVal(i, x[static_cast<std::size_t>(i - 1)]);
}

std::vector<double> Signal(const TWavelet1D& w) {
  std::vector<double> x;
  for (std::int32_t i = 1; i <= w.Size(); ++i) x.push_back(w.GetDataVal(i));
  return x;
}

double Energy(const std::vector<double>& x) {
  Extended s = 0.0L;
  for (double v : x) s += static_cast<Extended>(v) * v;
  return static_cast<double>(s);
}

const char* ModeName(TWLSigExtMode m) {
  switch (m) {
    case TWLSigExtMode::wseWrap:
      return "wrap";
    case TWLSigExtMode::wseZeroPad:
      return "zero";
    case TWLSigExtMode::wseSymmetric:
      return "symmetric";
    default:
      return "mode 3";
  }
}

TEST(SignalRobustness, WaveletSignalsOfSpecialValues) {
  Findings findings;
  std::size_t calls = 0;
  const std::vector<std::int32_t> levels = {kIntMin, -1, 0, 1, 2, 3, 31, kIntMax};
  const std::vector<TWLSigExtMode> modes = {TWLSigExtMode::wseWrap, TWLSigExtMode::wseZeroPad,
                                            TWLSigExtMode::wseSymmetric, static_cast<TWLSigExtMode>(3)};
  for (std::int32_t n : {1, 2, 4, 8, 64}) {
    TWavelet1D w;
    w.SetNumData(n);
    const std::vector<NamedArray> arrays = SpecialArrays(static_cast<std::size_t>(n));
    for (std::int32_t order = 1; order <= 3; ++order) {
      w.SetOrder(order);
      for (TWLSigExtMode mode : modes) {
        w.SetSigExtMode(mode);
        for (const NamedArray& arr : arrays) {
          const std::string where =
              "n=" + std::to_string(n) + " order " + std::to_string(order) + " " + ModeName(mode) + " " + arr.name;
          const bool tame = Tame(arr.values);
          // Multi-level transforms and single steps.
          for (bool inverse : {false, true}) {
            for (std::int32_t lv : levels) {
              LoadSignal(w, arr.values);
              const std::string what =
                  where + (inverse ? " InverseTransform(" : " Transform(") + std::to_string(lv) + ")";
              Survives(what, [&] { inverse ? w.InverseTransform(lv) : w.Transform(lv); });
              ++calls;
              const std::vector<double> out = Signal(w);
              findings.Check(w.Size() == n, [&] { return what + ": size changed"; });
              if (tame)
                findings.Check(Tame(out, L::max()), [&] { return what + ": finite signal gave a non-finite result"; });
              if (lv == 2 || lv == kIntMin) {
                LoadSignal(w, arr.values);
                Survives(what + " as DoWLT", [&] { w.DoWLT(lv, inverse); });
                ++calls;
                findings.Check(std::equal(out.begin(), out.end(), Signal(w).begin(), Same),
                               [&] { return what + ": DoWLT differs"; });
              }
              if (!inverse && tame && mode == TWLSigExtMode::wseWrap) {
                // Orthogonal with wrap-around: energy is kept, and the inverse restores the signal.
                const double e0 = Energy(arr.values), e1 = Energy(out);
                findings.Check(std::fabs(e1 - e0) <= 1e-12 * e0 + 1e-300,
                               [&] { return what + ": energy " + Num(e0) + " became " + Num(e1); });
                Survives(what + " round trip", [&] { w.InverseTransform(lv); });
                ++calls;
                const std::vector<double> back = Signal(w);
                double scale = 0.0;
                for (double v : arr.values) scale = std::max(scale, std::fabs(v));
                bool ok = true;
                for (std::size_t k = 0; k < back.size(); ++k) {
                  ok = ok && std::fabs(back[k] - arr.values[k]) <= 1e-12 * scale + 1e-300;
                }
                findings.Check(ok, [&] { return what + ": round trip does not restore the signal"; });
              }
            }
            LoadSignal(w, arr.values);
            Survives(where + " SingleStep", [&] { w.SingleStep(inverse); });
            ++calls;
            if (tame) findings.Check(Tame(Signal(w), L::max()), [&] { return where + " SingleStep: not finite"; });
          }
          // Segment steps: the control flow does not depend on the values, so a few signals suffice.
          if (arr.name != "ordinary" && arr.name != "NaN and infinities" && arr.name != "one NaN" &&
              arr.name != "alternating huge") {
            continue;
          }
          for (std::int32_t num : {kIntMin, -1, 0, 1, 2, 3, 4, 6, n / 2, n, 2 * n, 1 << 24, 1 << 30}) {
            for (std::int32_t first : {kIntMin, -1, 0, 1, n / 2, n - 1, n, kIntMax}) {
              for (bool inverse : {false, true}) {
                LoadSignal(w, arr.values);
                const std::string what = where + " PartialWLT(" + std::to_string(num) + ", " + std::to_string(first) +
                                         (inverse ? ", inverse)" : ")");
                const bool invalid = num >= 2 && !std::has_single_bit(static_cast<std::uint32_t>(num));
                const bool inside = num >= 2 && !invalid && first >= 0 && std::int64_t{first} + num <= n;
                bool raised = false;
                Survives(what, [&] { raised = Raises<EQMXWaveletError>([&] { w.PartialWLT(num, first, inverse); }); });
                ++calls;
                findings.Check(raised == invalid, [&] { return what + (raised ? ": raised" : ": did not raise"); });
                const std::vector<double> out = Signal(w);
                bool kept = true;
                for (std::int32_t i = 0; i < n; ++i) {
                  const bool inSegment = inside && i >= first && i < first + num;
                  if (!inSegment)
                    kept = kept && Same(out[static_cast<std::size_t>(i)], arr.values[static_cast<std::size_t>(i)]);
                }
                findings.Check(kept && w.Size() == n, [&] { return what + ": changed data outside the segment"; });
              }
            }
          }
        }
      }
    }
  }
  Report("TWavelet1D signals", calls);
}

TEST(SignalRobustness, WaveletScalarArguments) {
  Findings findings;
  std::size_t calls = 0;
  const std::vector<double> values = Specials();
  for (std::int32_t n : {1, 2, 64}) {
    TWavelet1D w;
    w.SetNumData(n);
    const std::string where = "n=" + std::to_string(n);
    Survives(where + " Set/GetDataVal", [&] {
      for (std::int32_t i : IndexArgs(n)) {
        const bool inside = i >= 1 && i <= n;
        for (double v : values) {
          w.SetDataVal(i, v);
          const double got = w.GetDataVal(i);
          calls += 2;
          findings.Check(inside ? Same(got, v) : Same(got, 0.0),
                         [&] { return where + " data " + std::to_string(i) + " = " + Num(v) + " read " + Num(got); });
        }
      }
      w.Clear();
      ++calls;
      findings.Check(Tame(Signal(w), 0.0), [&] { return where + ": Clear left values"; });
    });
    for (std::int32_t order : {kIntMin, -1, 0, 4, kIntMax}) {
      Survives(where + " SetOrder(" + std::to_string(order) + ")", [&] {
        const std::vector<Extended> h = w.LowPass();
        const std::int32_t before = w.Order();
        const bool raised = Raises<EQMXWaveletError>([&] { w.SetOrder(order); });
        ++calls;
        findings.Check(raised && w.Order() == before && w.LowPass() == h,
                       [&] { return where + " SetOrder(" + std::to_string(order) + ") not refused cleanly"; });
      });
    }
    for (std::int32_t order = 1; order <= 3; ++order) {
      w.SetOrder(order);
      Extended sh = 0.0L, sg = 0.0L;
      for (Extended v : w.LowPass()) sh += v;
      for (Extended v : w.HighPass()) sg += v;
      calls += 3;
      findings.Check(
          std::fabs(static_cast<double>(sh) - std::sqrt(2.0)) < 1e-15 && std::fabs(static_cast<double>(sg)) < 1e-15,
          [&] { return where + ": filter sums of order " + std::to_string(order); });
    }
    for (std::int32_t bad : {0, -1, 3, 6, 100, 3 << 20, 1 << 24, 1 << 30, kIntMin, kIntMax}) {
      Survives(where + " SetNumData(" + std::to_string(bad) + ")", [&] {
        w.SetDataVal(1, 7.5);
        const bool raised = Raises<EQMXWaveletError>([&] { w.SetNumData(bad); });
        ++calls;
        findings.Check(raised && w.Size() == n && w.GetDataVal(1) == 7.5,
                       [&] { return where + " SetNumData(" + std::to_string(bad) + ") not refused cleanly"; });
      });
    }
    for (int m : {3, 255}) {
      w.SetSigExtMode(static_cast<TWLSigExtMode>(m));
      w.SetWaveletFam(static_cast<TWaveletFamily>(m));
      calls += 2;
      findings.Check(
          w.SignalExtMode() == static_cast<TWLSigExtMode>(m) && w.WaveletFamily() == static_cast<TWaveletFamily>(m),
          [&] { return where + ": mode or family not stored"; });
    }
  }
  Report("TWavelet1D scalars", calls);
}

// ---------------------------------------------------------------------------
// TSLine
// ---------------------------------------------------------------------------

bool FiniteLine(const TSLine& l) {
  return std::isfinite(l.ParA()) && std::isfinite(l.ParB()) && std::isfinite(l.ParC());
}

std::string Describe(const TSLine& l) {
  return "line (" + Num(l.ParA()) + ", " + Num(l.ParB()) + ", " + Num(l.ParC()) + ")";
}

/// Sets the coefficients through the public interface (A and B not both zero).
void SetLine(TSLine& l, double a, double b, double c) {
  l.LineFromSlopeIcpt(a, c);
  l.SetParB(b);
}

/// (A', B') points the way (a, b) does: the sine of the angle between them is
/// at most 1e-15 and their dot product positive.
bool SameNormal(const TSLine& l, double a, double b) {
  const Extended pa = l.ParA(), pb = l.ParB();
  const Extended cross = pa * b - pb * a;
  const Extended dot = pa * a + pb * b;
  const Extended sizes =
      std::sqrt(pa * pa + pb * pb) * std::sqrt(static_cast<Extended>(a) * a + static_cast<Extended>(b) * b);
  return dot > 0.0L && std::fabs(cross) <= 1e-15L * sizes;
}

/// (x, y) lies on the line up to rounding of its coordinates.
bool PassesThrough(const TSLine& l, double x, double y) {
  const double d = l.Distance(x, y);
  return std::fabs(d) <= 1e-12 * (std::fabs(x) + std::fabs(y)) + 1e-300;
}

/// Every value 0 or between 1e-100 and 1e100 in magnitude: no product of two
/// of them under- or overflows, so the plain coefficient formulas apply.
bool Moderate(const std::vector<double>& v) {
  return std::all_of(v.begin(), v.end(),
                     [](double x) { return x == 0.0 || (std::fabs(x) >= 1e-100 && std::fabs(x) <= 1e100); });
}

TEST(SignalRobustness, SLineConstructionsFromSpecialValues) {
  Findings findings;
  std::size_t calls = 0;
  const std::vector<double> values = Specials();
  // Coefficient setters: only A and B both zero is refused, and then nothing changes.
  Survives("SetParA/SetParB/SetParC", [&] {
    for (const auto& start : std::vector<std::array<double, 3>>{{0, 1, 0}, {1, 0, 0}, {2, -3, 1}, {-0.0, 5, 0}}) {
      for (double v : values) {
        for (int which = 0; which < 3; ++which) {
          TSLine l;
          SetLine(l, start[0], start[1], start[2]);
          const bool refuse = which < 2 && v == 0.0 && start[1 - which] == 0.0;
          const bool raised = Raises<EQMXSLineError>([&] {
            if (which == 0) l.SetParA(v);
            if (which == 1) l.SetParB(v);
            if (which == 2) l.SetParC(v);
          });
          ++calls;
          const double got = which == 0 ? l.ParA() : which == 1 ? l.ParB() : l.ParC();
          findings.Check(raised == refuse && Same(got, raised ? start[static_cast<std::size_t>(which)] : v),
                         [&] { return "setter " + std::to_string(which) + " of " + Num(v) + " on " + Describe(l); });
        }
      }
    }
  });
  // Two points: false (line unchanged) for identical or non-finite points, else
  // a finite line through both; the plain formula wherever it does not overflow.
  for (double x1 : values) {
    Survives("LineFrom2Points x1=" + Num(x1), [&] {
      TSLine l;
      for (double y1 : values) {
        for (double x2 : values) {
          for (double y2 : values) {
            SetLine(l, 3.0, 4.0, kMark);
            const bool ok = l.LineFrom2Points(x1, y1, x2, y2);
            ++calls;
            const auto what = [&] {
              return "LineFrom2Points(" + Num(x1) + ", " + Num(y1) + ", " + Num(x2) + ", " + Num(y2) + ")";
            };
            const bool finite = std::isfinite(x1) && std::isfinite(y1) && std::isfinite(x2) && std::isfinite(y2);
            const bool identical = x1 == x2 && y1 == y2;
            findings.Check(ok == (finite && !identical), [&] { return what() + (ok ? " succeeded" : " failed"); });
            if (!ok) {
              findings.Check(l.ParA() == 3.0 && l.ParB() == 4.0 && l.ParC() == kMark,
                             [&] { return what() + " changed the line"; });
              continue;
            }
            findings.Check(FiniteLine(l) && (l.ParA() != 0.0 || l.ParB() != 0.0),
                           [&] { return what() + " gave " + Describe(l); });
            findings.Check(PassesThrough(l, x1, y1) && PassesThrough(l, x2, y2),
                           [&] { return what() + ": " + Describe(l) + " misses a point"; });
            findings.Check(SameNormal(l, y1 - y2, x2 - x1) || !std::isfinite(y1 - y2) || !std::isfinite(x2 - x1),
                           [&] { return what() + ": " + Describe(l) + " has the wrong orientation"; });
            if (Moderate({x1, y1, x2, y2})) {
              findings.Check(Same(l.ParA(), y1 - y2) && Same(l.ParB(), x2 - x1) && Same(l.ParC(), x1 * y2 - y1 * x2),
                             [&] { return what() + ": coefficients differ from the plain formula"; });
            }
          }
        }
      }
    });
  }
  // A point and an angle: a finite line through the point in that direction.
  for (double angle : values) {
    Survives("LineThroughPoint angle=" + Num(angle), [&] {
      TSLine l;
      for (double x : values) {
        for (double y : values) {
          l.LineThroughPoint(x, y, angle);
          ++calls;
          if (!std::isfinite(angle) || !std::isfinite(x) || !std::isfinite(y)) continue;
          const auto what = [&] {
            return "LineThroughPoint(" + Num(x) + ", " + Num(y) + ", " + Num(angle) + ") gave " + Describe(l);
          };
          findings.Check(FiniteLine(l) && SameNormal(l, -std::sin(angle), std::cos(angle)) && PassesThrough(l, x, y),
                         what);
          if (Moderate({x, y})) {
            findings.Check(Same(l.ParA(), -std::sin(angle)) && Same(l.ParB(), std::cos(angle)), what);
          }
        }
      }
    });
  }
  // Slope and intercept are stored as given.
  Survives("LineFromSlopeIcpt", [&] {
    TSLine l;
    for (double k : values) {
      for (double d : values) {
        l.LineFromSlopeIcpt(k, d);
        ++calls;
        findings.Check(Same(l.ParA(), k) && l.ParB() == -1.0 && Same(l.ParC(), d),
                       [&] { return "LineFromSlopeIcpt(" + Num(k) + ", " + Num(d) + ") gave " + Describe(l); });
      }
    }
  });
  Report("TSLine constructions", calls);
}

/// The lines of the query test: A and B from the special values (not both
/// zero) with a few C.
std::vector<std::array<double, 3>> QueryLines() {
  std::vector<std::array<double, 3>> lines;
  const std::vector<double> values = Specials();
  for (double a : values) {
    for (double b : values) {
      if (a == 0.0 && b == 0.0) continue;
      for (double c : {0.0, -2.25, L::max(), L::quiet_NaN(), L::infinity()}) lines.push_back({a, b, c});
    }
  }
  return lines;
}

/// Boxes: an ordinary box with one limit replaced by a special value, boxes
/// symmetric about 0, and inverted boxes.
std::vector<std::array<double, 4>> QueryBoxes() {
  std::vector<std::array<double, 4>> boxes;
  for (double v : Specials()) {
    for (std::size_t k = 0; k < 4; ++k) {
      std::array<double, 4> b = {-2.0, -1.0, 3.0, 4.0};
      b[k] = v;
      boxes.push_back(b);
    }
    boxes.push_back({-v, -v, v, v});
  }
  boxes.push_back({3.0, -1.0, -2.0, 4.0});
  boxes.push_back({-2.0, 4.0, 3.0, -1.0});
  boxes.push_back({0.0, 0.0, 0.0, 0.0});
  return boxes;
}

/// Clips l to the box and checks: outputs unchanged on false; on true a proper
/// box, both points inside it and on its border; SubstituteInf unchanged; a
/// line that clearly passes through the inside is found.
void CheckClip(const TSLine& l, const std::array<double, 4>& box, Findings& findings) {
  const auto [xl, yl, xh, yh] = box;
  double x1 = kMark, y1 = kMark, x2 = kMark, y2 = kMark;
  const bool subst = l.SubstituteInf();
  const bool hit = l.ClipBox(xl, yl, xh, yh, x1, y1, x2, y2);
  const auto what = [&] {
    return Describe(l) + " ClipBox(" + Num(xl) + ", " + Num(yl) + ", " + Num(xh) + ", " + Num(yh) +
           ") = " + (hit ? "(" + Num(x1) + ", " + Num(y1) + ") (" + Num(x2) + ", " + Num(y2) + ")" : "false");
  };
  findings.Check(l.SubstituteInf() == subst, [&] { return what() + ": SubstituteInf changed"; });
  if (!hit) {
    findings.Check(x1 == kMark && y1 == kMark && x2 == kMark && y2 == kMark,
                   [&] { return what() + ": outputs changed"; });
  } else {
    const auto inside = [&](double x, double y) {
      return xl <= x && x <= xh && yl <= y && y <= yh && (x == xl || x == xh || y == yl || y == yh);
    };
    findings.Check(inside(x1, y1) && inside(x2, y2), [&] { return what() + ": a point off the box border"; });
  }
  // A finite line with box corners clearly on both sides must be found.
  if (FiniteLine(l) && Tame({xl, yl, xh, yh}, L::max()) && xl < xh && yl < yh) {
    const double s = std::fabs(xh - xl) + std::fabs(yh - yl);
    double lo = 0.0, hi = 0.0;
    for (double cx : {xl, xh}) {
      for (double cy : {yl, yh}) {
        const double d = l.Distance(cx, cy);
        lo = std::min(lo, d);
        hi = std::max(hi, d);
      }
    }
    if (std::isfinite(s) && lo < -1e-6 * s && hi > 1e-6 * s)
      findings.Check(hit, [&] { return what() + ": crossing missed"; });
  }
}

TEST(SignalRobustness, SLineQueriesWithSpecialValues) {
  Findings findings;
  std::size_t calls = 0;
  const std::vector<double> values = Specials();
  const std::vector<std::array<double, 4>> boxes = QueryBoxes();
  const std::vector<std::array<double, 3>> partnerCoefs = {{0, 1, 0},
                                                           {1, 0, 0},
                                                           {-1, 1, 0},
                                                           {1, 1, -L::max()},
                                                           {L::max(), -L::max(), 1.5},
                                                           {L::denorm_min(), 1, 0},
                                                           {1, L::denorm_min(), L::max()},
                                                           {1e-300, 1e-300, 1},
                                                           {L::quiet_NaN(), 1, 0},
                                                           {L::infinity(), 1, 0},
                                                           {3, -L::infinity(), 0}};
  std::vector<std::unique_ptr<TSLine>> partners;
  for (const auto& c : partnerCoefs) {
    partners.push_back(std::make_unique<TSLine>());
    SetLine(*partners.back(), c[0], c[1], c[2]);
  }
  TSLine l, made;
  for (const auto& coefs : QueryLines()) {
    SetLine(l, coefs[0], coefs[1], coefs[2]);
    const std::string name = Describe(l);
    const bool finite = FiniteLine(l);
    const double a = l.ParA(), b = l.ParB();
    // Evaluation: "cannot calculate x/y" exactly when the coefficient is 0 and no substitute is used.
    Survives(name + " CalcX/CalcY", [&] {
      for (bool subst : {false, true}) {
        l.SetSubstituteInf(subst);
        for (double v : values) {
          double x = kMark, y = kMark;
          const bool rx = Raises<EQMXSLineError>([&] { x = l.CalcX(v); });
          const bool ry = Raises<EQMXSLineError>([&] { y = l.CalcY(v); });
          calls += 2;
          findings.Check(rx == (a == 0.0 && !subst) && ry == (b == 0.0 && !subst),
                         [&] { return name + " CalcX/CalcY(" + Num(v) + ") raised wrongly"; });
          if (finite && std::isfinite(v)) {
            findings.Check((rx || !std::isnan(x)) && (ry || !std::isnan(y)),
                           [&] { return name + " CalcX/CalcY(" + Num(v) + ") = " + Num(x) + ", " + Num(y); });
          }
        }
      }
      l.SetSubstituteInf(false);
    });
    Survives(name + " slope, intercept, direction", [&] {
      double k = kMark, d = kMark;
      const bool rs = Raises<EQMXSLineError>([&] { (void)l.GetSlope(); });
      const bool ri = Raises<EQMXSLineError>([&] { (void)l.GetIntercept(); });
      const bool rk = Raises<EQMXSLineError>([&] { l.CalcKDForm(k, d); });
      const double phi = l.GetDirect();
      calls += 4;
      findings.Check(rs == (b == 0.0) && ri == (b == 0.0) && rk == (b == 0.0), [&] { return name + ": slope errors"; });
      if (rk) findings.Check(k == kMark && d == kMark, [&] { return name + ": CalcKDForm changed its outputs"; });
      const bool inRange = phi >= 0.0 && phi < 2 * kPi;
      findings.Check(inRange || (!finite && std::isnan(phi)), [&] { return name + " GetDirect = " + Num(phi); });
    });
    Survives(name + " Distance", [&] {
      for (double x : values) {
        for (double y : values) {
          const double d = l.Distance(x, y);
          ++calls;
          if (finite && std::isfinite(x) && std::isfinite(y)) {
            findings.Check(!std::isnan(d), [&] { return name + " Distance(" + Num(x) + ", " + Num(y) + ") is NaN"; });
          }
        }
      }
    });
    Survives(name + " ClipBox", [&] {
      for (bool subst : {false, true}) {
        l.SetSubstituteInf(subst);
        for (const auto& box : boxes) CheckClip(l, box, findings);
        calls += boxes.size();
      }
      l.SetSubstituteInf(false);
    });
    Survives(name + " InterSection/AngleBetweenLines", [&] {
      const auto check = [&](const TSLine* p) {
        double x = kMark, y = kMark, xr = kMark, yr = kMark;
        const bool ok = l.InterSection(p, x, y);
        const double angle = l.AngleBetweenLines(p);
        calls += 2;
        const auto what = [&] { return name + " with " + (p ? Describe(*p) : "nil"); };
        if (!ok) {
          findings.Check(x == kMark && y == kMark, [&] { return what() + ": InterSection changed its outputs"; });
        } else {
          findings.Check(std::isfinite(x) && std::isfinite(y),
                         [&] { return what() + ": InterSection = (" + Num(x) + ", " + Num(y) + ")"; });
        }
        if (p == nullptr) {
          findings.Check(!ok && angle == 0.0, [&] { return what() + ": nil partner"; });
          return;
        }
        const bool okr = p->InterSection(&l, xr, yr);
        const double angler = p->AngleBetweenLines(&l);
        calls += 2;
        const auto equal = [](double u, double v) { return u == v || (std::isnan(u) && std::isnan(v)); };
        findings.Check(ok == okr && equal(x, xr) && equal(y, yr) && Same(angle, angler),
                       [&] { return what() + ": not symmetric"; });
        if (finite && FiniteLine(*p)) {
          findings.Check(angle >= 0.0 && angle <= kPi / 2, [&] { return what() + ": angle " + Num(angle); });
        } else {
          findings.Check(std::isnan(angle) || (angle >= 0.0 && angle <= kPi / 2),
                         [&] { return what() + ": angle " + Num(angle); });
        }
      };
      check(nullptr);
      check(&l);
      for (const auto& p : partners) check(p.get());
    });
    Survives(name + " NormalLine/ParallelLine", [&] {
      SetLine(made, 3.0, 4.0, kMark);
      made.NormalLine(1.0, 2.0, nullptr);
      made.ParallelLine(1.0, 2.0, nullptr);
      calls += 2;
      findings.Check(made.ParA() == 3.0 && made.ParB() == 4.0 && made.ParC() == kMark,
                     [&] { return name + ": a nil line changed the target"; });
      for (double x : values) {
        for (double y : values) {
          made.ParallelLine(x, y, &l);
          ++calls;
          const bool expectFinite = finite && std::isfinite(x) && std::isfinite(y);
          if (expectFinite) {
            findings.Check(FiniteLine(made) && SameNormal(made, a, b) && PassesThrough(made, x, y),
                           [&] { return name + " ParallelLine(" + Num(x) + ", " + Num(y) + ") = " + Describe(made); });
          }
          made.NormalLine(x, y, &l);
          ++calls;
          if (expectFinite) {
            findings.Check(FiniteLine(made) && SameNormal(made, -b, a) && PassesThrough(made, x, y),
                           [&] { return name + " NormalLine(" + Num(x) + ", " + Num(y) + ") = " + Describe(made); });
          }
        }
      }
    });
  }
  Report("TSLine queries", calls);
}

}  // namespace
}  // namespace qmx
