#include "app/version.h"

#ifndef PHONDECK_COMMIT
#define PHONDECK_COMMIT ""
#endif
#ifndef PHONDECK_BUILD_TYPE
#define PHONDECK_BUILD_TYPE ""
#endif

namespace phondeck {

std::string version_text() {
  std::string text = kProductVersion;
  std::string build;
  auto add = [&build](const std::string& part) {
    if (part.empty()) return;
    build += (build.empty() ? "" : ", ") + part;
  };
  const std::string commit = PHONDECK_COMMIT;
  if (!commit.empty()) add("commit " + commit);
#if defined(__clang__)
  add("clang " __clang_version__);
#elif defined(__GNUC__)
  add("gcc " __VERSION__);
#endif
  add(PHONDECK_BUILD_TYPE);
  if (!build.empty()) text += " (" + build + ")";
  return text;
}

}  // namespace phondeck
