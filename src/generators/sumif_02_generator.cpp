#include "generators/sumif_02_generator.h"

namespace sumwright {

// Placeholder until the generator is built.
SumifAnswers ask_sumif_02_questions(Console& /*console*/) { return {}; }

void write_sumif_02_body(LineSink& /*report*/, const SumifAnswers& /*answers*/, std::string_view /*formula_separator*/) {}

}  // namespace sumwright
