/* Walking the field tuples of a row of vortanRecordKinds.def.
 *
 * VORTAN_EACH_FIELD(M, SEP, Kind, tuples...) expands to M(Kind, i, tuple) for
 * each tuple, i counting from 0, with SEP() between two of them (SEP is
 * VORTAN_NOTHING or VORTAN_COMMA). VORTAN_APPLY(M, (Kind, i), tuple) calls
 * M(Kind, i, Suffix, C type, storage), unpacking the tuple. Rows have one to
 * four fields. */
#ifndef VORTAN_FIELDS_H
#define VORTAN_FIELDS_H

#define VORTAN_NOTHING()
#define VORTAN_COMMA() ,
#define VORTAN_FIELD_COUNT(...) VORTAN_PICK_(__VA_ARGS__, 4, 3, 2, 1, )
#define VORTAN_EACH_FIELD(M, SEP, K, ...)                                          \
  VORTAN_PICK_(__VA_ARGS__, VORTAN_EACH4_, VORTAN_EACH3_, VORTAN_EACH2_, VORTAN_EACH1_, ) \
  (M, SEP, K, __VA_ARGS__)

#define VORTAN_PICK_(a, b, c, d, n, ...) n
#define VORTAN_EACH1_(M, SEP, K, a) M(K, 0, a)
#define VORTAN_EACH2_(M, SEP, K, a, b) VORTAN_EACH1_(M, SEP, K, a) SEP() M(K, 1, b)
#define VORTAN_EACH3_(M, SEP, K, a, b, c) VORTAN_EACH2_(M, SEP, K, a, b) SEP() M(K, 2, c)
#define VORTAN_EACH4_(M, SEP, K, a, b, c, d) VORTAN_EACH3_(M, SEP, K, a, b, c) SEP() M(K, 3, d)

#define VORTAN_APPLY(M, head, tuple) VORTAN_CALL_(M, (VORTAN_UNPACK_ head, VORTAN_UNPACK_ tuple))
#define VORTAN_UNPACK_(...) __VA_ARGS__
#define VORTAN_CALL_(M, args) M args

#endif
