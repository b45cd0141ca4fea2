#include "dialogs/typed_number.h"

#include "common/dialog_number.h"
#include "dialogs/dialog_surface.h"

#include <algorithm>

namespace korvex::dialogs {
namespace {
// Past every range a control has; digits beyond it change nothing.
constexpr uint64_t kSaturated = uint64_t{1} << 40;
}  // namespace

TypedNumber ParseTyped(std::string_view text, bool isSigned) {
  const DialogDigits d = ScanDialogDigits(text, isSigned, kSaturated);
  if (!d.found) return {};
  const auto n = static_cast<int64_t>(d.magnitude);
  return {true, d.negative ? -n : n};
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
