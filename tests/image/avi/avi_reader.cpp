#include "image/avi/avi_reader.h"

namespace korvex::test {

uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

namespace {

class Walker {
 public:
  Walker(const std::vector<uint8_t>& file, std::string* error) : f_(file), error_(error) {}

  bool Fail(const std::string& why) {
    *error_ = why;
    return false;
  }
  std::string Code(size_t at) const {
    return at + 4 <= f_.size() ? std::string(f_.begin() + at, f_.begin() + at + 4) : "";
  }
  // Reads a chunk header at `at` whose data must end by `end`.
  bool Chunk(size_t at, size_t end, const std::string& id, uint32_t* size) {
    if (at + 8 > end) return Fail("no room for chunk " + id);
    if (Code(at) != id)
      return Fail("expected " + id + " at " + std::to_string(at) + ", found " + Code(at));
    *size = Le32(&f_[at + 4]);
    if (at + 8 + *size > end) return Fail(id + " overruns its parent");
    return true;
  }
  bool List(size_t at, size_t end, const std::string& type, uint32_t* size) {
    if (!Chunk(at, end, "LIST", size)) return false;
    if (*size < 4 || Code(at + 8) != type) return Fail("expected list " + type);
    return true;
  }

  const std::vector<uint8_t>& f_;
  std::string* error_;
};

}  // namespace

bool ParseAvi(const std::vector<uint8_t>& f, AviContents* out, std::string* error) {
  Walker w(f, error);
  AviContents& c = *out;
  c = AviContents{};
  if (!w.Chunk(0, f.size(), "RIFF", &c.riffSize)) return false;
  if (8 + static_cast<size_t>(c.riffSize) != f.size())
    return w.Fail("RIFF size is not the file size");
  if (w.Code(8) != "AVI ") return w.Fail("not an AVI file");
  const size_t riffEnd = 8 + c.riffSize;

  if (!w.List(12, riffEnd, "hdrl", &c.headerListSize)) return false;
  const size_t hdrlEnd = 20 + c.headerListSize;
  uint32_t size = 0;
  if (!w.Chunk(24, hdrlEnd, "avih", &size)) return false;
  if (size != 56) return w.Fail("main header is not 56 bytes");
  for (int i = 0; i < 14; ++i) c.avih[i] = Le32(&f[32 + 4 * i]);
  if (!w.List(88, hdrlEnd, "strl", &c.streamListSize)) return false;
  const size_t strlEnd = 96 + c.streamListSize;
  if (!w.Chunk(100, strlEnd, "strh", &size)) return false;
  if (size != 64) return w.Fail("stream header is not 64 bytes");
  c.streamType = w.Code(108);
  c.streamHandler = w.Code(112);
  for (int i = 0; i < 14; ++i) c.strh[i] = Le32(&f[116 + 4 * i]);
  if (!w.Chunk(172, strlEnd, "strf", &size)) return false;
  if (size != 40) return w.Fail("format is not 40 bytes");
  for (int i = 0; i < 10; ++i) c.strf[i] = Le32(&f[180 + 4 * i]);
  if (strlEnd != hdrlEnd || hdrlEnd != 220) return w.Fail("header lists do not end at 220");

  if (!w.List(220, riffEnd, "movi", &c.movieSize)) return false;
  const size_t movi = 228, moviEnd = 228 + c.movieSize;
  for (size_t at = movi + 4; at < moviEnd;) {
    uint32_t bytes = 0;
    if (!w.Chunk(at, moviEnd, "00db", &bytes)) return false;
    AviFrameChunk frame;
    frame.offset = static_cast<uint32_t>(at - movi);
    frame.pixels.assign(f.begin() + at + 8, f.begin() + at + 8 + bytes);
    c.frames.push_back(std::move(frame));
    at += 8 + bytes + (bytes & 1);
  }
  if (moviEnd == riffEnd) return true;
  uint32_t indexSize = 0;
  if (!w.Chunk(moviEnd, riffEnd, "idx1", &indexSize)) return false;
  if (indexSize % 16 != 0 || moviEnd + 8 + indexSize != riffEnd) return w.Fail("bad index size");
  c.hasIndex = true;
  for (size_t at = moviEnd + 8; at < riffEnd; at += 16) {
    c.index.push_back(
        AviIndexEntry{w.Code(at), Le32(&f[at + 4]), Le32(&f[at + 8]), Le32(&f[at + 12])});
  }
  return true;
}

}  // namespace korvex::test
