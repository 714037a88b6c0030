// The .ico format: a 6-byte header (reserved 0, type 1, image count), then one
// 16-byte directory entry per image (width, height, colours, reserved, planes,
// bits per pixel, size and offset of the image data), all little-endian.
#include "icon.h"

#include <cstdint>

#include "error.h"
#include "read_file.h"

namespace forms {
namespace {

unsigned ReadU16(const std::string& data, std::size_t at) {
  return static_cast<unsigned char>(data[at]) | static_cast<unsigned char>(data[at + 1]) << 8;
}

std::uint32_t ReadU32(const std::string& data, std::size_t at) {
  return ReadU16(data, at) | static_cast<std::uint32_t>(ReadU16(data, at + 2)) << 16;
}

Error InvalidIcon(std::string_view path, const std::string& why) {
  return Error("Invalid icon \"" + std::string(path) + "\": " + why);
}

}  // namespace

void Icon::LoadFromFile(std::string_view path) {
  const std::string data = ReadWholeFile(path);

  constexpr std::size_t kHeader = 6, kEntry = 16;
  if (data.size() < kHeader || ReadU16(data, 0) != 0 || ReadU16(data, 2) != 1) {
    throw InvalidIcon(path, "not an icon file");
  }
  const unsigned count = ReadU16(data, 4);
  if (count == 0) throw InvalidIcon(path, "it holds no image");
  if (data.size() < kHeader + count * kEntry) throw InvalidIcon(path, "the image directory is cut short");

  std::vector<Image> images;
  for (unsigned i = 0; i < count; ++i) {
    const std::size_t entry = kHeader + i * kEntry;
    const std::uint64_t size = ReadU32(data, entry + 8);
    const std::uint64_t offset = ReadU32(data, entry + 12);
    if (size == 0 || offset + size > data.size()) {
      throw InvalidIcon(path, "image " + std::to_string(i + 1) + " lies outside the file");
    }
    Image image;
    image.width = static_cast<unsigned char>(data[entry]) == 0 ? 256 : static_cast<unsigned char>(data[entry]);
    image.height = static_cast<unsigned char>(data[entry + 1]) == 0 ? 256 : static_cast<unsigned char>(data[entry + 1]);
    image.bit_count = static_cast<int>(ReadU16(data, entry + 6));
    images.push_back(image);
  }
  images_ = std::move(images);
  file_name_ = std::string(path);
}

}  // namespace forms
