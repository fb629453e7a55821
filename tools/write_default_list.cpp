// Writes the default key list to the file named on the command line: the
// very bytes the program writes when its list.txt is missing. The Linux
// packages ship this file beside the program, because a system folder is
// not one the program may write to.
#include <cstdio>
#include <fstream>
#include <string>

#include "keymonitor/key_list.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT\n", argc > 0 ? argv[0] : "lumio-write-default-list");
    return 2;
  }
  const std::string& bytes = lumio::DefaultKeyListBytes();
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "lumio-write-default-list: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
