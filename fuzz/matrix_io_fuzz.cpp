// libFuzzer harness of the `TMatrix` readers: the binary file and stream
// (`LoadFromStream` on memory and file streams, `LoadBinary`,
// `ReadBinaryHeader`), XML (`ReadFromXMLStream`, `ReadFromOpenXMLFile`,
// `LoadFromXMLFile`, `ProcessXmlTag`), plain text (`LoadFromFile` on an open
// text file and on a file) and ASC (`ImportASC` with and without names).
// Input: a format byte, then the bytes; see matrix_checks.hpp for what is
// checked.
#include <cstdint>

#include "fuzz_util.hpp"
#include "matrix_checks.hpp"
#include "qmx/matrix/matrices.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const qmx::fuzz::ScratchFile file("matrix_io_in");
  static const qmx::fuzz::ScratchFile out("matrix_io_out");
  return qmx::fuzz::FuzzMatrixReaders<qmx::TMatrix>(data, size, file, out);
}
