// Feeds random bytes as content.xml of an .ods document to the spreadsheet readers.
#define FUZZ_KIND 3
#include "fuzzworkbook.h"
