#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <string>

#include "TestSupport.h"
#include "VortanSupport.h"

using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;
using vortan_test::Stderr;

namespace {

int open_descriptors()
{
  int count = 0;
  DIR* dir = opendir("/proc/self/fd");
  while (readdir(dir)) ++count;
  closedir(dir);
  return count;
}

bool is_open(int fd)
{
  return fcntl(fd, F_GETFD) != -1;
}

// Every byte value, a NUL among them, three times over.
std::string all_bytes()
{
  std::string bytes;
  for (int round = 0; round < 3; ++round)
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

// The bytes up to the end, which is 0 or, for a failed stream, -1.
std::string read_all(vortanINPUTSTREAM* in, int end = 0)
{
  std::string out;
  char buffer[100];
  int n;
  while ((n = vortanreadInputStream(in, buffer, sizeof buffer)) > 0) out.append(buffer, n);
  EXPECT_EQ(n, end);
  return out;
}

void write_all(vortanOUTPUTSTREAM* out, const std::string& bytes)
{
  vortanwriteOutputStreamChar(out, bytes[0]);
  EXPECT_EQ(vortanwriteOutputStream(out, bytes.data() + 1, bytes.size() - 1),
            static_cast<int>(bytes.size() - 1));
}

}  // namespace

TEST(VortanStreams, FileAndGzipRoundTripsAgreeAndLeaveNothingOpen)
{
  TempDir dir;
  const std::string bytes = all_bytes();
  const int before = open_descriptors();

  vortanOUTPUTSTREAM* plain = vortannewFileOutputStreamString(dir.file("plain").c_str());
  write_all(plain, bytes);
  EXPECT_EQ(vortancloseOutputStream(plain), 0);
  EXPECT_EQ(vortancloseOutputStream(plain), 0);  // a second close touches nothing
  vortandeleteOutputStream(plain);
  EXPECT_EQ(read_file(dir.file("plain")), bytes);

  // Gzip output taking over a file stream that has buffered bytes.
  vortanOUTPUTSTREAM* file = vortannewFileOutputStreamString(dir.file("packed").c_str());
  vortanOUTPUTSTREAM* packed = vortannewGZIPOutputStream(file);
  ASSERT_NE(packed, nullptr);
  write_all(packed, bytes);
  EXPECT_EQ(vortanflushOutputStream(packed), Z_OK);
  EXPECT_EQ(vortancloseOutputStream(packed), Z_OK);
  vortandeleteOutputStream(packed);
  const std::string raw = read_file(dir.file("packed"));
  EXPECT_EQ(raw.substr(0, 2), "\x1f\x8b");
  EXPECT_NE(raw, bytes);

  write_file(dir.file("cut-trailer"), raw.substr(0, raw.size() - 8));
  write_file(dir.file("cut-middle"), raw.substr(0, raw.size() / 2));

  // The files read back through a gzip stream over a file stream: the
  // compressed one inflated, the plain one read through, those cut short
  // failing at their end, each as zlib's own gzread reads it (its message
  // names the path, the stream's names nothing).
  for (const std::string name : {"plain", "packed", "cut-trailer", "cut-middle"}) {
    gzFile zlib = gzopen(dir.file(name).c_str(), "rb");
    std::string expected(bytes.size(), '\0');
    expected.resize(std::max(gzread(zlib, &expected[0], expected.size()), 0));
    int error;
    const std::string message = gzerror(zlib, &error);
    const int closed = gzclose(zlib);
    EXPECT_EQ(error != Z_OK, name.compare(0, 3, "cut") == 0) << name;
    EXPECT_TRUE(error != Z_OK || expected == bytes) << name;
    vortanINPUTSTREAM* in = vortannewFileInputStreamString(dir.file(name).c_str());
    int fd = vortangetFileInputStreamFD(in);
    vortanINPUTSTREAM* gz = vortannewGZIPInputStream(in);
    ASSERT_NE(gz, nullptr) << name;
    EXPECT_FALSE(is_open(fd)) << name << ": the FILE was closed";
    EXPECT_EQ(vortanisInputStream(gz), 1);
    EXPECT_EQ(vortanreadInputStreamChar(gz), 0) << name;
    EXPECT_EQ(read_all(gz, error ? -1 : 0), expected.substr(1)) << name;
    EXPECT_NE(vortangetInputStreamEOS(gz), 0);
    EXPECT_EQ(vortanreadInputStreamChar(gz), -1);
    EXPECT_EQ(vortangetInputStreamError(gz), error) << name;
    EXPECT_EQ(error ? dir.file(name) + ": " + vortangetInputStreamErrorString(gz) : "", message) << name;
    EXPECT_EQ(vortancloseInputStream(gz), closed) << name;
    EXPECT_EQ(vortancloseInputStream(gz), 0);
    vortandeleteInputStream(gz);
  }

  // Plain reading: byte by byte and by blocks, 0 at the end.
  vortanINPUTSTREAM* in = vortannewFileInputStreamString(dir.file("plain").c_str());
  EXPECT_EQ(vortanreadFileInputStreamChar(in), 0);
  EXPECT_EQ(vortanreadFileInputStreamChar(in), 1);
  EXPECT_EQ(read_all(in), bytes.substr(2));
  EXPECT_NE(vortangetFileInputStreamEOS(in), 0);
  EXPECT_EQ(vortangetFileInputStreamError(in), 0);
  EXPECT_STREQ(vortangetFileInputStreamErrorString(in), "");
  EXPECT_EQ(vortancloseFileInputStream(in), 0);
  vortandeleteFileInputStream(in);

  EXPECT_EQ(open_descriptors(), before);
}

TEST(VortanStreams, GzipOverAFileStreamGoesOnWhereTheFileWas)
{
  TempDir dir;
  write_file(dir.file("text"), "first line\nsecond line\n");
  FILE* file = fopen(dir.file("text").c_str(), "r");
  vortanINPUTSTREAM* in = vortannewFileInputStreamFILE(file);
  char word[6] = {};
  EXPECT_EQ(vortanreadInputStream(in, word, 5), 5);  // stdio has read ahead
  EXPECT_STREQ(word, "first");
  vortanINPUTSTREAM* gz = vortannewGZIPInputStream(in);
  EXPECT_EQ(read_all(gz), " line\nsecond line\n");
  vortancloseInputStream(gz);
  vortandeleteInputStream(gz);
}

TEST(VortanStreams, DeletingLeavesTheFileOpen)
{
  TempDir dir;
  int fd = open(dir.file("out").c_str(), O_WRONLY | O_CREAT, 0644);
  vortanOUTPUTSTREAM* out = vortannewFileOutputStreamFD(fd);
  vortandelete(out);  // the generic delete leaves streams alone
  EXPECT_EQ(vortanisFileOutputStream(out), 1);
  vortanwriteOutputStream(out, "kept", 4);
  EXPECT_EQ(vortancloseOutputStream(out), 0);
  EXPECT_FALSE(is_open(fd));
  vortandeleteFileOutputStream(out);
  EXPECT_EQ(read_file(dir.file("out")), "kept");

  FILE* file = fopen(dir.file("out").c_str(), "r");
  FILE* written = fopen(dir.file("other").c_str(), "w");
  vortanINPUTSTREAM* in = vortannewFileInputStreamFILE(file);
  vortanPRINTSTREAM* print = vortannewPrintStream(vortannewFileOutputStreamFILE(written));
  vortanprintPrintStreamString(print, "buffered");
  vortandeletePrintStream(print);  // deletes the file output record, flushes nothing
  vortandeleteInputStream(in);
  EXPECT_TRUE(is_open(fileno(file)));
  EXPECT_TRUE(is_open(fileno(written)));
  EXPECT_EQ(read_file(dir.file("other")), "");
  fclose(file);
  fclose(written);
  EXPECT_EQ(read_file(dir.file("other")), "buffered");
}

TEST(VortanStreams, PrintStreamsFormatIntoTheInnermostStream)
{
  TempDir dir;
  for (bool gzip : {false, true}) {
    std::string path = dir.file(gzip ? "printed.gz" : "printed");
    vortanOUTPUTSTREAM* file = vortannewFileOutputStreamString(path.c_str());
    vortanOUTPUTSTREAM* out = gzip ? vortannewGZIPOutputStream(file) : file;
    vortanPRINTSTREAM* inner = vortannewPrintStream(out);
    vortanPRINTSTREAM* p = vortannewPrintStream(inner);
    vortanprintPrintStreamDouble(p, 1.5);
    vortanprintPrintStreamChar(p, ' ');
    vortanprintPrintStreamFloat(p, -0.25f);
    vortanprintPrintStreamChar(p, ' ');
    vortanprintPrintStreamDouble(p, 1e20);
    vortanprintPrintStreamLn(p);
    vortanprintPrintStreamInt(p, INT_MIN);
    vortanprintPrintStreamString(p, " ");
    vortanprintPrintStreamUnsignedInt(p, UINT_MAX);
    vortanprintPrintStreamString(p, " ");
    vortanprintPrintStreamLong(p, LONG_MIN);
    vortanprintPrintStreamString(p, "");
    vortanprintPrintStreamLn(p);
    vortanprintPrintStreamDouble(p, -1.7976931348623157e308);
    EXPECT_EQ(vortanwritePrintStreamChar(p, '.'), '.');
    EXPECT_EQ(vortanflushPrintStream(p), 0);
    EXPECT_EQ(vortangetPrintStreamError(p), 0);
    EXPECT_EQ(vortanclosePrintStream(p), 0);
    vortandeletePrintStream(p);

    vortanINPUTSTREAM* in = vortannewGZIPInputStreamFD(open(path.c_str(), O_RDONLY));
    std::string text = read_all(in);
    vortancloseInputStream(in);
    vortandeleteInputStream(in);
    std::string max = "1797693134862315708145274237317043567980705675258449965989174768031572607800285"
                      "3876058955863276687817154045895351438246423432132688946418276846754670353751698"
                      "6049910576551282076245490090389328944075868508455133942304583236903222948165808"
                      "559332123348274797826204144723168738177180919299881250404026184124858368";
    EXPECT_EQ(text, "1.500000 -0.250000 100000000000000000000.000000\n-2147483648 4294967295 " +
                      std::to_string(LONG_MIN) + "\n-" + max + ".000000.")
      << (gzip ? "gzip" : "plain");
  }
}

TEST(VortanStreams, WrongRecordsAreRefusedWithEinval)
{
  TempDir dir;
  vortanSTRING* string = vortan_test::str("not a stream");
  auto* in = reinterpret_cast<vortanINPUTSTREAM*>(string);
  auto* out = reinterpret_cast<vortanOUTPUTSTREAM*>(string);
  vortanINPUTSTREAM* closed = vortannewFileInputStreamFILE(nullptr);  // accepted, refuses everything
  vortanOUTPUTSTREAM* open_out = vortannewFileOutputStreamString(dir.file("x").c_str());
  char buffer[4];
  const std::string einval = strerror(EINVAL);
  Stderr err;
  auto check = [&](const char* what, long result, long expected) {
    int e = errno;
    EXPECT_EQ(result, expected) << what;
    EXPECT_EQ(e, EINVAL) << what;
    errno = 0;
  };
  errno = 0;
  check("readFileChar", vortanreadFileInputStreamChar(closed), -1);
  check("readFile", vortanreadFileInputStream(closed, buffer, 4), -1);
  check("fileEOS", vortangetFileInputStreamEOS(nullptr), -1);
  check("fileFD", vortangetFileInputStreamFD(reinterpret_cast<vortanINPUTSTREAM*>(out)), -1);
  check("gzEOS", vortangetGZIPInputStreamEOS(in), 1);
  check("gzError", vortangetGZIPInputStreamError(in), 22);
  check("gzRead", vortanreadGZIPInputStream(nullptr, buffer, 4), -1);
  check("inputEOS", vortangetInputStreamEOS(in), -1);
  check("inputRead", vortanreadInputStream(in, buffer, 4), -1);
  check("inputClose", vortancloseInputStream(in), -1);
  check("newGZIP", reinterpret_cast<long>(vortannewGZIPInputStream(in)), 0);
  check("newGZIPFD", reinterpret_cast<long>(vortannewGZIPInputStreamFD(-1)), 0);
  check("newPrint", reinterpret_cast<long>(vortannewPrintStream(out)), 0);
  check("newFromPath", reinterpret_cast<long>(vortannewFileInputStreamString(nullptr)), 0);
  check("negativeCount", vortanwriteOutputStream(open_out, buffer, -1), -1);
  check("nullBuffer", vortanwriteFileOutputStream(open_out, nullptr, 1), -1);
  check("gzWriteNegative", vortanwriteGZIPOutputStream(out, buffer, -1), -1);
  check("outputFlush", vortanflushOutputStream(out), -1);
  check("gzOutEOS", vortangetGZIPOutputStreamEOS(out), 1);
  check("gzOutError", vortangetGZIPOutputStreamError(out), 22);
  check("printEOS", vortangetPrintStreamEOS(out), 1);
  check("printError", vortangetPrintStreamError(out), 22);
  check("printWrite", vortanwritePrintStream(out, buffer, 1), -1);
  EXPECT_EQ(vortangetInputStreamErrorString(in), einval);
  EXPECT_EQ(vortangetPrintStreamErrorString(out), einval);
  vortanprintPrintStreamString(out, "lost");
  check("printString", 0, 0);
  vortandeleteInputStream(in);
  check("deleteInput", 0, 0);
  EXPECT_EQ(vortanisInputStream(out), 0);
  EXPECT_EQ(vortanisOutputStream(nullptr), 0);
  EXPECT_EQ(err.text(), "");  // streams never print

  // A file that cannot be opened: null, and the C library's reason.
  errno = 0;
  EXPECT_EQ(vortannewFileInputStreamString(dir.file("missing").c_str()), nullptr);
  EXPECT_EQ(errno, ENOENT);
  vortancloseOutputStream(open_out);
  vortandeleteOutputStream(open_out);
  vortandeleteInputStream(closed);
  vortandelete(string);
}
