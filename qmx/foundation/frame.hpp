#pragma once
/// \file
/// What every unit shares: array types, enumerations, point and rectangle
/// records, event types, the message form of component errors, the global
/// progress and abort hooks with their protocol, and the content checksum.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "qmx/foundation/platform.hpp"

namespace qmx {

// ---------------------------------------------------------------------------
// Shared array types (0-based, length-aware, growable)
// ---------------------------------------------------------------------------

using TDoubleArray = std::vector<double>;
using TDouble2DArray = std::vector<TDoubleArray>;
using TDouble3DArray = std::vector<TDouble2DArray>;
using TDouble4DArray = std::vector<TDouble3DArray>;
using TSingleArray = std::vector<float>;
using TIntArray = std::vector<std::int32_t>;
using TInt2DArray = std::vector<TIntArray>;
using TInt3DArray = std::vector<TInt2DArray>;
using TInt4DArray = std::vector<TInt3DArray>;
using TBoolArray = std::vector<bool>;
using TBool2DArray = std::vector<TBoolArray>;
using TStrArray = std::vector<std::string>;
using TStr2DArray = std::vector<TStrArray>;
using TStringList = std::vector<std::string>;

// ---------------------------------------------------------------------------
// Shared enumerations (ordinals are part of the interface)
// ---------------------------------------------------------------------------

/// One result per column (0) or per row (1).
enum class TDims : std::uint8_t { dimColumns, dimRows };
/// An operation runs down each column (0) or along each row (1).
enum class TApplyColRow : std::uint8_t { acrColumns, acrRows };
/// Distance or similarity between two objects: Tanimoto, Manhattan, Euclidean,
/// squared Euclidean, Dice, user-defined (through an event).
enum class TDistMode : std::uint8_t { dmTanimoto, dmManhattan, dmEuclid, dmEuclidSq, dmDice, dmUser };
/// One result per row, reducing across columns (0); per column, reducing down rows (1).
enum class TOrientation : std::uint8_t { orHorizontal, orVertical };
/// The reduction of an edge vector.
enum class TEdgeOp : std::uint8_t { eoMin, eoMax, eoSum, eoMean, eoStdDev };
/// Field delimiters of delimited text.
enum class TCSVDelimiters : std::uint8_t { cdComma, cdSemicolon, cdTab, cdBlank };
/// Element kind of untyped storage: 0 and 1 are 64-bit floats, 2 is a 32-bit
/// float, 3 and 4 are 32-bit signed integers; the others are not accepted by
/// the generic array primitives.
enum class TVarKind : std::uint8_t {
  vkDouble, vkReal, vkSingle, vkInteger, vkLongint, vkByte, vkWord, vkExtended, vkString
};
/// Angle text forms: decimal degrees with the degree sign; degrees and decimal
/// minutes; degrees, minutes and decimal seconds; a plain decimal number.
enum class TDegreeFormat : std::uint8_t { dfDegDec, dfDegMinDec, dfDegMinSec, dfDecimal };
/// Bit combinations s op State: AND, OR, XOR, AND NOT, OR NOT, XOR NOT.
enum class TLogicOp : std::uint8_t { loAnd, loOr, loXor, loAndNot, loOrNot, loXorNot };
/// Language of month and day names in date texts.
enum class TLanguage : std::uint8_t { lgEnglish, lgGerman };
/// Accepted decimal separator: point, comma, or either.
enum class TDecPSep : std::uint8_t { dpsPoint, dpsComma, dpsBoth };

/// Integer point and rectangle.
struct TPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
};
struct TRect {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = 0;
  std::int32_t Bottom = 0;
};
/// 64-bit float point and rectangle.
struct TPointDouble {
  double x = 0.0;
  double y = 0.0;
};
struct TRectDouble {
  double Left = 0.0;
  double Top = 0.0;
  double Right = 0.0;
  double Bottom = 0.0;
};

// ---------------------------------------------------------------------------
// Events (an empty std::function is "unassigned")
// ---------------------------------------------------------------------------

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TOnPercentDoneEvent = std::function<void(TObject* Sender, std::int32_t PercentDone)>;
/// ExchgWhat: 1 = two columns exchanged, 2 = two rows exchanged (vectors: elements);
/// Index1, Index2: the exchanged indexes; First, Last: the bounds of the exchanged part.
using TSortExchgEvent = std::function<void(TObject* Sender, std::uint8_t ExchgWhat, std::int32_t Index1,
                                           std::int32_t Index2, std::int32_t First, std::int32_t Last)>;
