#include <gtest/gtest.h>

#include <istream>
#include <ostream>
#include <string>
#include <unistd.h>
#include <zlib.h>

#include "TestSupport.h"
#include "zfstream.h"

using testing_support::TempDir;
using testing_support::read_file;
using testing_support::write_file;

namespace {

class izfstream : public zfstreambase, public std::istream
{
public:
  izfstream() : std::istream(zbuf()) {}
};

class ozfstream : public zfstreambase, public std::ostream
{
public:
  ozfstream() : std::ostream(zbuf()) {}
};

std::string read_all(izfstream& in)
{
  std::string s;
  char c;
  while (in.get(c)) s += c;
  return s;
}

std::string gzip_bytes(const std::string& data, const std::string& path)
{
  gzFile f = gzopen(path.c_str(), "wb9");
  gzwrite(f, data.data(), data.size());
  gzclose(f);
  return read_file(path);
}

// Every byte value, over several refills of the 1024-byte buffer.
std::string sample_data()
{
  std::string s;
  for (int i = 0; i < 5000; ++i) s += static_cast<char>((i * 7) & 0xFF);
  return s;
}

}  // namespace

TEST(zfstream, ModeTextCarriesTheLevel)
{
  EXPECT_EQ(zfstreambuf::mode_text(std::ios::in, 1), "rb1");
  EXPECT_EQ(zfstreambuf::mode_text(std::ios::out, 9), "wb9");
  EXPECT_EQ(zfstreambuf::mode_text(std::ios::out | std::ios::trunc, 6), "wb6");
  EXPECT_EQ(zfstreambuf::mode_text(0, 3), "b3");
}

TEST(zfstream, PlainAndGzipReadAlike)
{
  TempDir dir;
  std::string data = sample_data();
  write_file(dir.file("plain"), data);
  gzip_bytes(data, dir.file("packed.gz"));

  for (const char* name : {"plain", "packed.gz"}) {
    izfstream in;
    in.open(dir.file(name).c_str(), std::ios::in, 1);
    ASSERT_TRUE(in.good()) << name;
    std::string got = read_all(in);
    EXPECT_EQ(got, data) << name;
    EXPECT_TRUE(in.eof());
    EXPECT_FALSE(in.bad());
    in.close();
    EXPECT_FALSE(in.bad()) << name;
  }
}

TEST(zfstream, ByteFFIsNotEndOfFile)
{
  TempDir dir;
  write_file(dir.file("ff"), std::string("\xff\xff", 2));
  zfstreambuf buf;
  ASSERT_NE(buf.open(dir.file("ff").c_str(), std::ios::in, 1), nullptr);
  EXPECT_EQ(buf.sbumpc(), 255);
  EXPECT_EQ(buf.sbumpc(), 255);
  EXPECT_EQ(buf.sbumpc(), std::char_traits<char>::eof());
}

TEST(zfstream, FourCharactersPutBackAcrossARefill)
{
  TempDir dir;
  std::string data = sample_data();
  write_file(dir.file("data"), data);
  zfstreambuf buf;
  ASSERT_NE(buf.open(dir.file("data").c_str(), std::ios::in, 1), nullptr);
  for (int i = 0; i < 1026; ++i) buf.sbumpc();  // into the second refill
  for (int i = 0; i < 2; ++i) ASSERT_NE(buf.sungetc(), std::char_traits<char>::eof());
  for (int i = 1024; i < 1030; ++i)
    EXPECT_EQ(buf.sbumpc(), static_cast<unsigned char>(data[i])) << i;

  zfstreambuf again;
  ASSERT_NE(again.open(dir.file("data").c_str(), std::ios::in, 1), nullptr);
  for (int i = 0; i < 1024; ++i) again.sbumpc();
  EXPECT_EQ(again.sgetc(), static_cast<unsigned char>(data[1024]));  // refill
  for (int i = 0; i < 4; ++i) EXPECT_NE(again.sungetc(), std::char_traits<char>::eof());
  EXPECT_EQ(again.sgetc(), static_cast<unsigned char>(data[1020]));
}

TEST(zfstream, WritesGzipThroughManyFlushes)
{
  TempDir dir;
  std::string data = sample_data();
  {
    ozfstream out;
    out.open(dir.file("w.gz").c_str(), std::ios::out, 9);
    ASSERT_TRUE(out.good());
    out.write(data.data(), data.size());
    out.close();
    EXPECT_TRUE(out.good());
  }
  std::string raw = read_file(dir.file("w.gz"));
  ASSERT_GE(raw.size(), 2u);
  EXPECT_EQ(static_cast<unsigned char>(raw[0]), 0x1f);  // gzip magic
  EXPECT_EQ(static_cast<unsigned char>(raw[1]), 0x8b);

  izfstream in;
  in.open(dir.file("w.gz").c_str(), std::ios::in, 1);
  EXPECT_EQ(read_all(in), data);
}

