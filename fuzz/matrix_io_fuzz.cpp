// libFuzzer harness of the matrix readers: any bytes, as a binary, XML, ASC or
// plain text file and as a stream, must load or be refused without a crash, a
// hang or an allocation beyond the input's size.  What loads must save and load
// back to the same contents.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "qmx/matrix/matrices.hpp"

namespace {

bool WriteBytes(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    return false;
  }
  const bool ok = std::fwrite(data, 1, size, f) == size;
  std::fclose(f);
  return ok;
}

void Check(bool ok) {
  if (!ok) {
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/qmx_matrix_fuzz_" + std::to_string(::getpid());
  const std::string again = path + ".out";
  if (!WriteBytes(path, data, size)) {
    return 0;
  }
  qmx::TMatrix m;
  qmx::TMatrix back;
  if (m.LoadBinary(path)) {
    Check(m.SaveBinary(again, "") && back.LoadBinary(again) && back.CRCofData() == m.CRCofData());
  }
  if (m.LoadFromXMLFile(path)) {
    Check(m.SaveAsXMLFile(again) && back.LoadFromXMLFile(again) && back.CRCofData() == m.CRCofData());
  }
  std::string comment;
  if (m.ImportASC(path, comment) == qmx::kMatAscOk) {
    Check(m.ExportAsASC(again, "x") == 0 && back.ImportASC(again, comment) == qmx::kMatAscOk);
  }
  if (m.LoadFromFile(path, true)) {
    Check(m.StoreOnFile(0, 0, 0, 0, again) && back.LoadFromFile(again, true) &&
          back.CRCofData() == m.CRCofData());
  }
  qmx::TMemoryStream stream;
  stream.Write(data, static_cast<std::int64_t>(size));
  stream.SetPosition(0);
  (void)m.LoadFromStream(&stream);
  stream.SetPosition(0);
  (void)m.ReadFromXMLStream(&stream);
  std::remove(again.c_str());
  return 0;
}