/// Asked between steps of a long model loop; set Abort to stop it.
using TOnCheckAbortEvent = std::function<void(TObject* Sender, bool& Abort)>;
/// Lets the caller rewrite the text of a cell (column, row) while a table is exported.
using TExportTextEvent = std::function<void(TObject* Sender, std::int32_t Col, std::int32_t Row, std::string& Text)>;

// ---------------------------------------------------------------------------
// Component error messages
// ---------------------------------------------------------------------------

/// The tails of component messages shared by several classes (each begins with
/// the closing double-quote of the component name).
inline constexpr std::string_view kMsgNotEnoughMemoryOnHeap = "\": not enough memory on heap";
inline constexpr std::string_view kMsgNotEnoughMemory = "\": not enough memory";
inline constexpr std::string_view kMsgVectorsDiffDims = "\": vectors have different dimensions";
inline constexpr std::string_view kMsgMatricesDoNotMatch = "\": matrices do not match";
inline constexpr std::string_view kMsgNegGeometricMean = "\": negative argument passed to GeometricMean";
inline constexpr std::string_view kMsgNonPosHarmonicMean = "\": negative or zero argument passed to HarmonicMean";
inline constexpr std::string_view kMsgLayerBeyondRange = "\": specified layer beyond data range";
inline constexpr std::string_view kMsgTimeSlotBeyondRange = "\": specified time slot beyond data range";
inline constexpr std::string_view kMsgInvalidNumberOfBins = ".Histogram\": invalid number of bins";

/// Builds `Component "<Name><Tail>`, where Tail starts with the closing
/// double-quote (or with a suffix such as ".Histogram" before it).
/// A nil component counts as one without a name.
std::string ComponentMessage(const TComponent* Component, std::string_view Tail);

/// Raises E with the component message form.
template <class E>
[[noreturn]] void RaiseComponentError(const TComponent* Component, std::string_view Tail) {
  throw E(ComponentMessage(Component, Tail));
}

// ---------------------------------------------------------------------------
// Global hooks and the progress and abort protocol
// ---------------------------------------------------------------------------

/// Running count of units of work done by long computations (never reset by the library).
inline std::atomic<double> ProcStat{0.0};
/// Progress callback, called with the new value of `ProcStat`; empty = none.
/// Called only from the caller's thread.
inline std::function<void(double)> MathFeedBackProc;
/// Abort request: a polling computation that sees it true stops with its failure result.
inline std::atomic<bool> AbortMathProc{false};

/// One unit of work on the caller's thread: adds 1 to `ProcStat`, reports the
/// new value to `MathFeedBackProc` if set, and returns the abort flag
/// (true: the caller must stop).
bool ProgressStep();
/// Adds 1 to `ProcStat` atomically without reporting (for worker threads).
inline void ProgressAddFromWorker() { ProcStat.fetch_add(1.0, std::memory_order_relaxed); }
/// Reports the current `ProcStat` to `MathFeedBackProc` if set (caller's thread only).
void ProgressReport();
/// True when an abort has been requested.
inline bool AbortRequested() { return AbortMathProc.load(std::memory_order_relaxed); }

/// Percentage for `OnPercentDone`: 100 * done / total, rounded (0 for total <= 0
/// and where a NaN arises); results beyond the 32-bit range are saturated to it.
std::int32_t PercentOf(double done, double total);

// ---------------------------------------------------------------------------
// Content checksum
// ---------------------------------------------------------------------------

/// Lane-wise CRC-32 over element bytes: one accumulator per byte position of an
/// element, each started with all bits set, fed byte k of every element in
/// memory (little-endian) order, and complemented at the end.
template <std::size_t Lanes>
class TLaneCRC {
 public:
  TLaneCRC() { acc_.fill(0xFFFFFFFFu); }
  static_assert(Lanes == 4 || Lanes == 8, "elements of 4 or 8 bytes");
  /// Feeds one element of exactly Lanes bytes.
  void AddElement(const std::uint8_t* bytes);
  /// Feeds Count contiguous elements.
  void AddElements(const void* data, std::size_t count);
  /// The complemented accumulators as 8 upper-case hexadecimal digits each, lane 0 first.
  std::string Result() const;

 private:
  std::array<std::uint32_t, Lanes> acc_;
};

/// The content checksum of double elements in the given order (64 hex digits);
/// the empty string for no elements.
std::string ContentCRC(std::span<const double> Data);
/// The content checksum of 32-bit integer elements (32 hex digits).
std::string ContentCRC(std::span<const std::int32_t> Data);

}  // namespace qmx
