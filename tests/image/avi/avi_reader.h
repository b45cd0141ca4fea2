// A strict reader for the AVI files the recorder writes: walks the RIFF
// tree checking that every chunk and list fits inside its parent, and hands
// back the header fields, the frame chunks and the index.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvex::test {

struct AviFrameChunk {
  uint32_t offset = 0;  // of the chunk id, counted from the "movi" code
  std::vector<uint8_t> pixels;
};

struct AviIndexEntry {
  std::string id;
  uint32_t flags = 0, offset = 0, size = 0;
};

struct AviContents {
  uint32_t riffSize = 0, headerListSize = 0, streamListSize = 0, movieSize = 0;
  uint32_t avih[14] = {};  // the main header's 32-bit fields in order
  std::string streamType, streamHandler;
  uint32_t strh[14] = {};  // the stream header's 64 bytes as 32-bit fields (after the codes)
  uint32_t strf[10] = {};  // size, width, height, planes|bitCount<<16, compression, ...
  std::vector<AviFrameChunk> frames;
  bool hasIndex = false;
  std::vector<AviIndexEntry> index;
};

// False with a reason in *error when the bytes are not a well-formed AVI
// file of one uncompressed video stream.
bool ParseAvi(const std::vector<uint8_t>& file, AviContents* out, std::string* error);

uint32_t Le32(const uint8_t* p);

}  // namespace korvex::test
