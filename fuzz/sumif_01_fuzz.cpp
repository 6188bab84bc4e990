// The SUMIF variant 01 on arbitrary answers (see sumif_fuzz_target.h).

#include <cstdint>

#include "generators/sumif_01_generator.h"
#include "sumif_fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return sumwright::fuzz::check_sumif_report(data, size, sumwright::ReportKind::sumif_01,
                                               sumwright::write_sumif_01_body, 111);
}
