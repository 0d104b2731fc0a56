// phondeck-convert: see runConvert.
#include <iostream>
#include <string>
#include <vector>

#include "app/text_table.h"
#include "media/convert_tool.h"

int main(int argc, char** argv) {
  phondeck::texts().load_english();
  const std::vector<std::string> args(argv + 1, argv + argc);
  return phondeck::runConvert(args, std::cout, std::cerr);
}
