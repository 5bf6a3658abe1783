// Feeds random bytes as the workbook stream of an .xls file to the spreadsheet readers: the
// stream's records reach FreeXL past the compound file, which random files rarely get through.
#define FUZZ_KIND 4
#include "fuzzworkbook.h"
