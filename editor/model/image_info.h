// The size of a document file and, for a picture, its dimensions and colour
// depth, read from a few header fields without decoding the picture.
#pragma once

#include <cstdint>
#include <string>

constexpr uint8_t kImageNone = 0;
constexpr uint8_t kImageGif = 1;
constexpr uint8_t kImageJpeg = 2;
constexpr uint8_t kImagePng = 3;
constexpr uint8_t kImageBmp = 4;
constexpr uint8_t kImagePcx = 5;
constexpr uint8_t kImageTiff = 6;

class TDCImageInfo {
 public:
  // Never raises. A file that is no recognised picture reads as kind 0 with
  // zero dimensions. False for a file that cannot be opened: it reads as
  // kind 0 and size 0, so that no earlier file's size stands for it.
  bool Read(const std::string& file_name);
  // Zeroes everything but FileSize.
  void Reset();

  int32_t Width = 0;
  int32_t Height = 0;
  int32_t BitsPerPixel = 0;
  uint8_t Kind = kImageNone;
  // Bytes; a file of 2 GiB or more reads as INT32_MAX, so size limits still
  // hold for it.
  int32_t FileSize = 0;
};
