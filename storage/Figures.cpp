#include "storage/Figures.h"

#include <cctype>

namespace {

bool AllDigits(const std::string& text, size_t from, size_t to) {
  if (from >= to) return false;
  for (size_t i = from; i < to; ++i) {
    if (std::isdigit(static_cast<unsigned char>(text[i])) == 0) return false;
  }
  return true;
}

}  // namespace

std::string WithDecimalPoint(const std::string& figure) {
  const size_t comma = figure.find(',');
  if (comma == std::string::npos || figure.find(',', comma + 1) != std::string::npos) return figure;
  const size_t start = (!figure.empty() && figure[0] == '-') ? 1 : 0;
  if (!AllDigits(figure, start, comma) || !AllDigits(figure, comma + 1, figure.size())) return figure;
  std::string pointed = figure;
  pointed[comma] = '.';
  return pointed;
}
