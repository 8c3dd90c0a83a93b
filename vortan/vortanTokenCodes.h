/* The token codes that the scanner returns and the parser reads, one row
 * each: VORTAN_TOKEN(NAME, code). The enumeration below gives VORTAN_NAME;
 * a caller may expand the rows again (a table of names, for instance).
 * Codes 274, 293, 296 and 309 are never returned; 0 is the end of input. */
#ifndef VORTAN_TOKEN_CODES_H
#define VORTAN_TOKEN_CODES_H

#ifdef __cplusplus
extern "C" {
#endif

#define VORTAN_TOKENS(VORTAN_TOKEN)  \
  VORTAN_TOKEN(ATTLIST_OPEN, 257)    \
  VORTAN_TOKEN(ATTVALUE, 258)        \
  VORTAN_TOKEN(CDATA_OPEN, 259)      \
  VORTAN_TOKEN(CDATA, 260)           \
  VORTAN_TOKEN(CHARDATA, 261)        \
  VORTAN_TOKEN(CHARREF, 262)         \
  VORTAN_TOKEN(COMMA, 263)           \
  VORTAN_TOKEN(COMMENT_OPEN, 264)    \
  VORTAN_TOKEN(COMMENT_TEXT, 265)    \
  VORTAN_TOKEN(DOCTYPE_OPEN, 266)    \
  VORTAN_TOKEN(STAG_OPEN, 267)       \
  VORTAN_TOKEN(ELEMENT_OPEN, 268)    \
  VORTAN_TOKEN(ENCODING, 269)        \
  VORTAN_TOKEN(ENTITIES, 270)        \
  VORTAN_TOKEN(ENTITY, 271)          \
  VORTAN_TOKEN(REFERENCE, 272)       \
  VORTAN_TOKEN(ENTITYVALUE, 273)     \
  VORTAN_TOKEN(INVALID, 275)         \
  VORTAN_TOKEN(EQ, 276)              \
  VORTAN_TOKEN(ETAG_OPEN, 277)       \
  VORTAN_TOKEN(FIXED, 278)           \
  VORTAN_TOKEN(ID, 279)              \
  VORTAN_TOKEN(IDREF, 280)           \
  VORTAN_TOKEN(IDREFS, 281)          \
  VORTAN_TOKEN(IMPLIED, 282)         \
  VORTAN_TOKEN(QMARK, 283)           \
  VORTAN_TOKEN(LSQB, 284)            \
  VORTAN_TOKEN(LPAR, 285)            \
  VORTAN_TOKEN(CLOSE, 286)           \
  VORTAN_TOKEN(NAME, 287)            \
  VORTAN_TOKEN(NDATA, 288)           \
  VORTAN_TOKEN(NMTOKEN, 289)         \
  VORTAN_TOKEN(NMTOKEN_TYPE, 290)    \
  VORTAN_TOKEN(NMTOKENS_TYPE, 291)   \
  VORTAN_TOKEN(NOTATION, 292)        \
  VORTAN_TOKEN(PCDATA, 294)          \
  VORTAN_TOKEN(PERCENT, 295)         \
  VORTAN_TOKEN(PI_OPEN, 297)         \
  VORTAN_TOKEN(PI_TEXT, 298)         \
  VORTAN_TOKEN(BAR, 299)             \
  VORTAN_TOKEN(PLUS, 300)            \
  VORTAN_TOKEN(PUBIDLITERAL, 301)    \
  VORTAN_TOKEN(PUBLIC, 302)          \
  VORTAN_TOKEN(RSQB, 303)            \
  VORTAN_TOKEN(REQUIRED, 304)        \
  VORTAN_TOKEN(RPAR, 305)            \
  VORTAN_TOKEN(EMPTY_CLOSE, 306)     \
  VORTAN_TOKEN(STANDALONE, 307)      \
  VORTAN_TOKEN(STAR, 308)            \
  VORTAN_TOKEN(SYSTEM, 310)          \
  VORTAN_TOKEN(SYSTEMLITERAL, 311)   \
  VORTAN_TOKEN(VERSION, 312)         \
  VORTAN_TOKEN(VERSIONNUM, 313)      \
  VORTAN_TOKEN(XMLDECL_OPEN, 314)

enum vortanToken {
  VORTAN_END = 0,
#define VORTAN_TOKEN_CODE(NAME, CODE) VORTAN_##NAME = CODE,
  VORTAN_TOKENS(VORTAN_TOKEN_CODE)
#undef VORTAN_TOKEN_CODE
  VORTAN_LAST_TOKEN = 314
};

#ifdef __cplusplus
}
#endif

#endif
