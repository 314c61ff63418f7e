// libFuzzer harness of the `TIntMatrix` readers of the dense formats: the
// binary file and stream (`LoadFromStream` on memory and file streams,
// `LoadBinary`, `ReadBinaryHeader`), XML (`ReadFromXMLStream`,
// `ReadFromOpenXMLFile`, `LoadFromXMLFile`, `ProcessXmlTag`), plain text
// (`LoadFromFile` on an open text file and on a file) and ASC (`ImportASC`
// with and without names), each into a dense or a sparse matrix.  Input: a
// format byte (bit 2: start sparse), then the bytes; see matrix_checks.hpp
// for what is checked.  The sparse entry file has its own harness.
#include <cstdint>

#include "fuzz_util.hpp"
#include "matrix_checks.hpp"
#include "qmx/matrix/matrices.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const qmx::fuzz::ScratchFile file("intmatrix_io_in");
  static const qmx::fuzz::ScratchFile out("intmatrix_io_out");
  return qmx::fuzz::FuzzMatrixReaders<qmx::TIntMatrix>(data, size, file, out);
}
