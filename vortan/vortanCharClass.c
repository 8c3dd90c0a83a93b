#include "vortanCharClass.h"

#define IN(c, a, b) ((c) >= (a) && (c) <= (b))
#define LETTER(c) (IN(c, 'A', 'Z') || IN(c, 'a', 'z'))
#define DIGIT(c) IN(c, '0', '9')
#define NAME_START(c) \
  ((c) == ':' || (c) == '_' || LETTER(c) || IN(c, 0xC0, 0xD6) || IN(c, 0xD8, 0xF6) || (c) >= 0xF8)
#define NAME_CHAR(c) (NAME_START(c) || (c) == '-' || (c) == '.' || DIGIT(c) || (c) == 0xB7)
#define PUBID(c)                                                                             \
  ((c) == ' ' || (c) == '\r' || (c) == '\n' || LETTER(c) || DIGIT(c) || (c) == '-' ||       \
   (c) == '\'' || (c) == '(' || (c) == ')' || (c) == '+' || (c) == ',' || (c) == '.' ||     \
   (c) == '/' || (c) == ':' || (c) == '=' || (c) == '?' || (c) == ';' || (c) == '!' ||      \
   (c) == '*' || (c) == '#' || (c) == '@' || (c) == '$' || (c) == '_' || (c) == '%')
#define SPACE(c) ((c) == ' ' || (c) == '\t' || (c) == '\r' || (c) == '\n')
#define BAD_TEXT(c) (IN(c, 0, 8) || (c) == 0x0B || (c) == 0x0C)
#define TEXT_STOP(c) (BAD_TEXT(c) || (c) == '<' || (c) == '&' || (c) == ']' || (c) == '\r' || (c) == '\n')
#define LITERAL_STOP(c)                                                                       \
  (BAD_TEXT(c) || (c) == '"' || (c) == '\'' || (c) == '&' || (c) == '%' || (c) == '<' ||      \
   (c) == '\r' || (c) == '\n')
#define HEX(c) (DIGIT(c) || IN(c, 'a', 'f') || IN(c, 'A', 'F'))
#define BIT(test, bit) ((test) ? (bit) : 0)

#define C(c)                                                                                 \
  (BIT(NAME_START(c), vortanNameStart) | BIT(NAME_CHAR(c), vortanNameChar) |                 \
   BIT(PUBID(c), vortanPubid) | BIT(SPACE(c), vortanSpace) | BIT(BAD_TEXT(c), vortanBadText) | \
   BIT(TEXT_STOP(c), vortanTextStop) |                                                        \
   BIT(LETTER(c) || DIGIT(c) || (c) == '_' || (c) == '.' || (c) == ':' || (c) == '-', vortanVersion) | \
   BIT(LETTER(c) || DIGIT(c) || (c) == '.' || (c) == '_' || (c) == '-', vortanEncoding) |    \
   BIT(LETTER(c), vortanLetter) | BIT(DIGIT(c), vortanDigit) | BIT(HEX(c), vortanHexDigit) |  \
   BIT(LITERAL_STOP(c), vortanLiteralStop))
#define R4(b) C(b), C((b) + 1), C((b) + 2), C((b) + 3)
#define R16(b) R4(b), R4((b) + 4), R4((b) + 8), R4((b) + 12)
#define R64(b) R16(b), R16((b) + 16), R16((b) + 32), R16((b) + 48)

const unsigned short vortancharClass[256] = {R64(0), R64(64), R64(128), R64(192)};
_Static_assert(sizeof vortancharClass / sizeof vortancharClass[0] == 256, "one class per byte value");
