// The few POSIX calls the shared test helpers use, for the Windows build of
// the tests (force-included there).
#pragma once

#ifdef __cplusplus
#include <direct.h>
#include <io.h>
#include <stdlib.h>
#include <string.h>

// Makes a new folder from a pattern ending in XXXXXX; null on failure.
inline char* mkdtemp(char* pattern) {
  const size_t length = strlen(pattern);
  if (length < 6) return nullptr;
  for (int attempt = 0; attempt < 100; ++attempt) {
    memcpy(pattern + length - 6, "XXXXXX", 6);
    if (_mktemp_s(pattern, length + 1) != 0) return nullptr;
    if (_mkdir(pattern) == 0) return pattern;
  }
  return nullptr;
}

// Environment variables as POSIX sets them (the C runtime's copy, which
// getenv reads).
inline int setenv(const char* name, const char* value, int overwrite) {
  if (!overwrite && getenv(name) != nullptr) return 0;
  return _putenv_s(name, value) == 0 ? 0 : -1;
}
inline int unsetenv(const char* name) { return _putenv_s(name, "") == 0 ? 0 : -1; }
#endif
