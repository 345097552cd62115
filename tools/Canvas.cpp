// A floating-point RGBA drawing surface with anti-aliased shape filling, for billboard images.
#include "tools/Canvas.h"

#include <algorithm>
#include <cmath>

#include "tools/PixelBytes.h"

namespace {

constexpr double kDesignSize = 128.0;

}  // namespace

Canvas::Canvas(int size)
    : size_(size),
      unit_(size / kDesignSize),
      premultiplied_(static_cast<std::size_t>(size) * static_cast<std::size_t>(size) * 4, 0.0) {}

void Canvas::Fill(const Shape& shape, Colour colour, double softness) {
  for (int row = 0; row < size_; ++row) {
    for (int col = 0; col < size_; ++col) {
      const double distance = shape((col + 0.5) / unit_, (row + 0.5) / unit_) * unit_;
      const double coverage = std::clamp(0.5 - distance / softness, 0.0, 1.0) * colour.a;
      if (coverage <= 0.0) {
        continue;
      }
      double* pixel = &premultiplied_[(static_cast<std::size_t>(row) * size_ + col) * 4];
      pixel[0] = colour.r * coverage + pixel[0] * (1.0 - coverage);
      pixel[1] = colour.g * coverage + pixel[1] * (1.0 - coverage);
      pixel[2] = colour.b * coverage + pixel[2] * (1.0 - coverage);
      pixel[3] = coverage + pixel[3] * (1.0 - coverage);
    }
  }
}

void Canvas::FillOutlined(const Shape& shape, Colour colour, Colour outline, double outlineWidth) {
  Fill([&](double x, double y) { return shape(x, y) - outlineWidth; }, outline);
  Fill(shape, colour);
}

RgbaImage Canvas::ToImage(Colour pad) const {
  RgbaImage image;
  image.width = size_;
  image.height = size_;
  image.bytes.resize(premultiplied_.size());
  for (std::size_t i = 0; i < premultiplied_.size(); i += 4) {
    const double alpha = premultiplied_[i + 3];
    const unsigned char alphaByte = PixelBytes::FromUnit(alpha);
    for (std::size_t c = 0; c < 3; ++c) {
      const double padChannel = c == 0 ? pad.r : (c == 1 ? pad.g : pad.b);
      image.bytes[i + c] = PixelBytes::FromUnit(alphaByte == 0 ? padChannel : premultiplied_[i + c] / alpha);
    }
    image.bytes[i + 3] = alphaByte;
  }
  return image;
}
