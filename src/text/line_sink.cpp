#include "text/line_sink.h"

#include "text/number_text.h"

namespace sumwright {

void LineSink::write_number_field(std::int64_t value) { write_line(number_field(value)); }

}  // namespace sumwright
