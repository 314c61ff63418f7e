// Links the installed qmx package and calls a few functions.
#include <cstdio>

#include "qmx/qmx.hpp"

int main() {
  qmx::TDoubleArray v{1.0, 2.0, 3.0};
  const std::string crc = qmx::ContentCRC(v);
  std::printf("consumer: checksum %s\n", crc.c_str());
  return crc.size() == 64 ? 0 : 1;
}
