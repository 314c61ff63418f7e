// A short tour of what qmx can do; each section prints its results.
#include <cstdio>

#include "qmx/qmx.hpp"

int main() {
  std::printf("qmx demo\n");
  qmx::TDoubleArray a{3.0, 1.0, 2.0};
  std::printf("content checksum of {3, 1, 2}: %s\n", qmx::ContentCRC(a).c_str());
  return 0;
}
