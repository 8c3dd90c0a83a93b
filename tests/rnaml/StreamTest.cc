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

TEST(Streams, GzipOverAFileReadsPlainAndCompressedAlike)
{
  TempDir dir;
  std::string text = "<rnaml>\n" + std::string(5000, 'x') + "\n</rnaml>\n";
  write_file(dir.file("plain.xml"), text);
  gzFile packed = gzopen(dir.file("packed.xml.gz").c_str(), "wb");
  gzwrite(packed, text.data(), static_cast<unsigned>(text.size()));
  gzclose(packed);
  int before = open_descriptors();
  for (const char* name : {"plain.xml", "packed.xml.gz"}) {
    rnaml::GZIPInputStream stream(new rnaml::FileInputStream(dir.file(name).c_str()));
    EXPECT_EQ(open_descriptors(), before + 1) << "the FILE is closed, a copy of its descriptor read";
    EXPECT_EQ(stream.read(), '<');
    std::string read(1, '<');
    char buffer[7];
    for (int n; (n = stream.read(buffer, sizeof buffer)) > 0;) read.append(buffer, n);
    EXPECT_EQ(read, text) << name;
    EXPECT_FALSE(stream.close()) << "false: the close succeeded";
    EXPECT_FALSE(stream.close());
    EXPECT_EQ(open_descriptors(), before);
  }

  delete new rnaml::FileInputStream(dir.file("plain.xml").c_str());
  EXPECT_EQ(open_descriptors(), before + 1) << "deleting a stream does not close its file";
  rnaml::FileInputStream missing(dir.file("none.xml").c_str());
  EXPECT_TRUE(missing.getError());
  EXPECT_STREQ(missing.getErrorString(), "No such file or directory");
  EXPECT_TRUE(missing.close()) << "true: nothing could be closed";
  rnaml::GZIPInputStream over(&missing);  // left to its owner
  EXPECT_EQ(over.getCStructure(), nullptr);
}

TEST(Streams, UnmarshallerReadsDocumentsIntoObjects)
{
  TempDir dir;
  write_file(dir.file("doc.xml"),
             "<rnaml version=\"1.1\"><molecule id=\"m1\"/><interactions/><molecule id=\"m2\"/></rnaml>");
  write_file(dir.file("a.pdb"), "ATOM      1  P     G A   1       1.000   2.000   3.000  1.00  0.00\n");
  rnaml::Unmarshaller unmarshaller;
  rnaml::Unmarshaller copy(unmarshaller);
  EXPECT_TRUE(copy == unmarshaller);
  copy.setValidating(true);
  EXPECT_FALSE(copy == unmarshaller);

  FILE* file = fopen(dir.file("doc.xml").c_str(), "r");
  std::unique_ptr<rnaml::Rnaml> document(unmarshaller.unmarshall(file));
  EXPECT_EQ(fclose(file), 0) << "the FILE stays open";
  ASSERT_NE(document, nullptr);
  const std::vector<rnaml::Object*>& top = document->getChildren();
  ASSERT_EQ(top.size(), 3u);
  EXPECT_STREQ(dynamic_cast<rnaml::Molecule&>(*top[0]).getId(), "m1");
  EXPECT_NE(dynamic_cast<rnaml::Interactions*>(top[1]), nullptr);
  EXPECT_STREQ(dynamic_cast<rnaml::Molecule&>(*top[2]).getId(), "m2");

  rnaml::GZIPInputStream pdb(new rnaml::FileInputStream(dir.file("a.pdb").c_str()));
  testing::internal::CaptureStderr();
  EXPECT_EQ(unmarshaller.unmarshall(pdb), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  pdb.close();
}
