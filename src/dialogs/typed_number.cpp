#include "dialogs/typed_number.h"

#include "dialogs/dialog_surface.h"

#include <algorithm>

namespace korvex::dialogs {
namespace {
// Past every range a control has; digits beyond it change nothing.
constexpr int64_t kSaturated = int64_t{1} << 40;
}  // namespace

TypedNumber ParseTyped(std::string_view text, bool isSigned) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (isSigned && i < text.size() && text[i] == '-') {
    negative = true;
    ++i;
  }
  const size_t first = i;
  int64_t n = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    n = std::min(n * 10 + (text[i] - '0'), kSaturated);
  if (i == first) return {};
  return {true, negative ? -n : n};
}

int32_t ReadTyped(DialogSurface& s, int id, bool isSigned, int32_t minimum, int32_t maximum,
                  int32_t current, bool& rewriting) {
  const TypedNumber typed = ParseTyped(s.Text(id), isSigned);
  if (typed.isNumber && typed.value == current) return current;
  const int64_t wanted = typed.isNumber ? typed.value : 0;
  const auto value = static_cast<int32_t>(std::clamp<int64_t>(wanted, minimum, maximum));
  if (typed.isNumber && value != wanted) {
    rewriting = true;
    s.SetNumber(id, value, isSigned);
    rewriting = false;
  }
  return value;
}

}  // namespace korvex::dialogs
