#include "generators/subtotal_generator.h"

namespace sumwright {

// Placeholder until the generator is built.
SubtotalAnswers ask_subtotal_questions(Console& /*console*/) { return {}; }

void write_subtotal_body(LineSink& /*report*/, const SubtotalAnswers& /*answers*/, std::string_view /*formula_separator*/) {}

}  // namespace sumwright
