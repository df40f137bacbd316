// Pictures small enough to write inline: the headers the image sniffing
// reads, with the dimensions and depth a test needs.
#pragma once

#include <cstdint>
#include <string>

// A little-endian TIFF directory with width, height and bits per sample.
inline std::string Tiff(uint16_t width, uint16_t height, uint16_t bits) {
  std::string data("II*\0\x08\0\0\0", 8);
  auto word = [&](uint16_t v) {
    data += static_cast<char>(v & 0xFF);
    data += static_cast<char>(v >> 8);
  };
  word(3);
  const uint16_t entries[3][2] = {{256, width}, {257, height}, {258, bits}};
  for (const auto& entry : entries) {
    word(entry[0]);
    word(3);
    data.append("\x01\0\0\0", 4);
    word(entry[1]);
    word(0);
  }
  return data.append(4, '\0');
}

// A greyscale baseline JPEG frame header: 8 bits per pixel.
inline std::string Jpeg(uint16_t width, uint16_t height) {
  std::string data("\xFF\xD8\xFF\xC0\x00\x0B\x08", 7);
  for (const uint16_t v : {height, width}) {
    data += static_cast<char>(v >> 8);
    data += static_cast<char>(v & 0xFF);
  }
  return data.append("\x01\x01\x11\x00\xFF\xD9", 6);
}
