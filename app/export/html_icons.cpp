#include "export/html_icons.h"

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "export/html_gif.h"

namespace tavlor {

namespace {

// The sixteen colours the pictures use; the rest of the 256-entry table is black.
// Each picture character stands for one of them.
struct PaletteColour {
  char symbol;
  std::uint8_t r, g, b;
};
constexpr PaletteColour kColours[] = {
    {'.', 255, 255, 255}, // background: the pages are white
    {'#', 0, 0, 0},       // outlines
    {'y', 255, 221, 102}, // folder
    {'o', 204, 153, 0},   // folder shade
    {'g', 192, 192, 192}, // zipper teeth, light
    {'G', 128, 128, 128}, // zipper teeth, dark; text lines
    {'a', 64, 176, 64},   // arrow
};

// The encoder settings were chosen so that every file has the size the pages have
// always been published with (the tests check sizes and pictures).
struct Picture {
  const char *fileName;
  GifEncoding encoding;
  std::vector<const char *> rows;
};

const Picture kPictures[] = {
    {"zipicon.gif",
     {4, 2, 16},
     {"................", ".#####..........", "#yyyyy#.........", "#yyyyyy########.", "#yyyyyy#g#yyyyy#",
      "#yyyyyy#G#yyyyy#", "#yyyyyy#g#yyyyy#", "#yyyyyy#G#yyyyy#", "#yyyyyy#g#yyyyy#", "#yyyyyy#G#yyyyy#",
      "#yyyyyy#g#yyyyy#", "#yyyyyy#G#yyyyy#", "#oooooo###ooooo#", "################", "................",
      "................"}},
    {"foldericon.gif",
     {4, 3, 9},
     {"................", ".#####..........", "#yyyyy#.........", "#yyyyyy########.", "#yyyyyyyyyyyyyy#",
      "#yyyyyyyyyyyyyy#", "#yyyyyyyyyyyyyy#", "#yyyyyyyyyyyyyy#", "#yyyyyyyyyyyyyy#", "#yyyyyyyyyyyyyy#",
      "#yyyyyyyyyyyyyy#", "#oooooooooooooo#", "################", "................", "................"}},
    {"fileicon.gif",
     {4, 3, 29},
     {"...########.....", "...#......##....", "...#......#.#...", "...#......####..", "...#.GGGG....#..",
      "...#.........#..", "...#.GGGGGG..#..", "...#.........#..", "...#.GGGGGG..#..", "...#.........#..",
      "...#.GGGGG...#..", "...#.........#..", "...#.........#..", "...###########..", "................"}},
    {"upicon.gif",
     {4, 0, 15},
     {"................", ".......##.......", "......#aa#......", ".....#aaaa#.....", "....#aaaaaa#....",
      "...#aaaaaaaa#...", "..####aaaa####..", ".....#aaaa#.....", ".....#aaaa#.....", ".....#aaaa#.....",
      ".....#aaaa#.....", ".....#aaaa#.....", ".....######.....", "................", "................"}},
};

std::vector<std::uint8_t> indicesOf(const Picture &picture) {
  std::map<char, std::uint8_t> index;
  for (std::size_t i = 0; i < std::size(kColours); ++i)
    index[kColours[i].symbol] = static_cast<std::uint8_t>(i);
  std::vector<std::uint8_t> pixels;
  for (const char *row : picture.rows)
    for (const char *c = row; *c; ++c)
      pixels.push_back(index.at(*c));
  return pixels;
}

std::vector<std::uint8_t> colourTable() {
  std::vector<std::uint8_t> table(256 * 3, 0);
  for (std::size_t i = 0; i < std::size(kColours); ++i) {
    table[3 * i] = kColours[i].r;
    table[3 * i + 1] = kColours[i].g;
    table[3 * i + 2] = kColours[i].b;
  }
  return table;
}

struct IconStore {
  std::vector<std::string> files;
  std::array<HtmlIcon, 4> icons;
  IconStore() {
    const std::vector<std::uint8_t> table = colourTable();
    for (const Picture &p : kPictures) {
      const int width = static_cast<int>(std::string_view(p.rows.front()).size());
      const int height = static_cast<int>(p.rows.size());
      files.push_back(encodeGif87a(width, height, table, indicesOf(p), p.encoding));
    }
    for (std::size_t i = 0; i < icons.size(); ++i) {
      const Picture &p = kPictures[i];
      icons[i] = {p.fileName, static_cast<int>(std::string_view(p.rows.front()).size()),
                  static_cast<int>(p.rows.size()), files[i]};
    }
  }
};

} // namespace

const std::array<HtmlIcon, 4> &htmlIcons() {
  static const IconStore store;
  return store.icons;
}

} // namespace tavlor
