// libFuzzer target for the FIEBDC-3 reader and budget planner.
#include "FuzzBc3.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    korvex::testing::fuzzBc3(data, size);
    return 0;
}
