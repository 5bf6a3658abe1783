// Feeds random bytes as an .xls workbook to the spreadsheet readers.
#define FUZZ_KIND 1
#include "fuzzworkbook.h"
