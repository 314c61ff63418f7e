// The bit field component: bits packed in 64-bit words, counted with popcount.

#include <algorithm>
#include <bit>
#include <new>

#include "qmx/foundation/basepack.hpp"

namespace qmx {

namespace {

constexpr std::int64_t kWordBits = 64;

std::size_t WordsFor(std::int64_t bits) { return static_cast<std::size_t>((bits + kWordBits - 1) / kWordBits); }

std::uint64_t Combine(std::uint64_t b, std::uint64_t s, TLogicOp op) {
  switch (op) {
    case TLogicOp::loAnd: return b & s;
    case TLogicOp::loOr: return b | s;
    case TLogicOp::loXor: return b ^ s;
    case TLogicOp::loAndNot: return b & ~s;
    case TLogicOp::loOrNot: return b | ~s;
    case TLogicOp::loXorNot: return b ^ ~s;
  }
  return b;
}

bool IsValidOp(TLogicOp op) { return static_cast<std::uint8_t>(op) <= static_cast<std::uint8_t>(TLogicOp::loXorNot); }

}  // namespace

TBitFld::TBitFld(TComponent* AOwner) : TComponent(AOwner) {}

std::string_view TBitFld::ClassName() const { return "TBitFld"; }

void TBitFld::Assign(const TPersistent* Source) {
  if (const auto* src = dynamic_cast<const TBitFld*>(Source)) {
    Clone(src);
    return;
  }
  TComponent::Assign(Source);
}

void TBitFld::MaskTail() {
  const std::int64_t used = numBits_ % kWordBits;
  if (used != 0 && !words_.empty()) {
    words_.back() &= (std::uint64_t{1} << used) - 1u;
  }
}

void TBitFld::SetSize(std::int32_t Size) {
  const std::int64_t bits = std::clamp<std::int64_t>(static_cast<std::int64_t>(Size) + 1, 0, kMaxSize + std::int64_t{1});
  if (bits == numBits_) {
    return;
  }
  try {
    words_.resize(WordsFor(bits), 0u);
  } catch (const std::bad_alloc&) {
    RaiseComponentError<EQMXError>(this, kMsgNotEnoughMemory);
  }
  numBits_ = bits;
  // Bits that were cut off must not come back when the field grows again.
  MaskTail();
}

void TBitFld::Clear() { std::fill(words_.begin(), words_.end(), 0u); }

void TBitFld::SetBit(std::int32_t Ix, bool Value) {
  if (Ix < 0 || Ix >= numBits_) {
    return;
  }
  const auto w = static_cast<std::size_t>(Ix) / 64u;
  const std::uint64_t mask = std::uint64_t{1} << (static_cast<unsigned>(Ix) % 64u);
  if (Value) {
    words_[w] |= mask;
  } else {
    words_[w] &= ~mask;
  }
}

bool TBitFld::GetBit(std::int32_t Ix) const {
  if (Ix < 0 || Ix >= numBits_) {
    return false;
  }
  return ((words_[static_cast<std::size_t>(Ix) / 64u] >> (static_cast<unsigned>(Ix) % 64u)) & 1u) != 0;
}

std::int32_t TBitFld::FirstTrueBit() const {
  for (std::size_t w = 0; w < words_.size(); ++w) {
    if (words_[w] != 0) {
      return static_cast<std::int32_t>(w * 64u + static_cast<std::size_t>(std::countr_zero(words_[w])));
    }
  }
  return -1;
}

std::int32_t TBitFld::CountTrueBits() const {
  std::int64_t n = 0;
  for (const std::uint64_t w : words_) {
    n += std::popcount(w);
  }
  return static_cast<std::int32_t>(n);
}

void TBitFld::Invert() {
  for (std::uint64_t& w : words_) {
    w = ~w;
  }
  MaskTail();
}

void TBitFld::Clone(const TBitFld* Source) {
  if (Source == nullptr || Source == this) {
    return;
  }
  try {
    words_ = Source->words_;
  } catch (const std::bad_alloc&) {
    RaiseComponentError<EQMXError>(this, kMsgNotEnoughMemory);
  }
  numBits_ = Source->numBits_;
}

void TBitFld::CombineWith(const TBitFld* Other, TLogicOp Op) {
  if (Other == nullptr || !IsValidOp(Op)) {
    return;
  }
  const std::size_t common = std::min(words_.size(), Other->words_.size());
  for (std::size_t w = 0; w < common; ++w) {
    words_[w] = Combine(words_[w], Other->words_[w], Op);
  }
  for (std::size_t w = common; w < words_.size(); ++w) {
    words_[w] = Combine(words_[w], 0u, Op);
  }
  MaskTail();
}

}  // namespace qmx