TEST(zfstream, RefusedModesFailWithoutOpening)
{
  TempDir dir;
  write_file(dir.file("f"), "x");
  for (int mode : {int(std::ios::in | std::ios::out), int(std::ios::out | std::ios::app),
                   int(std::ios::in | std::ios::ate), 0}) {
    izfstream in;
    in.open(dir.file("f").c_str(), mode, 1);
    EXPECT_TRUE(in.bad()) << mode;
    EXPECT_FALSE(in.zbuf()->is_open());
  }
  izfstream missing;
  missing.open(dir.file("absent").c_str(), std::ios::in, 1);
  EXPECT_TRUE(missing.bad());
}

TEST(zfstream, ReopeningAnOpenBufferFails)
{
  TempDir dir;
  write_file(dir.file("a"), "a");
  zfstreambuf buf;
  ASSERT_NE(buf.open(dir.file("a").c_str(), std::ios::in, 1), nullptr);
  EXPECT_EQ(buf.open(dir.file("a").c_str(), std::ios::in, 1), nullptr);
  EXPECT_TRUE(buf.is_open());
  EXPECT_EQ(buf.sbumpc(), 'a');
}

TEST(zfstream, ClosingNeverOpenedStreamStaysGood)
{
  izfstream in;
  in.close();
  EXPECT_TRUE(in.good());
}

TEST(zfstream, ReopenedBufferForgetsThePreviousFile)
{
  TempDir dir;
  write_file(dir.file("first"), std::string(3000, 'A'));
  write_file(dir.file("second"), "BC");
  zfstreambuf buf;
  ASSERT_NE(buf.open(dir.file("first").c_str(), std::ios::in, 1), nullptr);
  EXPECT_EQ(buf.sbumpc(), 'A');
  ASSERT_NE(buf.close(), nullptr);
  ASSERT_NE(buf.open(dir.file("second").c_str(), std::ios::in, 1), nullptr);
  EXPECT_EQ(buf.sbumpc(), 'B');
  EXPECT_EQ(buf.sbumpc(), 'C');
  EXPECT_EQ(buf.sbumpc(), std::char_traits<char>::eof());
}

TEST(zfstream, TruncatedGzipFailsTheStream)
{
  TempDir dir;
  std::string packed = gzip_bytes(sample_data(), dir.file("full.gz"));
  write_file(dir.file("cut.gz"), packed.substr(0, packed.size() / 2));

  izfstream in;
  in.open(dir.file("cut.gz").c_str(), std::ios::in, 1);
  ASSERT_TRUE(in.good());
  std::string got = read_all(in);
  EXPECT_LT(got.size(), sample_data().size());
  EXPECT_TRUE(in.bad());
  EXPECT_FALSE(in.zbuf()->error().empty());
}

TEST(zfstream, CorruptGzipFailsTheStream)
{
  TempDir dir;
  std::string packed = gzip_bytes(sample_data(), dir.file("full.gz"));
  // Damage the trailing checksum: the data inflates but does not verify.
  packed[packed.size() - 6] ^= 0x5a;
  write_file(dir.file("bad.gz"), packed);

  izfstream in;
  in.open(dir.file("bad.gz").c_str(), std::ios::in, 1);
  read_all(in);
  EXPECT_TRUE(in.bad());
}

TEST(zfstream, GetlineOverGzipLines)
{
  TempDir dir;
  gzip_bytes("first line\nsecond\n", dir.file("lines.gz"));
  izfstream in;
  in.open(dir.file("lines.gz").c_str(), std::ios::in, 1);
  std::string a, b, c;
  std::getline(in, a);
  std::getline(in, b);
  EXPECT_EQ(a, "first line");
  EXPECT_EQ(b, "second");
  EXPECT_FALSE(std::getline(in, c));
  EXPECT_FALSE(in.bad());
}

TEST(zfstream, FailedFinalWriteIsReportedByClose)
{
  // /dev/full takes the open and refuses every byte.
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  ozfstream out;
  out.open("/dev/full", std::ios::out, 9);
  ASSERT_TRUE(out.good());
  out << "a few bytes that stay in the buffer until the close";
  out.close();
  EXPECT_TRUE(out.bad());
}
