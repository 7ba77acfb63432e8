#include "puzzle/Slide.h"

SlideResult traceSlide(const Board& /*board*/, int row, int column, int /*rowStep*/,
                       int /*columnStep*/, int /*rows*/, int /*columns*/) {
  return {row, column, {}};
}
