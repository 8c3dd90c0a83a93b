// Input streams and the unmarshaller: plain and gzip files read alike, no
// descriptor left behind, the reason a file could not be opened, and
// documents read into objects or refused.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <zlib.h>

#include "Elements.h"
#include "FileInputStream.h"
#include "GZIPInputStream.h"
#include "TestSupport.h"
#include "Unmarshaller.h"

using namespace testing_support;

namespace {

std::string read_all(rnaml::InputStream& stream)
{
  std::string text;
  char buffer[7];
  for (int n; (n = stream.read(buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  return text;
}

void write_gzip(const std::string& path, const std::string& text)
{
  gzFile out = gzopen(path.c_str(), "wb");
  gzwrite(out, text.data(), static_cast<unsigned>(text.size()));
  gzclose(out);
}

const char* const kDocument =
  "<?xml version=\"1.0\"?>\n<rnaml version=\"1.1\">\n"
  "  <molecule id=\"m1\"/>\n  <interactions/>\n  <molecule id=\"m2\" type=\"dna\"/>\n</rnaml>\n";

}  // namespace

TEST(Streams, GzipOverAFileReadsPlainAndCompressedAlike)
{
  TempDir dir;
  std::string text = "<rnaml>\n" + std::string(5000, 'x') + "\n</rnaml>\n";
  write_file(dir.file("plain.xml"), text);
  write_gzip(dir.file("packed.xml.gz"), text);
  int before = open_descriptors();
  for (const char* name : {"plain.xml", "packed.xml.gz"}) {
    rnaml::GZIPInputStream stream(new rnaml::FileInputStream(dir.file(name).c_str()));
    ASSERT_NE(stream.getCStructure(), nullptr);
    EXPECT_EQ(open_descriptors(), before + 1) << "the FILE is closed, its descriptor's copy read";
    EXPECT_EQ(stream.read(), '<');
    EXPECT_EQ(read_all(stream), text.substr(1)) << name;
    EXPECT_TRUE(stream.getEOS());
    EXPECT_FALSE(stream.close()) << "false: the close succeeded";
    EXPECT_FALSE(stream.close());
    EXPECT_EQ(open_descriptors(), before) << name;
  }
}

TEST(Streams, FileStreamsLeaveTheFileToClose)
{
  TempDir dir;
  write_file(dir.file("a.xml"), "abc");
  int before = open_descriptors();
  {
    rnaml::FileInputStream stream(dir.file("a.xml").c_str());
    EXPECT_GE(stream.getFD(), 0);
    EXPECT_EQ(read_all(stream), "abc");
    EXPECT_FALSE(stream.getError());
    EXPECT_STREQ(stream.getErrorString(), "");
  }
  EXPECT_EQ(open_descriptors(), before + 1) << "deleting a stream does not close its file";

  rnaml::FileInputStream missing(dir.file("none.xml").c_str());
  EXPECT_EQ(missing.getCStructure(), nullptr);
  EXPECT_TRUE(missing.getError());
  EXPECT_STREQ(missing.getErrorString(), "No such file or directory");
  EXPECT_EQ(missing.read(), -1);
  EXPECT_TRUE(missing.close()) << "true: nothing could be closed";
  rnaml::GZIPInputStream over(&missing);
  EXPECT_EQ(over.getCStructure(), nullptr);
  EXPECT_TRUE(over.getEOS());
}

TEST(Streams, UnmarshallerReadsDocumentsIntoObjects)
{
  TempDir dir;
  write_file(dir.file("doc.xml"), kDocument);
  write_file(dir.file("a.pdb"), "ATOM      1  P     G A   1       1.000   2.000   3.000  1.00  0.00\n");
  rnaml::Unmarshaller unmarshaller;
  unmarshaller.setValidating(true);
  rnaml::Unmarshaller copy(unmarshaller);
  EXPECT_TRUE(copy == unmarshaller);
  copy.setValidating(false);
  EXPECT_FALSE(copy == unmarshaller);

  FILE* file = fopen(dir.file("doc.xml").c_str(), "r");
  std::unique_ptr<rnaml::Rnaml> document(unmarshaller.unmarshall(file));
  ASSERT_NE(document, nullptr);
  EXPECT_EQ(fclose(file), 0) << "the FILE stays open";
  const std::vector<rnaml::Object*>& top = document->getChildren();
  ASSERT_EQ(top.size(), 3u);
  EXPECT_STREQ(dynamic_cast<rnaml::Molecule&>(*top[0]).getId(), "m1");
  EXPECT_NE(dynamic_cast<rnaml::Interactions*>(top[1]), nullptr);
  EXPECT_STREQ(dynamic_cast<rnaml::Molecule&>(*top[2]).getType(), "dna");

  rnaml::GZIPInputStream pdb(new rnaml::FileInputStream(dir.file("a.pdb").c_str()));
  testing::internal::CaptureStderr();
  EXPECT_EQ(unmarshaller.unmarshall(pdb), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  pdb.close();
}
