// What the fuzz targets share: a check that stops the run, so that libFuzzer records the input.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace murel {

/// Aborts with `what` on standard error when `condition` is false.
inline void FuzzCheck(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

}  // namespace murel
