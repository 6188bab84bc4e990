#include "generators/sumif_01_generator.h"

namespace sumwright {

// Placeholder until the generator is built.
SumifAnswers ask_sumif_01_questions(Console& /*console*/) { return {}; }

void write_sumif_01_body(LineSink& /*report*/, const SumifAnswers& /*answers*/, std::string_view /*formula_separator*/) {}

}  // namespace sumwright
