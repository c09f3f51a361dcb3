#include "export/html_gif.h"

#include <map>
#include <utility>

namespace tavlor {

namespace {

constexpr int kMaxCodes = 4096;

class CodeWriter {
public:
  void put(int code, int bits) {
    buffer_ |= static_cast<std::uint32_t>(code) << count_;
    count_ += bits;
    while (count_ >= 8) {
      bytes_.push_back(static_cast<char>(buffer_ & 0xff));
      buffer_ >>= 8;
      count_ -= 8;
    }
  }
  std::string finish() {
    if (count_ > 0) bytes_.push_back(static_cast<char>(buffer_ & 0xff));
    buffer_ = 0;
    count_ = 0;
    return std::move(bytes_);
  }

private:
  std::string bytes_;
  std::uint32_t buffer_ = 0;
  int count_ = 0;
};

// The LZW code stream of the pixels. Code widths follow the decoder's view of the
// table: a decoder adds an entry one code later than the encoder, so the width grows
// after a code is written while the next free entry no longer fits.
std::string lzw(const std::vector<std::uint8_t> &pixels, const GifEncoding &e) {
  const int clear = 1 << e.minCodeSize;
  const int end = clear + 1;
  CodeWriter out;
  std::map<std::pair<int, std::uint8_t>, int> table;
  int width = e.minCodeSize + 1;
  int next = end + 1;
  int sinceClear = 0;
  auto emit = [&](int code) {
    out.put(code, width);
    if (next > (1 << width) - 1 && width < 12) ++width;
  };
  auto reset = [&] {
    out.put(clear, width);
    table.clear();
    width = e.minCodeSize + 1;
    next = end + 1;
    sinceClear = 0;
  };
  reset();
  std::size_t i = 0;
  while (i < pixels.size()) {
    int code = pixels[i++];
    int length = 1;
    while (i < pixels.size() && (e.maxMatch == 0 || length < e.maxMatch)) {
      auto found = table.find({code, pixels[i]});
      if (found == table.end()) break;
      code = found->second;
      ++i;
      ++length;
    }
    emit(code);
    ++sinceClear;
    if (i < pixels.size()) {
      if (e.clearEvery > 0 && sinceClear >= e.clearEvery) {
        reset();
        continue;
      }
      if (next < kMaxCodes) table.emplace(std::make_pair(code, pixels[i]), next++);
    }
  }
  out.put(end, width);
  return out.finish();
}

void put16(std::string &s, int value) {
  s.push_back(static_cast<char>(value & 0xff));
  s.push_back(static_cast<char>((value >> 8) & 0xff));
}

} // namespace

std::string encodeGif87a(int width, int height, const std::vector<std::uint8_t> &table,
                         const std::vector<std::uint8_t> &pixels, const GifEncoding &encoding) {
  std::string gif = "GIF87a";
  put16(gif, width);
  put16(gif, height);
  gif.push_back(static_cast<char>(0xf7)); // global table of 2^(7+1) entries, 8 bits a primary
  gif.push_back(0);                       // background colour index
  gif.push_back(0);                       // no aspect ratio
  gif.append(reinterpret_cast<const char *>(table.data()), table.size());
  gif.push_back(',');
  put16(gif, 0);
  put16(gif, 0);
  put16(gif, width);
  put16(gif, height);
  gif.push_back(0); // no local table, not interlaced
  gif.push_back(static_cast<char>(encoding.minCodeSize));
  const std::string data = lzw(pixels, encoding);
  for (std::size_t at = 0; at < data.size(); at += 255) {
    const std::size_t n = std::min<std::size_t>(255, data.size() - at);
    gif.push_back(static_cast<char>(n));
    gif.append(data, at, n);
  }
  gif.push_back(0);
  gif.push_back(';');
  return gif;
}

} // namespace tavlor
