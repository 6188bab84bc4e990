// The SUMIF variant 02 on arbitrary answers (see sumif_fuzz_target.h).

#include <cstdint>

#include "generators/sumif_02_generator.h"
#include "sumif_fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return sumwright::fuzz::check_sumif_report(data, size, sumwright::ReportKind::sumif_02,
                                               sumwright::write_sumif_02_body, 197);
}
