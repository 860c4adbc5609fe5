#include "register/dump_format.h"

#include "register/field_pad.h"
#include "register/text.h"

namespace {

// Fixed widths by field type; fields of other types with a Size of 0 keep
// their text as it comes.
struct TypeRule {
  TFieldType type;
  int width;
  bool isNumber;  // decimal comma to point, amount completion
};

constexpr TypeRule kTypeRules[] = {
    {ftFloat, 20, true},
    {ftDate, 10, false},
    {ftBoolean, 5, false},
};

const TypeRule* RuleFor(TFieldType type) {
  for (const TypeRule& r : kTypeRules)
    if (r.type == type) return &r;
  return nullptr;
}

// "1520.5" -> "1520.50", "12" -> "12.00", "" -> ".00"; "1234" stays.
std::string CompleteAmount(std::string text) {
  const auto length = static_cast<int64_t>(text.size());
  if (CharAt(text, length - 1) == ".") text += "0";
  if (text.size() <= 2) text += ".00";
  return text;
}

}  // namespace

void AppendDumpField(std::string& line, std::string_view asString, TFieldType type, int size,
                     bool amountFlag) {
  const TypeRule* rule = RuleFor(type);
  if (rule == nullptr) {
    if (size > 0) {
      AppendPadded(line, asString, size, false);
    } else {
      line.append(asString);
    }
    return;
  }
  std::string text(asString);
  if (size > 0) text = PadField(text, size, false);
  if (rule->isNumber) {
    text = CommaToDot(std::move(text));
    if (amountFlag) text = CompleteAmount(std::move(text));
  }
  AppendPadded(line, text, rule->width, false);
}
