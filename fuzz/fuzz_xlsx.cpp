// Feeds random bytes as worksheet 1 of an .xlsx workbook to the spreadsheet readers.
#define FUZZ_KIND 2
#include "fuzzworkbook.h"
