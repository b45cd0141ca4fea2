// Checks that a recording that was ended from outside (the process ending,
// the library unloading) left a finished AVI file: well formed, with an
// index, at least one frame, and headers that count the frames and the file
// as they are. Wrap the call in ASSERT_NO_FATAL_FAILURE to stop on a file
// that does not parse.
#pragma once

#include "image/avi/avi_reader.h"
#include "image/files/file_readers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvex::test {

inline void ExpectFinishedAvi(const std::string& path, AviContents* avi) {
  std::string error;
  const std::vector<uint8_t> bytes = ReadWholeFile(path);
  ASSERT_TRUE(ParseAvi(bytes, avi, &error)) << error;
  EXPECT_TRUE(avi->hasIndex);
  ASSERT_GE(avi->frames.size(), 1u);
  EXPECT_EQ(avi->avih[4], avi->frames.size()) << "total frames";
  EXPECT_EQ(avi->index.size(), avi->frames.size());
  EXPECT_EQ(avi->riffSize + 8, bytes.size());
}

}  // namespace korvex::test
