// The scanner's buffers: reading switches among them mid-document, each
// keeping its place and its pushed-back text; a buffer in memory ends at its
// two NULs; deleting the current one goes back to vortanin.
#include <functional>
#include <string>
#include <vector>

#include "ParseSupport.h"
#include "VortanSupport.h"
#include "vortanParseState.h"

using vortan_test::MemoryInput;
using Tokens = std::vector<std::string>;

namespace {

// The tokens read so far, "END" for each end of input.
struct Reader
{
  Tokens seen;
  // Reads count tokens, or up to the end when count is 0.
  void read(int count = 0)
  {
    for (int i = 0; count == 0 || i < count; ++i) {
      int code = vortanlex();
      seen.push_back(code ? vortan_test::token_text(code) : "END");
      if (!code) return;
    }
  }
};

struct BufferCase
{
  const char* name;
  std::function<void(Reader&)> script;
  Tokens expected;
};

const BufferCase buffer_cases[] = {
  {"two buffers, each taken up where it was left; two bytes grow for \"<!--\"",
   [](Reader& r) {
     MemoryInput doc("<a>x<!--c-->y</a>");
     vortanBUFFER_STATE file = vortan_create_buffer(doc.stream(), 2);
     vortan_switch_to_buffer(file);
     r.read(4);
     vortanUnputString("<p/>");  // into file: read once it is current again
     vortanBUFFER_STATE text = vortan_scan_string("<c/>&#65;");
     r.read();
     vortan_switch_to_buffer(file);
     r.read();
     vortan_delete_buffer(text);
     vortan_delete_buffer(file);
   },
   {"STAG_OPEN", "NAME(a)", "CLOSE", "CHARDATA(x)", "STAG_OPEN", "NAME(c)", "EMPTY_CLOSE", "CHARREF(65)",
    "END", "STAG_OPEN", "NAME(p)", "EMPTY_CLOSE", "COMMENT_OPEN", "COMMENT_TEXT(c)", "CHARDATA(y)",
    "ETAG_OPEN", "NAME(a)", "CLOSE", "END"}},
  {"bytes in memory end at their two NULs; a NUL before them is a byte",
   [](Reader& r) {
     static char bytes[] = {'<', 'a', '>', '\0', '<', '/', 'a', '>', '\0', '\0'};
     EXPECT_EQ(vortan_scan_buffer(bytes, sizeof bytes - 1), nullptr);
     EXPECT_EQ(vortan_scan_buffer(bytes, 1), nullptr);
     vortanBUFFER_STATE memory = vortan_scan_buffer(bytes, sizeof bytes);
     r.read();
     vortan_delete_buffer(memory);
   },
   {"STAG_OPEN", "NAME(a)", "CLOSE", "INVALID", "ETAG_OPEN", "NAME(a)", "CLOSE", "END"}},
  {"deleting the current buffer, pushed-back text and all, reads vortanin",
   [](Reader& r) {
     MemoryInput next("<z/>");
     vortanBUFFER_STATE text = vortan_scan_string("<a/><b/>");
     r.read(3);
     vortanUnputString("<q/>");
     vortan_delete_buffer(text);
     r.read();
   },
   {"STAG_OPEN", "NAME(a)", "EMPTY_CLOSE", "STAG_OPEN", "NAME(z)", "EMPTY_CLOSE", "END"}},
  {"an external file read in its own buffer, then back to the document",
   [](Reader& r) {
     MemoryInput doc("<a>x</a>");
     vortanrestart(doc.stream());
     r.read(3);
     vortansaveBuffer();
     MemoryInput dtd("<e/>");
     vortanswitchToBuffer();
     r.read();
     vortanswitchToBuffer();
     EXPECT_EQ(vortanin, doc.stream());
     r.read();
   },
   {"STAG_OPEN", "NAME(a)", "CLOSE", "STAG_OPEN", "NAME(e)", "EMPTY_CLOSE", "END", "CHARDATA(x)",
    "ETAG_OPEN", "NAME(a)", "CLOSE", "END"}},
  {"a flushed buffer in memory is at its end; bad bytes are refused",
   [](Reader& r) {
     vortanBUFFER_STATE text = vortan_scan_bytes("<a/><b/>", 8);
     r.read(3);
     vortanflushBuffer();
     r.read();
     vortan_delete_buffer(text);
     vortan_test::Stderr err;
     EXPECT_EQ(vortan_scan_bytes(nullptr, 0), nullptr);
     EXPECT_EQ(err.text(), "bad buffer in yy_scan_bytes()\n");
     r.read();  // the failure ends the input
   },
   {"STAG_OPEN", "NAME(a)", "EMPTY_CLOSE", "END", "END"}},
};

}  // namespace

TEST(VortanScannerBuffers, SwitchingAmongBuffersMidDocument)
{
  vortaninit();
  for (const BufferCase& c : buffer_cases) {
    vortanin = nullptr;
    vortanscanStart();
    Reader r;
    c.script(r);
    vortanscanFinish();
    EXPECT_EQ(r.seen, c.expected) << c.name;
  }
}
