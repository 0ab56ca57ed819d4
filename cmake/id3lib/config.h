/* Configuration of id3lib for our MinGW-w64 build. id3lib's own configure
   cannot cross-configure; its sources need only these definitions. */
#ifndef ID3LIB_OUR_CONFIG_H
#define ID3LIB_OUR_CONFIG_H
#define STDC_HEADERS 1
#define HAVE_ZLIB 1
#define HAVE_BITSET 1
#define HAVE_CCTYPE 1
#define HAVE_CLIMITS 1
#define HAVE_CSTDIO 1
#define HAVE_CSTDLIB 1
#define HAVE_CSTRING 1
#define HAVE_FSTREAM 1
#define HAVE_IOMANIP 1
#define HAVE_IOSTREAM 1
#define HAVE_STRING 1
#define HAVE_SYS_PARAM_H 1
#define _ID3LIB_NAME "id3lib"
#define _ID3LIB_VERSION "3.8.3"
#define _ID3LIB_FULLNAME "id3lib-3.8.3"
#define _ID3LIB_MAJOR_VERSION 3
#define _ID3LIB_MINOR_VERSION 8
#define _ID3LIB_PATCH_VERSION 3
#define _ID3LIB_INTERFACE_AGE 0
#define _ID3LIB_BINARY_AGE 0
#define ID3_ICONV_FORMAT_UTF16BE "UTF-16BE"
#define ID3_ICONV_FORMAT_UTF16 "UTF-16"
#define ID3_ICONV_FORMAT_UTF8 "UTF-8"
#define ID3_ICONV_FORMAT_ASCII "ISO-8859-1"
#define ID3D_INIT_DOUT()
#define ID3D_INIT_WARNING()
#define ID3D_INIT_NOTICE()
#define ID3D_NOTICE(x)
#define ID3D_WARNING(x)
#endif
