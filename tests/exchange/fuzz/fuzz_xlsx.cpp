// libFuzzer target for the .xlsx reader (archive, workbook, shared strings, sheet) and price lists.
#include "FuzzSpreadsheet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    korvex::testing::fuzzXlsx(data, size);
    return 0;
}
