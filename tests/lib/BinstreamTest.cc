#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "BinaryBytes.h"
#include "Binstream.h"

using testing_support::bytes_of;
using testing_support::hex;

namespace {

}  // namespace

TEST(Binstream, PrimitivesAreBigEndian)
{
  EXPECT_EQ(hex(bytes_of(1)), "00 00 00 01");
  EXPECT_EQ(hex(bytes_of(-2)), "FF FF FF FE");
  EXPECT_EQ(hex(bytes_of(1.0f)), "3F 80 00 00");
  EXPECT_EQ(hex(bytes_of(static_cast<short>(-300))), "FE D4");
  EXPECT_EQ(hex(bytes_of(7L)), "00 00 00 07");
  EXPECT_EQ(hex(bytes_of('A')), "00 41");
  EXPECT_EQ(hex(bytes_of(static_cast<char>(0xE9))), "FF E9");
  EXPECT_EQ(hex(bytes_of("")), "00 00");
  EXPECT_EQ(hex(bytes_of("ab")), "00 02 61 62");
}

TEST(Binstream, RoundTripOfEveryPrimitive)
{
  std::stringbuf buf;
  oBinstream out(&buf);
  out << 'z' << static_cast<char>(0xE9) << static_cast<short>(-12345) << -123456789
      << -5L << -0.15625f << "name" << "";
  ASSERT_TRUE(out.good());

  iBinstream in(&buf);
  char c1, c2;
  short s;
  int i;
  long l;
  float f;
  char name[8];
  char* empty = nullptr;
  in >> c1 >> c2 >> s >> i >> l >> f >> name >> &empty;
  ASSERT_TRUE(in.good());
  EXPECT_EQ(c1, 'z');
  EXPECT_EQ(c2, static_cast<char>(0xE9));
  EXPECT_EQ(s, -12345);
  EXPECT_EQ(i, -123456789);
  EXPECT_EQ(l, -5L);
  EXPECT_EQ(f, -0.15625f);
  EXPECT_STREQ(name, "name");
  ASSERT_NE(empty, nullptr);
  EXPECT_STREQ(empty, "");
  delete[] empty;
}

TEST(Binstream, ShortReadFailsTheStream)
{
  std::stringbuf buf(std::string("\x00\x01", 2));
  iBinstream in(&buf);
  int i = 99;
  in >> i;
  EXPECT_TRUE(in.fail());
  EXPECT_TRUE(in.eof());
}

TEST(Binstream, StringReadersAreBounded)
{
  {  // a stored length larger than the destination
    std::stringbuf buf(bytes_of("abcdefgh"));
    iBinstream in(&buf);
    char small[4] = {'x', 'x', 'x', 'x'};
    in >> small;
    EXPECT_TRUE(in.fail());
    EXPECT_EQ(small[3], 'x');
  }
  {  // exactly fits, with its terminator
    std::stringbuf buf(bytes_of("abc"));
    iBinstream in(&buf);
    char fits[4];
    in >> fits;
    EXPECT_TRUE(in.good());
    EXPECT_STREQ(fits, "abc");
  }
  {  // a negative stored length
    std::stringbuf buf(std::string("\x80\x01zz", 4));
    iBinstream in(&buf);
    char* text = reinterpret_cast<char*>(1);
    in >> &text;
    EXPECT_TRUE(in.fail());
    EXPECT_EQ(text, nullptr);
  }
  {  // a length longer than what follows
    std::stringbuf buf(std::string("\x00\x05" "ab", 4));
    iBinstream in(&buf);
    char* text = reinterpret_cast<char*>(1);
    in >> &text;
    EXPECT_TRUE(in.fail());
    EXPECT_EQ(text, nullptr);
    char dest[16];
    std::stringbuf buf2(std::string("\x00\x05" "ab", 4));
    iBinstream in2(&buf2);
    in2 >> dest;
    EXPECT_TRUE(in2.fail());
    EXPECT_STREQ(dest, "");
  }
}

TEST(Binstream, TooLongStringFailsInsteadOfCorrupting)
{
  std::string huge(40000, 'a');
  std::stringbuf buf;
  oBinstream out(&buf);
  out << huge.c_str();
  EXPECT_TRUE(out.fail());
  EXPECT_EQ(buf.str(), "");
}
