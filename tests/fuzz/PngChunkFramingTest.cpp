// The memory decode's check of chunk framing: lengths past the end are refused before libpng
// sees them, while everything a valid file may hold still loads.
#include <gtest/gtest.h>

#include <vector>

#include "platform/PngPixels.h"
#include "tests/support/FileBytes.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr std::size_t kHeaderEnd = 33;  // signature and IHDR chunk

Bytes ValidImage() { return FileBytes::Read("tests/fuzz/corpus/png/ok-4x4-c4-rgba.png"); }

bool Decodes(const Bytes& bytes) {
  PngRaw raw;
  return PngPixels::LoadRawFromMemory(bytes.data(), bytes.size(), raw) && raw.width == 4 && raw.height == 4;
}

// A text chunk whose length field claims `claimed` bytes while `held` follow it.
Bytes WithTextChunk(unsigned claimed, std::size_t held) {
  Bytes bytes = ValidImage();
  Bytes chunk = {static_cast<unsigned char>(claimed >> 24),
                 static_cast<unsigned char>(claimed >> 16),
                 static_cast<unsigned char>(claimed >> 8),
                 static_cast<unsigned char>(claimed),
                 't',
                 'E',
                 'X',
                 't'};
  chunk.insert(chunk.end(), held + 4, 'a');
  bytes.insert(bytes.begin() + kHeaderEnd, chunk.begin(), chunk.end());
  return bytes;
}

}  // namespace

TEST(PngChunkFraming, ValidImageDecodes) { EXPECT_TRUE(Decodes(ValidImage())); }

TEST(PngChunkFraming, ChunkClaimingMoreThanTheFileHoldsIsRefused) {
  EXPECT_FALSE(Decodes(WithTextChunk(0x73504C54u, 10)));
  EXPECT_FALSE(Decodes(WithTextChunk(0x7FFFFFFFu, 10)));
}

TEST(PngChunkFraming, SideChunkThatFitsIsSkippedOver) { EXPECT_TRUE(Decodes(WithTextChunk(10, 10))); }

TEST(PngChunkFraming, BytesAfterTheEndChunkAreIgnored) {
  Bytes bytes = ValidImage();
  bytes.insert(bytes.end(), {0xFF, 0xFF, 0xFF, 0xFF, 'j', 'u', 'n', 'k'});
  EXPECT_TRUE(Decodes(bytes));
}

TEST(PngChunkFraming, MissingEndChunkIsRefused) {
  Bytes bytes = ValidImage();
  bytes.resize(bytes.size() - 12);
  EXPECT_FALSE(Decodes(bytes));
}
