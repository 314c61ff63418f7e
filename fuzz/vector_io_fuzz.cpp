// libFuzzer harness of the vector readers: `ImportASC`, the plain text
// `LoadFromFile` (and the digitizer form of `TVector`) and `LoadFromStream`
// of `TVector` and `TIntVector`.  Any bytes must give a documented result,
// leave at least one element, never grow a vector beyond what the input can
// hold, and never crash or allocate without bound.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_util.hpp"
#include "qmx/foundation/basepack.hpp"
#include "qmx/vector/vectors.hpp"

namespace {

constexpr std::int32_t kStartSize = 3;

bool AscCodeIsDocumented(std::int32_t rc) {
  return rc == qmx::kVecAscOk || rc == qmx::kVecAscBadRowAttrib || rc == qmx::kVecAscBadValue ||
         rc == qmx::kVecAscTooManyColumns || rc == qmx::kVecAscNoFile || rc == qmx::kVecAscTooManyRows ||
         rc == qmx::kAscCannotOpen || rc == qmx::kAscTruncatedHeader || rc == qmx::kAscBadCounts ||
         rc == qmx::kAscBadFlags;
}

/// A reader may keep the start size or grow to at most one element per byte.
template <class V>
void CheckSize(const V& v, std::size_t inputBytes, std::int64_t bytesPerElement) {
  QMX_FUZZ_CHECK(v.NrOfElem() >= 1);
  QMX_FUZZ_CHECK(v.NrOfElem() <= kStartSize ||
                 static_cast<std::int64_t>(v.NrOfElem()) * bytesPerElement <= static_cast<std::int64_t>(inputBytes));
}

template <class V>
void FuzzFiles(const qmx::fuzz::ScratchFile& file, std::size_t size) {
  {
    V v;
    v.Resize(kStartSize);
    std::string comment;
    QMX_FUZZ_CHECK(AscCodeIsDocumented(v.ImportASC(file.Path(), comment)));
    CheckSize(v, size, 1);
  }
  for (const bool adjust : {false, true}) {
    V v;
    v.Resize(kStartSize);
    (void)v.LoadFromFile(file.Path(), adjust);
    CheckSize(v, size, 1);
  }
}

template <class V>
void FuzzStream(std::string_view bytes, std::int64_t bytesPerElement) {
  for (const bool adjust : {false, true}) {
    qmx::TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    stream.SetPosition(0);
    V v;
    v.Resize(kStartSize);
    (void)v.LoadFromStream(&stream, adjust);
    CheckSize(v, bytes.size(), bytesPerElement);
    QMX_FUZZ_CHECK(stream.Position() <= stream.Size());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const qmx::fuzz::ScratchFile file("vector_io");
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (!file.Write(bytes)) {
    return 0;
  }
  FuzzFiles<qmx::TVector>(file, size);
  FuzzFiles<qmx::TIntVector>(file, size);
  for (const bool adjust : {false, true}) {
    qmx::TVector v;
    v.Resize(kStartSize);
    QMX_FUZZ_CHECK(v.LoadFromFile(file.Path(), adjust, true));
    CheckSize(v, size, 1);
  }
  FuzzStream<qmx::TVector>(bytes, 10);
  FuzzStream<qmx::TIntVector>(bytes, 4);
  return 0;
}
