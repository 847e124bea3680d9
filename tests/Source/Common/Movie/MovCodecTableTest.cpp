#include "MovCodecTable.h"

#include <gtest/gtest.h>

#include <string>

#include "WaveFormat.h"

namespace {

std::u16string VideoName(int index) {
  WCHAR out[64] = {};
  return GetMovVideoCompressorName(index, out) ? out : u"<none>";
}

std::u16string AudioName(int index) {
  WCHAR out[64] = {};
  return GetMovAudioCompressorName(index, out) ? out : u"<none>";
}

TEST(MovCodecTable, RowsByIndex) {
  EXPECT_TRUE(EnumMovVideoCompressor());
  EXPECT_TRUE(EnumMovAudioCompressor());
  EXPECT_EQ(GetMovVideoCompressorNumb(), 15);
  EXPECT_EQ(GetMovAudioCompressorNumb(), 16);
  EXPECT_EQ(VideoName(0), u"JPEG Codec");
  EXPECT_EQ(VideoName(11), u"MPEG4 Codec");
  EXPECT_EQ(VideoName(14), u"mpeg");
  EXPECT_EQ(VideoName(15), u"<none>");
  EXPECT_EQ(VideoName(-1), u"<none>");
  EXPECT_EQ(AudioName(15), u"IntelADPCM");
  EXPECT_EQ(AudioName(16), u"<none>");
}

TEST(MovCodecTable, LookUpsByNameAndType) {
  EXPECT_EQ(GetMovVideoCodecIndex(u"mpeg4 codec"), 11);
  EXPECT_EQ(GetMovVideoCodecIndex(u"No Such Codec"), 0);
  EXPECT_EQ(GetMovVideoCodecIndex(nullptr), 0);
  EXPECT_EQ(GetMovVideoCodecType(u"MotionJPEGA Codec"), MovFourCC('m', 'j', 'p', 'a'));
  EXPECT_EQ(GetMovVideoCodecType(u"mpeg"), MovFourCC('j', 'p', 'e', 'g'));
  EXPECT_EQ(GetMovVideoCodecType(u"unknown"), MovFourCC('j', 'p', 'e', 'g'));
  EXPECT_EQ(GetMovAudioCodecType(u"16-BIT LITTLE ENDIAN"), MovFourCC('s', 'o', 'w', 't'));
  EXPECT_EQ(GetMovAudioCodecType(u"unknown"), MovFourCC('N', 'O', 'N', 'E'));
  EXPECT_EQ(GetMovAudioCodecIndex(u"IntelADPCM"), 15);

  WCHAR name[64] = {};
  EXPECT_TRUE(GetMovVideoCodecName(MovFourCC('j', 'p', 'e', 'g'), name));
  EXPECT_EQ(std::u16string(name), u"JPEG Codec") << "the first of the two rows";
  EXPECT_TRUE(GetMovAudioCodecName(0x6D730002, name));
  EXPECT_EQ(std::u16string(name), u"MicrosoftADPCM");
  EXPECT_FALSE(GetMovVideoCodecName(MovFourCC('x', 'v', 'i', 'd'), name));
}

TEST(MovCodecTable, QualityAppliesToLossyCompressorsOnly) {
  for (const char16_t* name : {u"Raw Codec", u"bmp codec", u"Targa Codec", u"PNG Codec", u"TIFF Codec"})
    EXPECT_FALSE(IsMovVideoCompressorQualityValid(name));
  for (const char16_t* name : {u"JPEG Codec", u"MPEG4 Codec", u"H264 Codec", u"anything"})
    EXPECT_TRUE(IsMovVideoCompressorQualityValid(name));
}

TEST(MovCodecTable, SoundFormatValidity) {
  tWAVEFORMATEX stereo;
  stereo.wFormatTag = 1;
  stereo.nChannels = 2;
  stereo.nSamplesPerSec = 44100;
  stereo.wBitsPerSample = 16;
  tWAVEFORMATEX hiRes = stereo;
  hiRes.nSamplesPerSec = 96000;
  struct Case {
    const char16_t* name;
    const tWAVEFORMATEX* format;
    bool valid;
  } cases[] = {
      {u"Un Compressed", &stereo, true},
      {u"16-bit little endian", &hiRes, true},
      {u"24-bit integer", &stereo, true},
      {u"IMA 4:1", &stereo, true},
      {u"AAC", &stereo, true},          // every row counts, not only the first twelve
      {u"MicrosoftADPCM", &stereo, true},
      {u"MACE 3:1", &stereo, false},    // no encoder for it
      {u"No Such Codec", &stereo, false},
      {u"AAC", nullptr, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsMovAudioFormatValid(c.name, c.format), c.valid) << std::string(c.name, c.name + 3);
  EXPECT_TRUE(IsQuickTimeInit());
}

}  // namespace
