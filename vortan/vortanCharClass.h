/* Inside the toolkit: the classes of the 256 byte values that the scanner
 * and the name checks use. Input is 8-bit: bytes from 0xC0 up are ISO
 * 8859-1 letters (but 0xD7 and 0xF7), and 0xB7 is a name character. */
#ifndef VORTAN_CHAR_CLASS_H
#define VORTAN_CHAR_CLASS_H

#ifdef __cplusplus
extern "C" {
#endif

enum vortanCharClass {
  vortanNameStart = 1 << 0, /* ':', letters, '_', Latin-1 letters */
  vortanNameChar = 1 << 1,  /* the above, '-', '.', digits, 0xB7 */
  vortanPubid = 1 << 2,     /* a public-identifier character */
  vortanSpace = 1 << 3,     /* space, TAB, CR, LF */
  vortanBadText = 1 << 4,   /* never in character data: NUL, 0x01-0x08, 0x0B, 0x0C */
  vortanTextStop = 1 << 5,  /* ends a run of character data: the above, '<', '&', ']', CR, LF */
  vortanVersion = 1 << 6,   /* in a version number: letters, digits, '_', '.', ':', '-' */
  vortanEncoding = 1 << 7,  /* in an encoding name: letters, digits, '.', '_', '-' */
  vortanLetter = 1 << 8,
  vortanDigit = 1 << 9,
  vortanHexDigit = 1 << 10,
  vortanLiteralStop = 1 << 11, /* ends a run of literal text: quotes, '&', '%', '<', CR, LF, controls */
};

extern const unsigned short vortancharClass[256];

static inline int vortanhasClass(int byte, int cls)
{
  return (vortancharClass[(unsigned char)byte] & cls) != 0;
}

#ifdef __cplusplus
}
#endif

#endif
